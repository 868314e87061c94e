// Where the piano's messages go (the fan-out to the synthesiser and the MIDI port)
// and what a MIDI keyboard's messages do on the piano (the input map).
#include "fakes.h"
#include "midifanout.h"
#include "midiinputmap.h"

#include <QTest>

#include <array>

namespace {

// "90 3B 7F" -> 0x7F3B90: the bytes in cable order.
quint32 message(const QString& hex)
{
    quint32 value = 0;
    const QStringList bytes = hex.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        value |= bytes.at(i).toUInt(nullptr, 16) << (8 * i);
    }
    return value;
}

QString describe(const InputAction& a)
{
    static const char* const kinds[] = {"press", "release", "sound", "silence"};
    return QStringLiteral("%1 %2").arg(QLatin1String(kinds[static_cast<int>(a.kind)])).arg(a.value);
}

} // namespace

class TestMidiRouting final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fanOut_data()
    {
        QTest::addColumn<QList<bool>>("opens"); // whether each output opens, and then hears
        QTest::addColumn<bool>("opened");
        QTest::newRow("synthesiser and port") << QList<bool>{true, true} << true;
        QTest::newRow("port refused: the synthesiser plays on") << QList<bool>{true, false} << true;
        QTest::newRow("nothing opens") << QList<bool>{false, false} << false;
    }
    void fanOut()
    {
        QFETCH(QList<bool>, opens);
        QFETCH(bool, opened);
        std::array<RecordingMidiOut, 2> outs;
        outs[0].openSucceeds = opens[0];
        outs[1].openSucceeds = opens[1];
        MidiFanOut fan({&outs[0], &outs[1]});
        QCOMPARE(fan.open(-1), opened);
        // Passed on as they are, also what the outputs themselves drop.
        const QList<quint32> sent{0x03C0, 0x7F3B90, 0x3B8C, 0x80C0};
        for (quint32 m : sent) {
            fan.send(m);
        }
        fan.close();
        fan.send(0x7F3C90);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(outs.at(i).openedIds, QList<int>{-1});
            QCOMPARE(outs.at(i).values(), opens[i] ? sent : QList<quint32>{});
            QCOMPARE(outs.at(i).closes, 1);
        }
    }

    // A script of steps: "90 3B 7F" a message, "base 61" a new base note, "all" the
    // releases of everything held. The actions are listed in order, "-" for none.
    void inputMap_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("actions");
        auto row = [](const char* name, const char* script, const char* actions) {
            QTest::newRow(name) << QString(script) << QString(actions);
        };
        row("lowest key on channel 1", "90 3B 7F, base 40, 90 28 7F", "press 0, press 0");
        row("highest key on channel 16, any velocity", "9F 63 01", "press 40");
        row("notes beyond the keys sound only", "90 64 7F, 90 3A 7F", "sound 100, sound 58");
        row("note-off releases", "90 3C 7F, 80 3C 40", "press 1, release 1");
        row("note-on with velocity 0 releases", "90 3C 7F, 90 3C 00", "press 1, release 1");
        row("a release undoes its own press when the base note moved",
            "90 3B 7F, base 30, 80 3B 00", "press 0, release 0");
        row("a sounded note stays sound-only when the base note moves over it",
            "90 64 7F, base 70, 80 64 00", "sound 100, silence 100");
        row("a release without its note-on, as the note is now", "80 3D 00, 80 7F 00",
            "release 2, silence 127");
        row("a note struck again before its release", "90 3B 7F, base 58, 90 3B 7F, 80 3B 00",
            "press 0, press 0, release 0");
        row("one note on two channels", "90 3B 7F, 91 3B 7F, base 58, 81 3B 00, 80 3B 00",
            "press 0, press 0, release 0, release 0");
        row("other messages are ignored",
            "B0 40 7F, C0 05, A0 3B 10, D0 10, E0 00 40, F8, 90 3B 80, 3B 7F",
            "-, -, -, -, -, -, -, -");
        row("everything still held is released, oldest first, once",
            "90 3B 7F, 90 64 7F, 90 3C 7F, 80 3B 00, all, all",
            "press 0, sound 100, press 1, release 0, silence 100, release 1");
    }
    void inputMap()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        MidiInputMap map;
        int base = 59;
        QStringList got;
        for (const QString& step : script.split(QStringLiteral(", "))) {
            if (step.startsWith(u"base ")) {
                base = step.mid(5).toInt();
            } else if (step == u"all") {
                for (const InputAction& a : map.releaseAll()) {
                    got << describe(a);
                }
            } else {
                const auto a = map.map(message(step), base);
                got << (a ? describe(*a) : QStringLiteral("-"));
            }
        }
        QCOMPARE(got.join(QStringLiteral(", ")), actions);
    }
};

QTEST_APPLESS_MAIN(TestMidiRouting)
#include "tst_midirouting.moc"
