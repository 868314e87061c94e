// Short messages as the bytes a MIDI port carries, both ways.
#include "midiwire.h"

#include <QTest>

class TestMidiWire final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesOf_data()
    {
        QTest::addColumn<quint32>("message");
        QTest::addColumn<QByteArray>("bytes"); // hex; empty: dropped
        auto row = [](const char* name, quint32 message, const char* bytes) {
            QTest::newRow(name) << message << QByteArray::fromHex(bytes);
        };
        row("note-on of key 0", 0x7F3B90, "903b7f");
        row("the piano release, second data byte 0", 0x3B8C, "8c3b00");
        row("program change: one data byte, the rest not looked at", 0xFF7FC0, "c07f");
        row("channel pressure", 0x40D5, "d540");
        row("pitch bend", 0x4000EF, "ef0040");
        row("song position", 0x0102F2, "f20201");
        row("song select", 0x03F3, "f303");
        row("tune request", 0xF6, "f6");
        row("clock", 0x7F7FF8, "f8");
        row("no status byte", 0x7F3B, "");
        row("velocity of 0x80", 0x803B90, "");
        row("note of 0x80", 0x80C090, "");
        row("system exclusive", 0x7E7EF0, "");
        row("undefined system common", 0xF4, "");
    }
    void bytesOf()
    {
        QFETCH(quint32, message);
        QFETCH(QByteArray, bytes);
        QCOMPARE(midiwire::bytesOf(message), bytes);
    }

    void packed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("message"); // -1: not a short message
        auto row = [](const char* name, const char* bytes, qint64 message) {
            QTest::newRow(name) << QByteArray::fromHex(bytes) << message;
        };
        row("note-off", "803c40", 0x403C80);
        row("program change", "c105", 0x05C1);
        row("clock", "f8", 0xF8);
        row("cut short", "903c", -1);
        row("one byte too many", "c10506", -1);
        row("data byte of 0x80", "90803c", -1);
        row("running status, no status byte", "3c7f", -1);
        row("system exclusive", "f07e7f0901f7", -1);
        row("nothing", "", -1);
    }
    void packed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, message);
        const auto value = midiwire::packed(bytes);
        QCOMPARE(value ? qint64{*value} : -1, message);
    }
};

QTEST_APPLESS_MAIN(TestMidiWire)
#include "tst_midiwire.moc"
