#include "pianocommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace pianocommandline {
namespace {

// The options QGuiApplication and QApplication read themselves (with one dash),
// and whether each takes a value. They must not be refused as unknown here.
struct QtOption
{
    const char* name;
    bool takesValue;
};

constexpr QtOption qtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"reverse", false},
    {"session", true},         {"style", true},
    {"stylesheet", true},      {"widgetcount", false},
    {"display", true},         {"geometry", true},
    {"title", true},           {"name", true},
    {"visual", true},          {"ncols", true},
    {"cmap", false},           {"nograb", false},
    {"dograb", false},         {"sync", false},
    {"qmljsdebugger", true},
};

Outcome exitWith(int code, const QString& text)
{
    return {code, text.endsWith(u'\n') ? text : text + u'\n', {}};
}

} // namespace

Outcome parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A piano of 41 keys for mouse, computer "
                                                    "keyboard and MIDI keyboard."));
    // "-platform" is one option, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all promises Qt's options, which this program
    // cannot list before the window system is up.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
        QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption soundFont(QStringLiteral("soundfont"),
                                       QStringLiteral("Plays with the SoundFont <file> in this "
                                                      "run only; the chosen one stays chosen."),
                                       QStringLiteral("file"));
    parser.addOption(soundFont);
    for (const QtOption& o : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(o.name));
        if (o.takesValue) {
            option.setValueName(QStringLiteral("value"));
        }
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (!parser.parse(arguments)) {
        return exitWith(
            1, QStringLiteral("%1: %2\nTry '%1 --help'.").arg(program, parser.errorText()));
    }
    if (parser.isSet(help)) {
        return exitWith(0, parser.helpText());
    }
    if (parser.isSet(version)) {
        return exitWith(0, QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                                       QCoreApplication::applicationVersion()));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return exitWith(1, QStringLiteral("%1: unexpected argument '%2'\nTry '%1 --help'.")
                               .arg(program, parser.positionalArguments().constFirst()));
    }
    Outcome outcome;
    if (parser.isSet(soundFont)) {
        const QFileInfo file(parser.value(soundFont));
        if (!file.isFile()) {
            return exitWith(
                1,
                QStringLiteral("%1: no SoundFont file '%2'").arg(program, parser.value(soundFont)));
        }
        outcome.soundFont = file.absoluteFilePath();
    }
    return outcome;
}

} // namespace pianocommandline
