// Short messages as the bytes a MIDI port carries, both ways.
#include "midiwire.h"

#include <QTest>

class TestMidiWire final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytes_data()
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
        row("no status byte", "to bytes", 0x7F3B, "");
        row("system exclusive", "to bytes", 0x7E7EF0, "");
        row("undefined status", "to bytes", 0xF4, "");
        row("cut short", "from bytes", -1, "903c");
        row("one byte too many", "from bytes", -1, "c10506");
        row("note of 0x80", "from bytes", -1, "90803c");
        row("system exclusive in full", "from bytes", -1, "f07e7f0901f7");
    }
    void bytes()
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
};

QTEST_APPLESS_MAIN(TestMidiWire)
#include "tst_midiwire.moc"
