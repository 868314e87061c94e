// What the piano sends, and to which outputs: every call the note engine and the
// fan-out make on an output, in order.
#include "midifanout.h"
#include "noteengine.h"

#include <QTest>
#include <QtEndian>

namespace {

// Logs each call as "open -1", "close" or the message's bytes in cable order ("903B7F"),
// after the output's name.
struct LogOut final : MidiOut
{
    LogOut(QStringList& log, const char* name)
        : log(log)
        , name(QString::fromLatin1(name))
    {}
    bool open(int id) override
    {
        log << name + QStringLiteral("open %1").arg(id);
        return opens;
    }
    void send(quint32 m) override
    {
        const quint32 bytes = qToLittleEndian(last = m);
        log << name + QByteArray(reinterpret_cast<const char*>(&bytes), 3).toHex().toUpper();
    }
    void close() override { log << name + QStringLiteral("close"); }

    QStringList& log;
    QString name;
    bool opens = true;
    quint32 last = 0;
};

} // namespace

class TestNoteEngine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Steps: "start C B" (channel, base note), "press K", "press+ K" (while connected),
    // "release K", "all", "instrument N", "up", "down", "base" (shows it), "open S",
    // "open- S" (the device refuses) and "close". Each step gives the calls it made on
    // the output, "-" for none, after "no" when it was refused.
    void engine_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("calls");
        auto row = [](const char* name, const char* script, const char* calls) {
            QTest::newRow(name) << QString(script) << QString(calls);
        };
        row("defaults: key 0 is note 59, a piano released with 0x8C", "press 0, press 0, release 0",
            "903B7F, no, 8C3B00");
        row("channel 1, key 40", "start 1 59, press 40, release 40", "-, 91637F, 8D6300");
        row("connected, a held key sounds again", "press+ 0, press+ 0, release 0",
            "903B7F, 903B7F, 8C3B00");
        row("a note beyond 127 sends nothing, the key still goes down",
            "start 0 120, press 7, press 8, press 8, release 8", "-, 907F7F, -, no, -");
        row("a note below 0 or a channel that makes no status sends nothing",
            "start 0 -1, press 0, release 0, start 112 59, press 0, release 0", "-, -, -, -, -, -");
        row("instrument 5 is a piano, 6 is released with a note-off",
            "instrument 5, press 0, release 0, instrument 6, press 0, release 0",
            "C00500, 903B7F, 8C3B00, C00600, 903B7F, 803B00");
        row("program changes stay on channel 0", "start 1 59, instrument 127, press 0, release 0",
            "-, C07F00, 913B7F, 813B00");
        row("numbers that are no instrument change nothing",
            "instrument 6, instrument 128, instrument -1, release 0", "C00600, -, -, 803B00");
        row("the release is chosen at the press: instrument changed while held",
            "instrument 6, press 0, instrument 0, release 0", "C00600, 903B7F, C00000, 803B00");
        row("the release is chosen at the press: transposed while held",
            "press 0, up, release 0, press 0", "903B7F, -, 8C3B00, 903C7F");
        row("a key never pressed: the present note and instrument", "down, instrument 6, release 0",
            "-, C00600, 803A00");
        row("keys outside 0 to 40 do nothing", "press -1, release -1, press 41, release 41, all",
            "no, no, no, no, -");
        row("all held keys released once, lowest first",
            "instrument 40, press 11, press 0, press 40, release 11, all, all",
            "C02800, 90467F, 903B7F, 90637F, 804600, 803B00 806300 key 0 key 40, -");
        row("a fresh start forgets what was held", "press 0, start 1 70, release 0, press 0",
            "903B7F, -, 8D4600, 91467F");
        row("the base note stops at its 16-bit limits",
            "start 0 32767, up, base, start 0 -32768, down, base", "-, -, 32767, -, -, -32768");
        row("selection 0 is the MIDI mapper, wrapping in 16 bits; closed once when open",
            "open 0, close, close, open- -32768, close",
            "close open -1, close, -, no close open 32767, -");
    }
    void engine()
    {
        QFETCH(QString, script);
        QStringList log;
        LogOut out(log, "");
        NoteEngine notes(out);
        QStringList calls;
        for (const QString& step : script.split(QStringLiteral(", "))) {
            const QString verb = step.section(u' ', 0, 0);
            const auto a = qint16(step.section(u' ', 1, 1).toInt());
            bool done = true;
            log.clear();
            if (verb == u"start") {
                notes.startOver(a, qint16(step.section(u' ', 2, 2).toInt()));
            } else if (verb.startsWith(u"press")) {
                done = notes.press(a, verb == u"press+");
            } else if (verb == u"release") {
                done = notes.release(a);
            } else if (verb == u"all") {
                for (const qint16 key : notes.releaseAll()) {
                    log << QStringLiteral("key %1").arg(key);
                }
            } else if (verb == u"instrument") {
                notes.selectInstrument(step.section(u' ', 1, 1).toInt());
            } else if (verb == u"up") {
                notes.transposeUp();
            } else if (verb == u"down") {
                notes.transposeDown();
            } else if (verb == u"base") {
                log << QString::number(notes.baseNote());
            } else if (verb.startsWith(u"open")) {
                out.opens = verb == u"open";
                done = notes.openDevice(a);
            } else {
                notes.closeDevice();
            }
            const QString made = log.isEmpty() && done ? QStringLiteral("-") : log.join(u' ');
            calls << (done ? made : (QStringLiteral("no ") + made).trimmed());
        }
        QTEST(calls.join(QStringLiteral(", ")), "calls");
        QCOMPARE(quint32(notes.lastMessage()), out.last);
    }

    // Every message goes to each output that opened, as it is; the piano plays on
    // while one output is there.
    void fanOut()
    {
        QStringList log;
        LogOut synth(log, "s ");
        LogOut port(log, "p ");
        port.opens = false;
        MidiFanOut fan({&synth, &port});
        QVERIFY(fan.open(-1));
        fan.send(0x03C0);
        fan.send(0x80C0); // what the outputs themselves drop is theirs to drop
        fan.close();
        fan.send(0x7F3C90);
        synth.opens = false;
        QVERIFY(!fan.open(5));
        fan.send(0x03C0);
        QCOMPARE(log.join(QStringLiteral(", ")),
                 "s open -1, p open -1, s C00300, s C08000, s close, p close, s open 5, p open 5");
    }
};

QTEST_APPLESS_MAIN(TestNoteEngine)
#include "tst_noteengine.moc"
