// Start-up, restart and shutdown of the main window; key looks and instruments, as
// the synthesiser and the user see them.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

namespace {

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
    void filesReadAtEachStart();
    void converterAndDevice();
    void keyLooks();
    void instrumentListsAndHighlight();
};

void TestStartup::noDataFolder()
{
    PianoFixture f;
    Form1& w = f.start();
    QCOMPARE(std::tuple(w.notes().channel(), w.notes().baseNote(), w.timeDelay()),
             std::tuple(qint16(0), qint16(59), qint16(0)));
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

void TestStartup::filesReadAtEachStart()
{
    PianoFixture f;
    const QByteArray settings("1\r\n60\r\n5\r\n0\r\n300\r\n112\r\n");
    f.writeData(QStringLiteral("instruments.ini"), settings);
    f.writeData(QStringLiteral("skincolor.dll"), "&HFF0000\r\n65280\r\n");
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("tdelay");
    QCOMPARE((QList<int>{w.notes().channel(), w.notes().baseNote(), bar->minimum(), bar->maximum(),
                         bar->value(), w.timeDelay()}),
             (QList<int>{1, 60, 0, 300, 112, 112}));
    QCOMPARE(w.delayFactor(), QStringLiteral("5"));
    QCOMPARE(f.readData(QStringLiteral("instruments.ini")), settings); // never written
    f.midi.clear();
    w.PlayKey(0); // held across the restart below
    QCOMPARE(f.midi.values(), QList<quint32>{0x7F3C91});
    QCOMPARE(w.backColor(), QColor(0, 0, 255));
    QCOMPARE(f.find<FormSurface>("surface")->shapeColor(), QColor(0, 255, 0));
    for (const char* name : {"txtRx", "txtSend", "Frame1"}) {
        QCOMPARE(f.find<QWidget>(QString::fromLatin1(name))->palette().color(QPalette::Window),
                 QColor(0, 0, 255));
    }

    const QPoint centre = w.frameGeometry().center();
    w.Form_KeyDown(33);   // Page Up moves the base note; a restart takes the file's again
    w.Form_KeyPress('`'); // the instrument prompt, cancelled, leaves the window moved
    QVERIFY(w.frameGeometry().center() != centre);
    f.writeData(QStringLiteral("instruments.ini"), "2\r\n65\r\n3\r\n10\r\n200\r\n150\r\n");
    f.midi.clear();
    w.RestartMainWindow();
    QCOMPARE(std::tuple(w.notes().baseNote(), w.notes().channel(), w.delayFactor()),
             std::tuple(qint16(65), qint16(2), QStringLiteral("3")));
    QCOMPARE(f.midi.opens, 2);
    QCOMPARE(f.midi.values(), QList<quint32>{0xC0});
    QVERIFY(!w.notes().isPressed(0));
    // Regression: the restarted window stayed where the prompt had moved it.
    QCOMPARE(w.frameGeometry().center(), centre);

    // Without the files the channel and base note fall back, the delay texts and the
    // colour text keep what was read, and every control is back in its design.
    QFile::remove(f.dataPath(QStringLiteral("instruments.ini")));
    QFile::remove(f.dataPath(QStringLiteral("skincolor.dll")));
    f.find<QAction>("mnuRecord")->trigger();
    w.RestartMainWindow();
    QCOMPARE(std::tuple(w.notes().channel(), w.notes().baseNote(), w.delayFactor()),
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
