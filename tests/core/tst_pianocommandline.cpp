// The piano's command line, read before any window system is up.
#include "pianocommandline.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestPianoCommandLine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.0.146"));
        QVERIFY(fonts_.isValid());
        QFile font(fonts_.filePath(QStringLiteral("Grand Piano.sf2")));
        QVERIFY(font.open(QIODevice::WriteOnly));
        QDir::setCurrent(fonts_.path());
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<int>("exitCode");          // -1: the piano starts
        QTest::addColumn<QString>("text");          // in the text written
        QTest::addColumn<QString>("soundFont");     // under the test's folder

        auto row = [](const char* name, QStringList arguments, int code, const char* text,
                      const char* font) {
            QTest::newRow(name) << arguments << code << QString(text) << QString(font);
        };
        row("nothing: the piano starts", {}, -1, "", "");
        row("help lists the options, not Qt's own", {"--help"}, 0, "--soundfont <file>", "");
        row("version", {"--version"}, 0, "Quorvel 3.0.146\n", "");
        row("Qt's own options are left for the application; a SoundFont by a relative name",
            {"-platform", "offscreen", "-style", "fusion", "-reverse", "--soundfont",
             "Grand Piano.sf2"},
            -1, "", "Grand Piano.sf2");
        row("a SoundFont that is not there", {"--soundfont", "none.sf2"}, 1,
            "quorvel: no SoundFont file 'none.sf2'\n", "");
        row("a folder is no SoundFont", {"--soundfont", "."}, 1, "no SoundFont file '.'", "");
        row("an unknown option", {"--sound"}, 1,
            "quorvel: Unknown option 'sound'.\nTry 'quorvel --help'.\n", "");
        row("an argument the piano does not take", {"song.mid"}, 1,
            "quorvel: unexpected argument 'song.mid'", "");
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        QFETCH(QString, soundFont);
        const pianocommandline::Outcome outcome =
            pianocommandline::parse(QStringList{"/usr/lib/quorvel/quorvel"} + arguments);
        QCOMPARE(outcome.exitCode.value_or(-1), exitCode);
        QVERIFY2(outcome.text.contains(text), qPrintable(outcome.text));
        QVERIFY2(!outcome.text.contains(u"platform"), qPrintable(outcome.text)); // Qt's, hidden
        QCOMPARE(outcome.soundFont, soundFont.isEmpty() ? QString() : fonts_.filePath(soundFont));
    }

private:
    QTemporaryDir fonts_;
};

QTEST_GUILESS_MAIN(TestPianoCommandLine)
#include "tst_pianocommandline.moc"
