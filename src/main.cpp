#include "clock.h"
#include "datafolder.h"
#include "fluidsynthout.h"
#include "fonts.h"
#include "form1.h"
#include "midiports.h"
#include "pianocommandline.h"
#include "qtdesktop.h"
#include "soundsettingsstore.h"

#include <QApplication>

#include <cstdio>

namespace {

void nameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(QUORVEL_VERSION_MAJOR)
                                                .arg(QUORVEL_VERSION_MINOR)
                                                .arg(QUORVEL_VERSION_PATCH));
}

// Read before the window system is reached, so that --help and --version answer
// without a display.
pianocommandline::Outcome readCommandLine(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    nameTheProgram();
    return pianocommandline::parse(QCoreApplication::arguments());
}

FluidSynthOut::Options synthOptions(const SoundSettings& sound, const QString& soundFontThisRun)
{
    FluidSynthOut::Options options;
    options.soundFont = soundFontThisRun.isEmpty() ? sound.soundFont : soundFontThisRun;
    options.gain = sound.gain();
    options.reverb = sound.reverb;
    options.chorus = sound.chorus;
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    const pianocommandline::Outcome command = readCommandLine(argc, argv);
    if (command.exitCode) {
        std::fputs(qPrintable(command.text), *command.exitCode == 0 ? stdout : stderr);
        return *command.exitCode;
    }

    QApplication app(argc, argv);
    nameTheProgram();
    // Matches the installed menu entry, so desktops give the window its icon and name.
    QApplication::setDesktopFileName(QStringLiteral(QUORVEL_APP_ID));
    installFontSubstitutes();

    const QString programFolder = QApplication::applicationDirPath();
    const DataFolder dataFolder(DataFolder::defaultRoot());
    dataFolder.prepareFirstStart(programFolder);

    UserSoundSettingsStore soundStore;
    FluidSynthOut synth(synthOptions(soundStore.load(), command.soundFont));
    RtMidiPorts ports;
    QtDesktop desktop;
    SteadyClock clock;
    Services services{&synth, &desktop, &clock, dataFolder.root(), programFolder};
    services.sound = &synth;
    services.synth = &synth;
    services.soundStore = &soundStore;
    services.ports = &ports;
    Form1 window(services);
    window.start();
    return QApplication::exec();
}
