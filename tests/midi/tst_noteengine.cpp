// The note engine against a recording MIDI output: the bytes of every message, and
// which keys are pressed.
#include "fakes.h"
#include "noteengine.h"

#include <QTest>

using Bytes = QList<int>;

namespace {

QList<Bytes> sent(const RecordingMidiOut& midi)
{
    QList<Bytes> result;
    for (const quint32 value : midi.values()) {
        result.append(RecordingMidiOut::bytes(value));
    }
    return result;
}

} // namespace

class TestNoteEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noteOn_data();
    void noteOn();
    void release_data();
    void release();
    void programChange_data();
    void programChange();
    void keysThatDoNothing_data();
    void keysThatDoNothing();
    void transpose_data();
    void transpose();
    void releaseAll();
    void startOver();
    void device_data();
    void device();
};

void TestNoteEngine::noteOn_data()
{
    // clang-format off
    // The key is pressed, pressed again, then released.
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("baseNote");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QList<Bytes>>("expected");
    QTest::newRow("defaults, key 0") << 0 << 59 << 0 << false
        << QList<Bytes>{{0x90, 59, 127}, {0x8C, 59, 0}};
    QTest::newRow("key 40") << 0 << 59 << 40 << false
        << QList<Bytes>{{0x90, 99, 127}, {0x8C, 99, 0}};
    QTest::newRow("channel 1") << 1 << 59 << 0 << false
        << QList<Bytes>{{0x91, 59, 127}, {0x8D, 59, 0}};
    QTest::newRow("connected, a held key sounds again") << 0 << 59 << 0 << true
        << QList<Bytes>{{0x90, 59, 127}, {0x90, 59, 127}, {0x8C, 59, 0}};
    QTest::newRow("note 127, the highest") << 0 << 120 << 7 << false
        << QList<Bytes>{{0x90, 127, 127}, {0x8C, 127, 0}};
    QTest::newRow("note 128 sends nothing") << 0 << 120 << 8 << false << QList<Bytes>{};
    QTest::newRow("note -1 sends nothing") << 0 << -1 << 0 << false << QList<Bytes>{};
    QTest::newRow("channel 112 makes no status") << 112 << 59 << 0 << false << QList<Bytes>{};
    // clang-format on
}

void TestNoteEngine::noteOn()
{
    QFETCH(int, channel);
    QFETCH(int, baseNote);
    QFETCH(int, key);
    QFETCH(bool, connected);
    QFETCH(QList<Bytes>, expected);
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    notes.startOver(qint16(channel), qint16(baseNote));
    // A note that cannot sound still presses the key, and then owes no release.
    QVERIFY(notes.press(qint16(key), connected));
    QVERIFY(notes.isPressed(qint16(key)));
    QCOMPARE(notes.press(qint16(key), connected), connected);
    QVERIFY(notes.release(qint16(key)));
    QCOMPARE(sent(midi), expected);
    QCOMPARE(quint32(notes.lastMessage()), midi.values().value(midi.messages.size() - 1));
}

void TestNoteEngine::release_data()
{
    // clang-format off
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<int>("instrumentAtPress");
    QTest::addColumn<int>("instrumentAtRelease");
    QTest::addColumn<int>("transposeWhileHeld");
    QTest::addColumn<Bytes>("expected");
    QTest::newRow("instrument 0, a piano") << 0 << true << 0 << 0 << 0 << Bytes{0x8C, 59, 0};
    QTest::newRow("instrument 5, a piano") << 0 << true << 5 << 5 << 0 << Bytes{0x8C, 59, 0};
    QTest::newRow("instrument 6, a note-off") << 0 << true << 6 << 6 << 0 << Bytes{0x80, 59, 0};
    QTest::newRow("channel 1, a piano") << 1 << true << 0 << 0 << 0 << Bytes{0x8D, 59, 0};
    QTest::newRow("channel 1, a note-off") << 1 << true << 6 << 6 << 0 << Bytes{0x81, 59, 0};
    QTest::newRow("instrument changed while held") << 0 << true << 6 << 0 << 0
        << Bytes{0x80, 59, 0};
    QTest::newRow("transposed while held") << 0 << true << 0 << 0 << 1 << Bytes{0x8C, 59, 0};
    QTest::newRow("never pressed: the present instrument") << 0 << false << 0 << 6 << 0
        << Bytes{0x80, 59, 0};
    QTest::newRow("never pressed: the present base note") << 0 << false << 0 << 0 << -1
        << Bytes{0x8C, 58, 0};
    // clang-format on
}

void TestNoteEngine::release()
{
    QFETCH(int, channel);
    QFETCH(bool, pressed);
    QFETCH(int, instrumentAtPress);
    QFETCH(int, instrumentAtRelease);
    QFETCH(int, transposeWhileHeld);
    QFETCH(Bytes, expected);
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    notes.startOver(qint16(channel), 59);
    notes.selectInstrument(instrumentAtPress);
    if (pressed) {
        QVERIFY(notes.press(0, false));
    }
    notes.selectInstrument(instrumentAtRelease);
    if (transposeWhileHeld > 0) {
        notes.transposeUp();
    } else if (transposeWhileHeld < 0) {
        notes.transposeDown();
    }
    midi.clear();
    QVERIFY(notes.release(0));
    QVERIFY(!notes.isPressed(0));
    QCOMPARE(sent(midi), QList<Bytes>{expected});
}

void TestNoteEngine::programChange_data()
{
    // clang-format off
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QList<Bytes>>("expected");
    QTest::addColumn<int>("selected");
    QTest::newRow("instrument 0") << 0 << 0 << QList<Bytes>{{0xC0, 0, 0}} << 0;
    QTest::newRow("instrument 127") << 0 << 127 << QList<Bytes>{{0xC0, 127, 0}} << 127;
    QTest::newRow("channel 1, still channel 0") << 1 << 3 << QList<Bytes>{{0xC0, 3, 0}} << 3;
    QTest::newRow("128 is no instrument") << 0 << 128 << QList<Bytes>{} << 9;
    QTest::newRow("-1 is no instrument") << 0 << -1 << QList<Bytes>{} << 9;
    // clang-format on
}

void TestNoteEngine::programChange()
{
    QFETCH(int, channel);
    QFETCH(int, instrument);
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    notes.startOver(qint16(channel), 59);
    notes.selectInstrument(9);
    midi.clear();
    notes.selectInstrument(instrument);
    QTEST(sent(midi), "expected");
    QTEST(notes.instrument(), "selected");
}

void TestNoteEngine::keysThatDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("-1 is no key") << -1;
    QTest::newRow("41, above the keys") << 41;
    QTest::newRow("32767") << 32767;
}

void TestNoteEngine::keysThatDoNothing()
{
    QFETCH(int, key);
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    QVERIFY(!notes.press(qint16(key), true));
    QVERIFY(!notes.release(qint16(key)));
    QVERIFY(!notes.isPressed(qint16(key)));
    QVERIFY(notes.releaseAll().isEmpty());
    QVERIFY(midi.messages.isEmpty());
}

void TestNoteEngine::transpose_data()
{
    // clang-format off
    QTest::addColumn<int>("baseNote");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("up from 59") << 59 << true << 60;
    QTest::newRow("up stops at the 16-bit top") << 32767 << true << 32767;
    QTest::newRow("down stops at the 16-bit bottom") << -32768 << false << -32768;
    // clang-format on
}

void TestNoteEngine::transpose()
{
    QFETCH(int, baseNote);
    QFETCH(bool, up);
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    notes.startOver(0, qint16(baseNote));
    if (up) {
        notes.transposeUp();
    } else {
        notes.transposeDown();
    }
    QTEST(int(notes.baseNote()), "expected");
    QVERIFY(midi.messages.isEmpty());
}

void TestNoteEngine::releaseAll()
{
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    notes.selectInstrument(40);
    for (const qint16 key : {11, 0, 40}) {
        QVERIFY(notes.press(key, false));
    }
    QVERIFY(notes.release(11));
    midi.clear();
    QCOMPARE(notes.releaseAll(), (QList<qint16>{0, 40}));
    QCOMPARE(sent(midi), (QList<Bytes>{{0x80, 59, 0}, {0x80, 99, 0}}));
    midi.clear();
    QVERIFY(notes.releaseAll().isEmpty());
    QVERIFY(midi.messages.isEmpty());
}

void TestNoteEngine::startOver()
{
    // A restart forgets what was held: the key can be pressed again, and its release
    // is that of the new channel and base note, not the one owed before.
    RecordingMidiOut midi;
    NoteEngine notes(midi);
    QVERIFY(notes.press(0, false));
    notes.startOver(1, 70);
    QVERIFY(!notes.isPressed(0));
    midi.clear();
    QVERIFY(notes.release(0));
    QVERIFY(notes.press(0, false));
    QCOMPARE(sent(midi), (QList<Bytes>{{0x8D, 70, 0}, {0x91, 70, 127}}));
}

void TestNoteEngine::device_data()
{
    // clang-format off
    QTest::addColumn<int>("selection");
    QTest::addColumn<bool>("available");
    QTest::addColumn<int>("deviceId");
    QTest::newRow("selection 0 is the MIDI mapper") << 0 << true << -1;
    QTest::newRow("a device that cannot be had") << 0 << false << -1;
    QTest::newRow("selection -32768 wraps in 16 bits") << -32768 << true << 32767;
    // clang-format on
}

void TestNoteEngine::device()
{
    QFETCH(int, selection);
    QFETCH(bool, available);
    QFETCH(int, deviceId);
    RecordingMidiOut midi;
    midi.openSucceeds = available;
    NoteEngine notes(midi);
    QCOMPARE(notes.openDevice(qint16(selection)), available);
    QCOMPARE(notes.deviceId(), deviceId);
    QCOMPARE(midi.openedIds, QList<int>{deviceId});
    QCOMPARE(midi.closes, 1); // whatever was open is closed first
    notes.closeDevice();
    notes.closeDevice();
    QCOMPARE(midi.closes, available ? 2 : 1); // a device never opened is not closed
}

QTEST_APPLESS_MAIN(TestNoteEngine)
#include "tst_noteengine.moc"
