// kestrune: turns the piano's current recording into a Standard MIDI File or a sound
// file. The piano starts it without arguments, and it opens its window; with --output it
// converts without a window, so it runs from scripts and without a display.
#include "audiorender.h"
#include "commandline.h"
#include "converterwindow.h"
#include "datafolder.h"
#include "savepathasker.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const commandline::Request request =
        commandline::parse(arguments, audiorender::supportedFormats());
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (request.action) {
    case commandline::Action::showHelp:
    case commandline::Action::showVersion:
        out << request.text;
        return commandline::written;
    case commandline::Action::refuse:
        err << "kestrune: " << request.text << "\nTry 'kestrune --help'." << Qt::endl;
        return commandline::badArguments;
    case commandline::Action::convert: {
        QCoreApplication app(argc, argv);
        return commandline::convert(request, out, err);
    }
    case commandline::Action::openWindow:
        break;
    }

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display Qt would abort; say what to do instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        err << "kestrune: there is no display to open the window on; to convert without a "
               "window, give --output FILE (see kestrune --help)."
            << Qt::endl;
        return commandline::badArguments;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));
    FileDialogAsker saveAsker;
    ConverterWindow window(request.folder.isEmpty() ? DataFolder::defaultRoot() : request.folder,
                           QApplication::applicationDirPath(), saveAsker);
    window.show();
    return QApplication::exec();
}
