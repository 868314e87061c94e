// kestrune's command line read into a request: the window, help and version, a
// conversion with its format, instrument and folder, and every refusal with its reason.
#include "commandline.h"

#include <QTest>

using commandline::Action;

Q_DECLARE_METATYPE(commandline::Action)
Q_DECLARE_METATYPE(OutputFormat)

class TestCommandLine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QString>("writable");      // the sound formats this build writes
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>(
        "request"); // convert: "format output instrument folder"; else part of the text

    const auto row = [&](const char* name, const QStringList& arguments, Action action,
                         const QString& request, const QString& writable = "wav flac ogg") {
        QTest::newRow(name) << arguments << writable << action << request;
    };
    // clang-format off
    row("nothing: the window", {}, Action::openWindow, "");
    row("a folder alone: the window there", {"--folder", "/d"}, Action::openWindow, "/d");
    row("MIDI, suffix in capitals", {"-o", "Tune.MIDI"}, Action::convert, "mid Tune.MIDI 0 ");
    row("WAV with instrument and folder", {"--output", "a.wav", "--instrument", "40", "--folder", "d"}, Action::convert, "wav a.wav 40 d");
    row("FLAC, options joined to their values", {"--output=a.flac", "-i127"}, Action::convert, "flac a.flac 127 ");
    row("Ogg as .oga", {"-o", "x/a.oga"}, Action::convert, "ogg x/a.oga 0 ");
    row("instrument 128", {"-o", "a.mid", "-i", "128"}, Action::refuse, "from 0 to 127, not '128'.");
    row("instrument -1", {"-o", "a.mid", "-i", "-1"}, Action::refuse, "from 0 to 127, not '-1'.");
    row("instrument not a number", {"-o", "a.mid", "-i", "4x"}, Action::refuse, "not '4x'.");
    row("instrument without output", {"-i", "5"}, Action::refuse, "--instrument needs --output");
    row("unknown suffix", {"-o", "a.mp3"}, Action::refuse, "Cannot tell the format of 'a.mp3' from its suffix; use .mid, .wav, .flac, .ogg.");
    row("a format this FluidSynth cannot write", {"-o", "a.flac"}, Action::refuse, "cannot write FLAC sound files; use .mid, .wav.", "wav");
    row("a stray argument", {"-o", "a.mid", "b.mid"}, Action::refuse, "Unexpected argument 'b.mid'");
    row("an empty folder", {"-o", "a.mid", "--folder", ""}, Action::refuse, "--folder is empty");
    // clang-format on
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, writable);
    QFETCH(Action, action);
    QFETCH(QString, request);

    QList<OutputFormat> formats;
    for (const OutputFormat f : {OutputFormat::Wav, OutputFormat::Flac, OutputFormat::Ogg}) {
        if (writable.split(' ').contains(outputformat::suffix(f))) {
            formats.append(f);
        }
    }
    arguments.prepend("/usr/lib/quorvel/kestrune");
    const commandline::Request r = commandline::parse(arguments, formats);
    QCOMPARE(r.action, action);
    if (action == Action::convert) {
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(outputformat::suffix(r.format), r.output)
                     .arg(r.instrument)
                     .arg(r.folder),
                 request);
    } else if (action == Action::openWindow) {
        QCOMPARE(r.folder, request);
    } else {
        QVERIFY2(r.text.contains(request), qPrintable(r.text));
    }
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
