// MIDI as the piano meets it outside its own sound: short messages as port bytes, a
// keyboard's notes as key presses, the MIDI systems it finds, the instrument names.
#include "instrumentnames.h"
#include "midiinputmap.h"
#include "midisystems.h"
#include "midiwire.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

Q_DECLARE_METATYPE(MidiSystem)

class TestMidi final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wire_data()
    {
        QTest::addColumn<QString>("way");      // "both", "to bytes" or "from bytes"
        QTest::addColumn<qint64>("packed");    // -1: not a short message
        QTest::addColumn<QByteArray>("bytes"); // empty: dropped
        auto row = [](const char* name, const char* way, qint64 packed, const char* hex) {
            QTest::newRow(name) << QString(way) << packed << QByteArray::fromHex(hex);
        };
        row("note-on", "both", 0x7F3B90, "903b7f");
        row("channel pressure: one data byte", "both", 0x40D5, "d540");
        row("song position: two data bytes", "both", 0x0102F2, "f20201");
        row("song select: one data byte", "both", 0x03F3, "f303");
        row("clock: the status alone", "both", 0xF8, "f8");
        row("program change: bits beyond its data byte unread", "to bytes", 0xFF7FC0, "c07f");
        row("velocity of 0x80", "to bytes", 0x803B90, "");
        row("undefined status", "to bytes", 0xF4, "");
        row("cut short", "from bytes", -1, "903c");
        row("one byte too many", "from bytes", -1, "c10506");
        row("note of 0x80", "from bytes", -1, "90803c");
        row("system exclusive", "from bytes", -1, "f07e7f0901f7");
    }
    void wire()
    {
        QFETCH(QString, way);
        QFETCH(qint64, packed);
        QFETCH(QByteArray, bytes);
        if (way != u"from bytes") {
            QCOMPARE(midiwire::bytesOf(static_cast<quint32>(packed)), bytes);
        }
        if (way != u"to bytes") {
            const auto value = midiwire::packed(bytes);
            QCOMPARE(value ? qint64{*value} : -1, packed);
        }
    }

    // A script of steps: "90 3B 7F" a message, "base 61" a new base note, "all" the
    // releases of everything held. The actions in order, "-" for none.
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
        row("a release without its note-on, as the note is now", "80 3B 00, 80 7F 00",
            "release 0, silence 127");
        row("a note struck again before its release", "90 3B 7F, base 58, 90 3B 7F, 80 3B 00",
            "press 0, press 0, release 0");
        row("one note on two channels", "90 3B 7F, 91 3B 7F, base 58, 81 3B 00, 80 3B 00",
            "press 0, press 0, release 0, release 0");
        row("other messages are ignored", "B0 40 7F, C0 05, A0 3B 10, F8, 90 3B 80",
            "-, -, -, -, -");
        row("everything still held is released, oldest first, once",
            "90 3B 7F, 90 64 7F, 90 3C 7F, 80 3B 00, all, all",
            "press 0, sound 100, press 1, release 0, silence 100, release 1");
    }
    void inputMap()
    {
        QFETCH(QString, script);
        MidiInputMap map;
        int base = 59;
        QStringList got;
        const auto describe = [](const InputAction& a) {
            static const char* const kinds[] = {"press", "release", "sound", "silence"};
            return QStringLiteral("%1 %2").arg(kinds[static_cast<int>(a.kind)]).arg(a.value);
        };
        for (const QString& step : script.split(QStringLiteral(", "))) {
            if (step.startsWith(u"base ")) {
                base = step.mid(5).toInt();
            } else if (step == u"all") {
                for (const InputAction& a : map.releaseAll()) {
                    got << describe(a);
                }
            } else {
                QByteArray bytes = QByteArray::fromHex(step.toLatin1());
                bytes.resize(4);
                const auto a = map.map(qFromLittleEndian<quint32>(bytes.constData()), base);
                got << (a ? describe(*a) : QStringLiteral("-"));
            }
        }
        QTEST(got.join(QStringLiteral(", ")), "actions");
    }

    void systems_data()
    {
        QTest::addColumn<QList<MidiSystem>>("systems");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("chosen"); // key; empty: none
        QTest::addColumn<QString>("status");
        const MidiSystem alsa{"alsa", "ALSA sequencer", "the ALSA sequencer", "", {}};
        const MidiSystem jack{"jack", "JACK", "JACK", "", {}};
        const MidiSystem noAlsa{"alsa", "ALSA sequencer", "the ALSA sequencer", "no device", {}};
        const MidiSystem noJack{"jack", "JACK", "JACK", "no server", {}};
        const QString none =
            QStringLiteral("No MIDI system: %1; the embedded synthesiser plays on.");
        auto row = [](const char* name, const QList<MidiSystem>& systems, const char* preferred,
                      const char* chosen, const QString& status) {
            QTest::newRow(name) << systems << QString(preferred) << QString(chosen) << status;
        };
        row("neither", {noAlsa, noJack}, "jack", "",
            none.arg("neither the ALSA sequencer nor JACK is available"));
        row("the only one built in is missing", {noJack}, "", "",
            none.arg("JACK is not available"));
        row("one, not the preferred", {noAlsa, jack}, "alsa", "jack",
            "MIDI ports through JACK. The ALSA sequencer is not available: no device.");
        row("both", {alsa, jack}, "jack", "jack", "MIDI ports through the ALSA sequencer or JACK.");
    }
    void systems()
    {
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, preferred);
        const MidiSystem* s = midisystems::choose(systems, preferred);
        QTEST(s ? s->key : QString(), "chosen");
        QTEST(midisystems::statusText(systems), "status");
    }

    // A port found again by name, and the piano's own ports, never to be its input.
    void ports()
    {
        QCOMPARE(midisystems::findPort({"K:K 20:0", "K:K 24:0"}, "K:K 24:0"), 1);
        QCOMPARE(midisystems::findPort({"K:K 20:0", "L:L 24:0"}, "L:L 28:0"), 1);
        QCOMPARE(midisystems::findPort({"K:K 20:0"}, "L:L 20:0"), -1);
        QList<bool> piano;
        for (const char* port :
             {"Quorvel Piano:Quorvel Piano", "Quorvel Piano-01:Quorvel Piano",
              "Quorvel Piano:Quorvel Piano 129:0", "Quorvel Pianola:out", "Through:Through 14:0"}) {
            piano << midisystems::isPianoPort(QString::fromLatin1(port));
        }
        QCOMPARE(piano, (QList<bool>{true, true, true, false, false}));
    }

    // The name file beside the program, read as Windows reads a profile string.
    void instrumentNames()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("pellory.dll")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Other]\r\n0=Wrong\r\n[ general midi ]\r\n 5 = Electric Piano 2 \r\n3=One\r\n");
        file.write("3=Two\r\n1=" + QByteArray(400, 'n') + "\r\n[General MIDI]\r\n7=Late\r\n");
        file.close();
        const InstrumentNames names = InstrumentNames::load(file.fileName());
        QCOMPARE((QStringList{names.name(0), names.name(5), names.name(3), names.name(7)}),
                 (QStringList{"", "Electric Piano 2", "One", ""}));
        QCOMPARE(names.name(1), QString(254, u'n'));
    }
};

QTEST_APPLESS_MAIN(TestMidi)
#include "tst_midi.moc"
