// Start-up, restart and shutdown of the main window; note messages, key looks and
// instruments, as the synthesiser and the user see them.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using Bytes = QList<int>;

namespace {

Bytes lastBytes(const RecordingMidiOut& midi)
{
    return RecordingMidiOut::bytes(midi.values().last());
}

QColor buttonText()
{
    return QApplication::palette().color(QPalette::ButtonText);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noDataFolder();
    void settingsFile_data();
    void settingsFile();
    void colourFile_data();
    void colourFile();
    void restartReadsFilesAgain();
    void converterAndDevice();
    void noteMessages_data();
    void noteMessages();
    void keyLooks();
    void notesOutsideMidiRangeSendNothing();
    void instrumentNames_data();
    void instrumentNames();
    void instrumentListsAndHighlight();
};

void TestStartup::noDataFolder()
{
    PianoFixture f;
    Form1& w = f.start();
    QCOMPARE(std::tuple(w.channel(), w.baseNote(), w.velocity(), w.timeDelay()),
             std::tuple(qint16(0), qint16(59), qint16(127), qint16(0)));
    QCOMPARE(f.find<QScrollBar>("tdelay")->maximum(), 0);
    QCOMPARE(w.backColor(), QColor(255, 249, 252));
    QCOMPARE(f.midi.openedIds, QList<int>{-1});
    QCOMPARE(f.midi.values(), QList<quint32>{0xC0});
    QCOMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Acoustic Grand Piano"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano - 127 Tones"));
    QVERIFY(!QFileInfo::exists(f.dataPath(QStringLiteral("instruments.ini"))));

    // Closing sends nothing more (no all-notes-off) and closes the device.
    f.midi.clear();
    const int closes = f.midi.closes;
    w.close();
    QCOMPARE(f.midi.closes, closes + 1);
    QVERIFY(f.midi.messages.isEmpty());
}

void TestStartup::settingsFile_data()
{
    // clang-format off
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("expected"); // channel, base note, bar min, max, value
    QTest::addColumn<QString>("delayFactor");
    const QString settings = QStringLiteral("instruments.ini");
    QTest::newRow("shipped six lines") << settings
        << QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n") << QList<int>{0, 60, 0, 300, 112}
        << "5";
    QTest::newRow("halves go to even, seventh line unread") << settings
        << QByteArray("2.5\r\n3.5\r\n5\r\n0\r\n300\r\n112\r\nxx\r\n")
        << QList<int>{2, 4, 0, 300, 112} << "5";
    QTest::newRow("leading number counts, none gives 0") << settings
        << QByteArray("12abc\nxyz\n5x\n10\n200\n50\n") << QList<int>{12, 0, 10, 200, 50} << "5x";
    QTest::newRow("short file keeps defaults") << settings << QByteArray("1\r\n70")
        << QList<int>{1, 70, 0, 0, 0} << "";
    QTest::newRow("too large for 16 bits") << settings
        << QByteArray("99999\r\n-70000\r\n5\r\n0\r\n1e9\r\n1e9\r\n")
        << QList<int>{0, 59, 0, 32767, 32767} << "5";
    QTest::newRow("start value brought into the range") << settings
        << QByteArray("0\r\n60\r\n5\r\n100\r\n200\r\n999\r\n") << QList<int>{0, 60, 100, 200, 200}
        << "5";
    QTest::newRow("binary garbage") << settings << QByteArray("\x00\xff\xfe\r\n\x01", 6)
        << QList<int>{0, 0, 0, 0, 0} << "";
    QTest::newRow("hidden file is missing") << ".instruments.ini" << QByteArray("5\r\n70\r\n")
        << QList<int>{0, 59, 0, 0, 0} << "";
    // clang-format on
}

void TestStartup::settingsFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, expected);
    PianoFixture f;
    f.writeData(name, file);
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("tdelay");
    QCOMPARE((QList<int>{w.channel(), w.baseNote(), bar->minimum(), bar->maximum(), bar->value()}),
             expected);
    QCOMPARE(int(w.timeDelay()), bar->value());
    QTEST(w.delayFactor(), "delayFactor");
    QCOMPARE(f.readData(name), file); // never written
}

void TestStartup::colourFile_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("shape");
    QTest::newRow("hexadecimal") << QByteArray("&HFF0000\r\n&H00FF00\r\n") << QColor(0, 0, 255)
        << QColor(0, 255, 0);
    QTest::newRow("decimal") << QByteArray("16711680\r\n255") << QColor(0, 0, 255)
        << QColor(255, 0, 0);
    QTest::newRow("not colours keep the design") << QByteArray("-5\r\n99999999999\r\n")
        << QColor(255, 249, 252) << QColor(253, 219, 238);
    // clang-format on
}

void TestStartup::colourFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QColor, window);
    PianoFixture f;
    f.writeData(QStringLiteral("skincolor.dll"), file);
    Form1& w = f.start();
    QCOMPARE(w.backColor(), window);
    QTEST(f.find<FormSurface>("surface")->shapeColor(), "shape");
    for (const char* name : {"txtRx", "txtSend", "Frame1"}) {
        QCOMPARE(f.find<QWidget>(QString::fromLatin1(name))->palette().color(QPalette::Window),
                 window);
    }
}

void TestStartup::restartReadsFilesAgain()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), "1\r\n60\r\n5\r\n0\r\n300\r\n112\r\n");
    f.writeData(QStringLiteral("skincolor.dll"), "255\r\n255\r\n");
    Form1& w = f.start();
    w.Form_KeyDown(33); // Page Up moves the base note; a restart takes the file's again
    f.writeData(QStringLiteral("instruments.ini"), "2\r\n65\r\n3\r\n10\r\n200\r\n150\r\n");
    f.midi.clear();
    w.RestartMainWindow();
    QCOMPARE(std::tuple(w.baseNote(), w.channel(), w.delayFactor()),
             std::tuple(qint16(65), qint16(2), QStringLiteral("3")));
    QCOMPARE(f.midi.opens, 2);
    QCOMPARE(f.midi.values(), QList<quint32>{0xC0});

    // Without the files the channel and base note fall back, the delay texts and the
    // colour text keep what was read, and every control is back in its design.
    QFile::remove(f.dataPath(QStringLiteral("instruments.ini")));
    QFile::remove(f.dataPath(QStringLiteral("skincolor.dll")));
    f.find<QAction>("mnuRecord")->trigger();
    w.RestartMainWindow();
    QCOMPARE(std::tuple(w.channel(), w.baseNote(), w.delayFactor()),
             std::tuple(qint16(0), qint16(59), QStringLiteral("3")));
    QCOMPARE(f.find<QScrollBar>("tdelay")->minimum(), 10);
    QCOMPARE(w.backColor(), QColor(255, 249, 252));
    QVERIFY(!f.find<QAction>("mnuRecord")->isChecked());
}

void TestStartup::converterAndDevice()
{
    PianoFixture f;
    f.writeProgram(QStringLiteral("kestrune"), "#!/bin/sh\n", true);
    f.midi.openSucceeds = false;
    Form1& w = f.start();
    QVERIFY(f.find<QAction>("kestrune")->isEnabled());
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel - Device not ready"));
    w.PlayKey(0); // playing goes on visually
    QCOMPARE(w.key(0)->value(), 1);
    QFile::remove(f.programPath(QStringLiteral("kestrune")));
    w.RestartMainWindow();
    QVERIFY(!f.find<QAction>("kestrune")->isEnabled());
}

void TestStartup::noteMessages_data()
{
    // clang-format off
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<int>("key");
    QTest::addColumn<Bytes>("noteOn");
    QTest::addColumn<Bytes>("release");
    QTest::newRow("key 0, piano") << 0 << 0 << 0 << Bytes{0x90, 59, 127} << Bytes{0x8C, 59, 0};
    QTest::newRow("key 40") << 0 << 0 << 40 << Bytes{0x90, 99, 127} << Bytes{0x8C, 99, 0};
    QTest::newRow("instrument 5 is a piano") << 0 << 5 << 0 << Bytes{0x90, 59, 127}
        << Bytes{0x8C, 59, 0};
    QTest::newRow("instrument 6 gets a note-off") << 0 << 6 << 0
        << Bytes{0x90, 59, 127} << Bytes{0x80, 59, 0};
    QTest::newRow("channel 1, piano") << 1 << 0 << 0 << Bytes{0x91, 59, 127} << Bytes{0x8D, 59, 0};
    QTest::newRow("channel 1, organ") << 1 << 19 << 0 << Bytes{0x91, 59, 127} << Bytes{0x81, 59, 0};
    // clang-format on
}

void TestStartup::noteMessages()
{
    QFETCH(int, channel);
    QFETCH(int, instrument);
    QFETCH(int, key);
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), QByteArray::number(channel) + "\r\n59\r\n");
    Form1& w = f.start();
    f.find<QScrollBar>("HScrollPatch")->setValue(instrument);
    QCOMPARE(lastBytes(f.midi), (Bytes{0xC0, instrument, 0})); // never on the note channel
    f.midi.clear();
    w.PlayKey(qint16(key));
    w.PlayKey(qint16(key)); // still pressed: nothing more
    w.ReleaseKey(qint16(key));
    QCOMPARE(f.midi.values().size(), 2);
    QTEST(RecordingMidiOut::bytes(f.midi.values()[0]), "noteOn");
    QTEST(lastBytes(f.midi), "release");
    QCOMPARE(quint32(w.lastMessage()), f.midi.values()[1]);
}

void TestStartup::keyLooks()
{
    PianoFixture f;
    Form1& w = f.start();
    QCOMPARE(w.key(0)->captionColor(), buttonText()); // until its first release
    w.PlayKey(0);
    QCOMPARE(std::tuple(w.key(0)->value(), w.key(0)->captionColor(), w.key(0)->backgroundColor()),
             std::tuple(1, QColor(255, 0, 0), QColor(255, 255, 192)));
    QCOMPARE(QApplication::focusWidget(), w.key(0));
    w.ReleaseKey(0);
    QCOMPARE(std::tuple(w.key(0)->value(), w.key(0)->captionColor(), w.key(0)->backgroundColor()),
             std::tuple(0, QColor(192, 0, 192), QColor(255, 255, 255)));
    w.PlayKey(1);
    QCOMPARE(w.key(1)->backgroundColor(), QColor(64, 0, 0)); // black keys keep theirs

    f.midi.clear();
    w.PlayKey(-1);
    w.ReleaseKey(-1);
    QVERIFY(f.midi.messages.isEmpty());
    w.ReleaseKey(7); // never pressed: the release is sent all the same
    QCOMPARE(lastBytes(f.midi), (Bytes{0x8C, 66, 0}));
}

void TestStartup::notesOutsideMidiRangeSendNothing()
{
    // Note 130 does not exist: nothing is sent (not the last message again), but the
    // key is drawn pressed and released.
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), "0\r\n120\r\n5\r\n0\r\n300\r\n112\r\n");
    Form1& w = f.start();
    f.midi.clear();
    w.PlayKey(7); // note 127, the highest
    w.ReleaseKey(7);
    w.PlayKey(10);
    QCOMPARE(w.key(10)->value(), 1);
    w.ReleaseKey(10);
    QCOMPARE(f.midi.values().size(), 2);
}

void TestStartup::instrumentNames_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QString>("name");
    const QByteArray section("[General MIDI]\r\n");
    QTest::newRow("blanks around") << section + " 5 = Electric Piano 2 \r\n" << 5
        << "Electric Piano 2";
    QTest::newRow("first entry counts") << section + "3=One\r\n3=Two\r\n" << 3 << "One";
    QTest::newRow("name cut to 254") << section + "1=" + QByteArray(400, 'n') << 1
        << QString(254, u'n');
    QTest::newRow("empty file") << QByteArray() << 127 << "";
    // clang-format on
}

void TestStartup::instrumentNames()
{
    QFETCH(QByteArray, file);
    QFETCH(int, instrument);
    PianoFixture f;
    f.writeProgram(QStringLiteral("pellory.dll"), file);
    f.start();
    f.find<QScrollBar>("HScrollPatch")->setValue(instrument);
    QTEST(f.find<QLabel>("instru")->text(), "name");
    QCOMPARE(lastBytes(f.midi), (Bytes{0xC0, instrument, 0})); // sent whatever the name
}

void TestStartup::instrumentListsAndHighlight()
{
    PianoFixture f;
    Form1& w = f.start();
    const QStringList box0 = w.loadnam(0)->toPlainText().split(u'\n');
    QCOMPARE(box0.size(), 21);
    QCOMPARE(box0.mid(0, 2), (QStringList{"", " 0 - Acoustic Grand Piano"}));
    QVERIFY(w.loadnam(5)->toPlainText().endsWith(u" 119 - Reverse Cymbal"));

    // Each return from one of the piano's own windows appends the entries again.
    QWidget own;
    own.setObjectName(QStringLiteral("frmAbout"));
    for (int round = 0; round < 2; ++round) {
        own.show();
        own.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&own));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QCOMPARE(w.loadnam(3)->toPlainText().split(u'\n').size(), 61);

    // A change of instrument lights the label for two seconds, then the focus goes
    // to key 0 wherever it was.
    auto* instru = f.find<ClickLabel>("instru");
    f.find<QScrollBar>("HScrollPatch")->setValue(3);
    QCOMPARE(instru->textColor(), QColor(192, 64, 0));
    f.find<QLineEdit>("txtSend")->setEnabled(true);
    f.find<QLineEdit>("txtSend")->show();
    f.find<QLineEdit>("txtSend")->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(instru->textColor(), buttonText(), 3000);
    QCOMPARE(QApplication::focusWidget(), w.key(0));
    QTest::mouseClick(instru, Qt::LeftButton);
    QCOMPARE(w.windowTitle(),
             QStringLiteral("Quorvel Piano - Device: MIDI mapper, Channel: 0, Instrument: 3"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
