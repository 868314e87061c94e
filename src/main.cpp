#include "clock.h"
#include "datafolder.h"
#include "fluidsynthout.h"
#include "fonts.h"
#include "form1.h"
#include "qtdesktop.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QUORVEL_VERSION_MAJOR)
                                            .arg(QUORVEL_VERSION_MINOR)
                                            .arg(QUORVEL_VERSION_PATCH));
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    installFontSubstitutes();

    const QString programFolder = QApplication::applicationDirPath();
    const DataFolder dataFolder(DataFolder::defaultRoot());
    dataFolder.prepareFirstStart(programFolder);

    FluidSynthOut synth;
    QtDesktop desktop;
    SteadyClock clock;
    Services services{&synth, &desktop, &clock, dataFolder.root(), programFolder};
    services.sound = &synth;
    Form1 window(services);
    window.start();
    return QApplication::exec();
}
