// Start-up, shutdown and restart of the main window; the note messages, key looks
// and instruments, checked as a user or the synthesiser sees them.
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

constexpr quint32 pack(int status, int data1, int data2)
{
    return quint32(status + data1 * 256 + data2 * 65536);
}

QColor baseColor(QWidget* w)
{
    return w->palette().color(QPalette::Base);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noDataFolder();
    void settingsFile_data();
    void settingsFile();
    void hiddenSettingsFileIsMissing();
    void colourFile_data();
    void colourFile();
    void restartReadsFilesAgain();
    void converterMenuItem();
    void deviceNotReady();
    void layout();
    void noteMessages_data();
    void noteMessages();
    void keyLooks();
    void repeatedPressSendsNothing();
    void notesOutsideMidiRangeSendNothing();
    void instrumentNames_data();
    void instrumentNames();
    void instrumentLists();
    void instrumentHighlightAndTitle();
    void closeClosesDevice();
};

void TestStartup::noDataFolder()
{
    PianoFixture f;
    Form1& w = f.start();
    QCOMPARE(w.channel(), qint16(0));
    QCOMPARE(w.baseNote(), qint16(59));
    QCOMPARE(w.velocity(), qint16(127));
    auto* tdelay = f.find<QScrollBar>("tdelay");
    QCOMPARE(tdelay->minimum(), 0);
    QCOMPARE(tdelay->maximum(), 0);
    QCOMPARE(w.timeDelay(), qint16(0));
    QCOMPARE(w.backColor(), QColor(255, 249, 252));
    QCOMPARE(f.midi.openedIds, QList<int>{-1});
    QCOMPARE(f.midi.values(), QList<quint32>{pack(0xC0, 0, 0)});
    QCOMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Acoustic Grand Piano"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano - 127 Tones"));
    QVERIFY(!QFileInfo::exists(f.dataPath(QString())));
}

void TestStartup::settingsFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("baseNote");
    QTest::addColumn<QString>("delayFactor");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("value");

    QTest::newRow("shipped six lines")
        << QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n") << 0 << 60 << "5" << 0 << 300 << 112;
    QTest::newRow("halves go to even")
        << QByteArray("2.5\r\n3.5\r\n5\r\n0\r\n300\r\n112\r\n") << 2 << 4 << "5" << 0 << 300 << 112;
    QTest::newRow("leading number counts, none gives 0")
        << QByteArray("12abc\r\nxyz\r\n5x\r\n10\r\n200\r\n50\r\n") << 12 << 0 << "5x" << 10 << 200
        << 50;
    QTest::newRow("lines after the sixth are not read")
        << QByteArray("1\r\n61\r\n2\r\n0\r\n100\r\n50\r\n7\r\n8\r\n") << 1 << 61 << "2" << 0 << 100
        << 50;
    QTest::newRow("Unix line ends")
        << QByteArray("3\n62\n4\n1\n9\n5\n") << 3 << 62 << "4" << 1 << 9 << 5;
    QTest::newRow("short file keeps defaults")
        << QByteArray("1\r\n70") << 1 << 70 << "" << 0 << 0 << 0;
    QTest::newRow("empty file") << QByteArray() << 0 << 59 << "" << 0 << 0 << 0;
    QTest::newRow("numbers too large for 16 bits take defaults")
        << QByteArray("99999\r\n-70000\r\n5\r\n0\r\n99999\r\n1e9\r\n") << 0 << 59 << "5" << 0
        << 32767 << 32767;
    QTest::newRow("start value outside the range is brought into it")
        << QByteArray("0\r\n60\r\n5\r\n100\r\n200\r\n999\r\n") << 0 << 60 << "5" << 100 << 200
        << 200;
    QTest::newRow("binary garbage")
        << QByteArray("\x00\xff\xfe\r\n\x01\x02", 8) << 0 << 0 << "" << 0 << 0 << 0;
}

void TestStartup::settingsFile()
{
    QFETCH(QByteArray, file);
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), file);
    Form1& w = f.start();
    QTEST(int(w.channel()), "channel");
    QTEST(int(w.baseNote()), "baseNote");
    QTEST(w.delayFactor(), "delayFactor");
    auto* tdelay = f.find<QScrollBar>("tdelay");
    QTEST(tdelay->minimum(), "min");
    QTEST(tdelay->maximum(), "max");
    QTEST(tdelay->value(), "value");
    QTEST(int(w.timeDelay()), "value");
    // The start-up never writes to the settings file.
    QCOMPARE(f.readData(QStringLiteral("instruments.ini")), file);
}

void TestStartup::hiddenSettingsFileIsMissing()
{
    PianoFixture f;
    f.writeData(QStringLiteral(".instruments.ini"), "5\r\n70\r\n5\r\n0\r\n300\r\n112\r\n");
    Form1& w = f.start();
    QCOMPARE(w.baseNote(), qint16(59));
    QCOMPARE(w.channel(), qint16(0));
}

void TestStartup::colourFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("shape");
    QTest::newRow("hexadecimal blue")
        << QByteArray("&HFF0000\r\n&H00FF00\r\n") << QColor(0, 0, 255) << QColor(0, 255, 0);
    QTest::newRow("decimal blue") << QByteArray("16711680\r\n255\r\n") << QColor(0, 0, 255)
                                  << QColor(255, 0, 0);
    QTest::newRow("one line only")
        << QByteArray("255") << QColor(255, 0, 0) << QColor(253, 219, 238);
    QTest::newRow("not colours keep the design")
        << QByteArray("-5\r\n99999999999\r\n") << QColor(255, 249, 252) << QColor(253, 219, 238);
    QTest::newRow("empty file keeps the design")
        << QByteArray() << QColor(255, 249, 252) << QColor(253, 219, 238);
}

void TestStartup::colourFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QColor, window);
    QFETCH(QColor, shape);
    PianoFixture f;
    f.writeData(QStringLiteral("skincolor.dll"), file);
    Form1& w = f.start();
    QCOMPARE(w.backColor(), window);
    QCOMPARE(f.find<FormSurface>("surface")->shapeColor(), shape);
    QCOMPARE(baseColor(f.find<QPlainTextEdit>("txtRx")), window);
    QCOMPARE(baseColor(f.find<QLineEdit>("txtSend")), window);
    QCOMPARE(f.find<QWidget>("Frame1")->palette().color(QPalette::Window), window);
}

void TestStartup::restartReadsFilesAgain()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), "1\r\n60\r\n5\r\n0\r\n300\r\n112\r\n");
    f.writeData(QStringLiteral("skincolor.dll"), "255\r\n255\r\n");
    Form1& w = f.start();
    w.Form_KeyDown(33); // Page Up moves the base note...
    QCOMPARE(w.baseNote(), qint16(61));
    f.writeData(QStringLiteral("instruments.ini"), "2\r\n65\r\n3\r\n10\r\n200\r\n150\r\n");
    f.midi.clear();
    w.RestartMainWindow();
    QCOMPARE(w.baseNote(), qint16(65)); // ...and a restart takes the file's value again
    QCOMPARE(w.channel(), qint16(2));
    QCOMPARE(w.delayFactor(), QStringLiteral("3"));
    QCOMPARE(f.find<QScrollBar>("tdelay")->maximum(), 200);
    QCOMPARE(f.midi.opens, 2);
    QCOMPARE(f.midi.values(), QList<quint32>{pack(0xC0, 0, 0)});

    // Without the settings file the channel and base note fall back; the delay texts
    // and the colour text keep what was read before.
    QFile::remove(f.dataPath(QStringLiteral("instruments.ini")));
    QFile::remove(f.dataPath(QStringLiteral("skincolor.dll")));
    w.RestartMainWindow();
    QCOMPARE(w.channel(), qint16(0));
    QCOMPARE(w.baseNote(), qint16(59));
    QCOMPARE(w.delayFactor(), QStringLiteral("3"));
    QCOMPARE(f.find<QScrollBar>("tdelay")->minimum(), 10);
    QCOMPARE(w.backColor(), QColor(255, 249, 252)); // controls come back in their design
    QCOMPARE(f.find<QAction>("mnuRecord")->isChecked(), false);
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano - 127 Tones"));
}

void TestStartup::converterMenuItem()
{
    {
        PianoFixture f;
        f.start();
        QVERIFY(!f.find<QAction>("kestrune")->isEnabled());
    }
    PianoFixture f;
    f.writeProgram(QStringLiteral("kestrune"), "#!/bin/sh\n", true);
    Form1& w = f.start();
    QVERIFY(f.find<QAction>("kestrune")->isEnabled());
    w.RestartMainWindow();
    QVERIFY(f.find<QAction>("kestrune")->isEnabled());
}

void TestStartup::deviceNotReady()
{
    PianoFixture f;
    f.midi.openSucceeds = false;
    Form1& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel - Device not ready"));
    w.PlayKey(0); // playing goes on visually
    QCOMPARE(w.key(0)->value(), 1);
}

void TestStartup::layout()
{
    PianoFixture f;
    Form1& w = f.start();
    // 11760 x 2835 twips of client area below the menu bar, 15 twips to a pixel.
    QCOMPARE(w.centralWidget()->width(), 784);
    QCOMPARE(w.centralWidget()->height() + f.find<QWidget>("StatusBar1")->height(), 189);
    QCOMPARE(w.minimumSize(), w.maximumSize());

    // Key 0 and key 40 (white), key 1 and key 39 (black): Left, Top, Width, Height.
    QCOMPARE(w.key(0)->geometry(), QRect(8, -56, 33, 145));
    QCOMPARE(w.key(40)->geometry(), QRect(744, -56, 33, 145));
    QCOMPARE(w.key(1)->geometry(), QRect(32, -56, 17, 105));
    QCOMPARE(w.key(39)->geometry(), QRect(736, -56, 17, 105));
    QCOMPARE(w.key(12)->caption(), QStringLiteral("C"));
    QCOMPARE(w.key(12)->toolTip(), QStringLiteral(","));
    QCOMPARE(w.key(40)->toolTip(), QStringLiteral("Del"));
    QVERIFY(w.key(1)->caption().isEmpty());
    // A black key lies above its white neighbours.
    QCOMPARE(w.centralWidget()->childAt(QPoint(40, 10)), w.key(1));

    const QList<std::tuple<const char*, QString, QKeySequence, bool>> items{
        {"mnuFileSav", "&Save", Qt::Key_F1, true},
        {"mnufileload", "&Load", Qt::Key_F2, true},
        {"mnufileConnect", "&Connect", Qt::Key_F3, true},
        {"mnufileclear", "Clear playlist", Qt::Key_F5, true},
        {"kestrune", "&Create MIDI", Qt::Key_F6, false},
        {"mnuFileexit", "&Exit", Qt::Key_F7, true},
        {"mnuRecord", "&Record", QKeySequence(), true},
        {"mnurdme", "&Guide", QKeySequence(), true},
    };
    for (const auto& [name, caption, shortcut, enabled] : items) {
        auto* action = f.find<QAction>(QString::fromLatin1(name));
        QVERIFY2(action, name);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut(), shortcut);
        QCOMPARE(action->isEnabled(), enabled);
    }
    auto* status = f.find<PanelStatusBar>("StatusBar1");
    QCOMPARE(status->panel(0)->toolTip(), QStringLiteral("Quorvel version 2.0"));
    QVERIFY(!status->panel(0)->text().isEmpty());
    QCOMPARE(status->panel(7)->text(), QStringLiteral("Quorvel"));
    // The instrument lists lie below the normal client area.
    QVERIFY(f.find<QWidget>("loadnam(0)")->y() >= w.centralWidget()->height());
    QVERIFY(f.find<QWidget>("txtRx")->isHidden());
    QVERIFY(f.find<QWidget>("tdelay")->isHidden());
}

void TestStartup::noteMessages_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<int>("key");
    QTest::addColumn<Bytes>("noteOn");
    QTest::addColumn<Bytes>("release");
    const QByteArray none;
    const QByteArray channel1("1\r\n59\r\n5\r\n0\r\n300\r\n112\r\n");
    QTest::newRow("key 0, piano") << none << 0 << 0 << Bytes{0x90, 0x3B, 0x7F}
                                  << Bytes{0x8C, 0x3B, 0};
    QTest::newRow("key 40") << none << 0 << 40 << Bytes{0x90, 0x63, 0x7F} << Bytes{0x8C, 0x63, 0};
    QTest::newRow("instrument 5 is a piano")
        << none << 5 << 0 << Bytes{0x90, 0x3B, 0x7F} << Bytes{0x8C, 0x3B, 0};
    QTest::newRow("instrument 6 gets a note-off")
        << none << 6 << 0 << Bytes{0x90, 0x3B, 0x7F} << Bytes{0x80, 0x3B, 0};
    QTest::newRow("channel 1, piano")
        << channel1 << 0 << 0 << Bytes{0x91, 0x3B, 0x7F} << Bytes{0x8D, 0x3B, 0};
    QTest::newRow("channel 1, organ")
        << channel1 << 19 << 0 << Bytes{0x91, 0x3B, 0x7F} << Bytes{0x81, 0x3B, 0};
}

void TestStartup::noteMessages()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, instrument);
    QFETCH(int, key);
    QFETCH(Bytes, noteOn);
    QFETCH(Bytes, release);
    PianoFixture f;
    if (!settings.isEmpty()) {
        f.writeData(QStringLiteral("instruments.ini"), settings);
    }
    Form1& w = f.start();
    f.find<QScrollBar>("HScrollPatch")->setValue(instrument);
    // The program change never carries the channel.
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values().last()), (Bytes{0xC0, instrument, 0}));
    f.midi.clear();
    w.PlayKey(qint16(key));
    w.ReleaseKey(qint16(key));
    QCOMPARE(f.midi.values().size(), 2);
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values()[0]), noteOn);
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values()[1]), release);
    QCOMPARE(quint32(w.lastMessage()), f.midi.values()[1]);
}

void TestStartup::keyLooks()
{
    PianoFixture f;
    Form1& w = f.start();
    const QColor buttonText = QApplication::palette().color(QPalette::ButtonText);
    QCOMPARE(w.key(0)->captionColor(), buttonText);
    QCOMPARE(w.key(2)->captionColor(), QColor(192, 0, 192));

    w.PlayKey(0);
    QCOMPARE(w.key(0)->value(), 1);
    QCOMPARE(w.key(0)->captionColor(), QColor(255, 0, 0));
    QCOMPARE(w.key(0)->backgroundColor(), QColor(255, 255, 192));
    QCOMPARE(QApplication::focusWidget(), w.key(0));
    w.ReleaseKey(0);
    QCOMPARE(w.key(0)->value(), 0);
    QCOMPARE(w.key(0)->captionColor(), QColor(192, 0, 192));
    QCOMPARE(w.key(0)->backgroundColor(), QColor(255, 255, 255));

    w.PlayKey(1);
    QCOMPARE(w.key(1)->backgroundColor(), QColor(64, 0, 0));
    w.ReleaseKey(1);
    QCOMPARE(w.key(1)->backgroundColor(), QColor(64, 0, 0));

    // No key: nothing changes and nothing is sent.
    f.midi.clear();
    w.PlayKey(-1);
    w.ReleaseKey(-1);
    QVERIFY(f.midi.messages.isEmpty());

    // A key never pressed still gets its release and the rest look.
    w.ReleaseKey(7);
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values().value(0)), (Bytes{0x8C, 59 + 7, 0}));
}

void TestStartup::repeatedPressSendsNothing()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    w.PlayKey(3);
    w.PlayKey(3);
    QCOMPARE(f.midi.messages.size(), 1);
}

void TestStartup::notesOutsideMidiRangeSendNothing()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), "0\r\n120\r\n5\r\n0\r\n300\r\n112\r\n");
    Form1& w = f.start();
    f.midi.clear();
    w.PlayKey(7); // note 127: the highest MIDI note
    w.ReleaseKey(7);
    QCOMPARE(f.midi.messages.size(), 2);
    f.midi.clear();
    // Note 130 does not exist: nothing is sent (not the previous message again), but
    // the key is drawn pressed and released.
    w.PlayKey(10);
    QCOMPARE(w.key(10)->value(), 1);
    w.ReleaseKey(10);
    QCOMPARE(w.key(10)->value(), 0);
    QVERIFY(f.midi.messages.isEmpty());
}

void TestStartup::instrumentNames_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QString>("name");
    const QByteArray section("[General MIDI]\r\n");
    QTest::newRow("plain") << section + "5=Electric Piano 2\r\n" << 5 << "Electric Piano 2";
    QTest::newRow("blanks around") << section + " 5 = Electric Piano 2 \r\n"
                                   << 5 << "Electric Piano 2";
    QTest::newRow("section case and blanks")
        << QByteArray("[ general midi ]\n3=Honky\n") << 3 << "Honky";
    QTest::newRow("first entry counts") << section + "3=One\r\n3=Two\r\n" << 3 << "One";
    QTest::newRow("other section only") << QByteArray("[Drums]\r\n3=Kick\r\n") << 3 << "";
    QTest::newRow("key missing") << section + "4=Four\r\n" << 3 << "";
    QTest::newRow("name cut to 254") << section + "1=" + QByteArray(400, 'n') + "\r\n"
                                     << 1 << QString(254, u'n');
    QTest::newRow("empty file") << QByteArray() << 0 << "";
}

void TestStartup::instrumentNames()
{
    QFETCH(QByteArray, file);
    QFETCH(int, instrument);
    QFETCH(QString, name);
    PianoFixture f;
    f.writeProgram(QStringLiteral("pellory.dll"), file);
    f.start();
    f.find<QScrollBar>("HScrollPatch")->setValue(instrument);
    QCOMPARE(f.find<QLabel>("instru")->text(), name);
    // The program change goes out whatever the name.
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values().last()), (Bytes{0xC0, instrument, 0}));
}

void TestStartup::instrumentLists()
{
    PianoFixture f;
    Form1& w = f.start();
    const QStringList box0 = w.loadnam(0)->toPlainText().split(u'\n');
    QCOMPARE(box0.size(), 21);
    QCOMPARE(box0[0], QString());
    QCOMPARE(box0[1], QStringLiteral(" 0 - Acoustic Grand Piano"));
    QCOMPARE(box0[20], QStringLiteral(" 19 - Church Organ"));
    QVERIFY(w.loadnam(5)->toPlainText().endsWith(u" 119 - Reverse Cymbal"));
    QVERIFY(!w.loadnam(5)->toPlainText().contains(u" 120 - "));

    // Each return from one of the piano's own windows appends the entries again;
    // a message box or another program does not count.
    QWidget own;
    own.setObjectName(QStringLiteral("frmAbout"));
    for (int round = 0; round < 2; ++round) {
        own.show();
        own.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&own));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QCOMPARE(w.loadnam(0)->toPlainText().count(u" 0 - Acoustic Grand Piano"), 3);
    QCOMPARE(w.loadnam(3)->toPlainText().split(u'\n').size(), 61);

    // Restart: the lists come back empty and are filled once.
    w.RestartMainWindow();
    QCOMPARE(w.loadnam(0)->toPlainText().split(u'\n').size(), 21);
}

void TestStartup::instrumentHighlightAndTitle()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("HScrollPatch");
    auto* instru = f.find<ClickLabel>("instru");
    bar->setValue(3);
    QCOMPARE(instru->text(), QStringLiteral("Honky-tonk Piano"));
    QCOMPARE(instru->textColor(), QColor(192, 64, 0));
    f.find<QLineEdit>("txtSend")->show();
    f.find<QLineEdit>("txtSend")->setEnabled(true);
    f.find<QLineEdit>("txtSend")->setFocus();
    // Two seconds after the change the highlight ends and the focus goes to key 0.
    QTRY_COMPARE_WITH_TIMEOUT(instru->textColor(),
                              QApplication::palette().color(QPalette::ButtonText), 3000);
    QCOMPARE(QApplication::focusWidget(), w.key(0));

    bar->setValue(127);
    QCOMPARE(RecordingMidiOut::bytes(f.midi.values().last()), (Bytes{0xC0, 0x7F, 0}));
    QTest::mouseClick(instru, Qt::LeftButton);
    QCOMPARE(w.windowTitle(),
             QStringLiteral("Quorvel Piano - Device: MIDI mapper, Channel: 0, Instrument: 127"));
}

void TestStartup::closeClosesDevice()
{
    PianoFixture f;
    Form1& w = f.start();
    const int closesBefore = f.midi.closes;
    f.midi.clear();
    w.close();
    QCOMPARE(f.midi.closes, closesBefore + 1);
    QVERIFY(f.midi.messages.isEmpty()); // no all-notes-off is sent
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
