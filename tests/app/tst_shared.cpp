// Shared play through a relay server on loopback: two real windows and a plain
// socket that sees the bytes on the wire.
#include "pianofixture.h"
#include "pianokey.h"
#include "playbacktimer.h"
#include "relayserver.h"
#include "widgets.h"

#include <QAction>
#include <QHostInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// A plain client of the relay: what it reads is what every piano reads.
class Observer
{
public:
    explicit Observer(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                         [this] { reads.append(socket.readAll()); });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(2000);
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    QTcpSocket socket;
    QList<QByteArray> reads;
};

} // namespace

class TestShared : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void connectAndPlay();
    void chatAndLeaving();
    void errorsAndReconnecting();
    void playbackAndRecordingWhileConnected();
    void startServerMenu_data();
    void startServerMenu();
    void connectionEndsWithTheWindow();
    void midiKeyboardIsSentWhileConnected();

private:
    // Connects a window to the relay through the status bar, as a user does.
    void connectWindow(PianoFixture& f);

    std::unique_ptr<RelayServer> relay_;
    quint16 port_ = 0;
};

void TestShared::init()
{
    relay_ = std::make_unique<RelayServer>();
    QVERIFY(relay_->listen(QHostAddress::LocalHost, 0));
    port_ = relay_->serverPort();
}

void TestShared::cleanup()
{
    relay_.reset();
}

void TestShared::connectWindow(PianoFixture& f)
{
    f.desktop.answers.append(QStringLiteral("127.0.0.1"));
    auto* status = f.find<PanelStatusBar>("StatusBar1");
    QTest::mouseDClick(status->panel(2), Qt::LeftButton);
    QTRY_COMPARE(f.form->connected(), true);
    // The join notice comes back and opens the chat area.
    QTRY_VERIFY(!f.find<QWidget>("txtRx")->isHidden());
}

void TestShared::connectAndPlay()
{
    PianoFixture f;
    f.serverPort = port_;
    Observer observer(port_);
    Form1& w = f.start();
    connectWindow(f);
    QCOMPARE(f.desktop.prompts, QStringList{"Please enter the Server's IP address"});
    QTRY_COMPARE(observer.reads, QList<QByteArray>{": Connected to the Server with IP: 127.0.0.1"});
    QCOMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Shared Music Play"));
    QVERIFY(!f.find<QPushButton>("Command1")->isEnabled());
    w.Timer1_Timer(); // while connected the replay label shows it
    QCOMPARE(f.find<ClickLabel>("Label4")->textColor(), QColor(192, 64, 0));
    // A second double click does nothing while connected.
    QTest::mouseDClick(f.find<PanelStatusBar>("StatusBar1")->panel(0), Qt::LeftButton);
    QCOMPARE(f.desktop.prompts.size(), 1);

    observer.reads.clear();
    f.midi.clear();
    tap(w, Qt::Key_Z);
    // Nothing sounds before the server sends the note back, as to every player.
    QCOMPARE(noteOns(f.midi), QList<int>{});
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano -127.0.0.1"));
    QTRY_COMPARE(noteOns(f.midi), QList<int>{59});
    QCOMPARE(w.key(0)->value(), 0);               // pressed and released at once
    QTest::mouseClick(w.key(40), Qt::LeftButton); // the mouse sends too
    QTRY_COMPARE(noteOns(f.midi), (QList<int>{59, 99}));
    QTest::qWait(20);
    tap(w, Qt::Key_Up); // no key
    QTRY_COMPARE(observer.reads, (QList<QByteArray>{"0", "40", "-1"}));
}

void TestShared::chatAndLeaving()
{
    PianoFixture f;
    f.serverPort = port_;
    Form1& w = f.start();
    connectWindow(f);
    Observer observer(port_);
    auto* input = f.find<QLineEdit>("txtSend");
    auto* label = f.find<QLabel>("Label1");
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(std::pair(input->isEnabled(), label->text()),
             std::pair(true, QStringLiteral("Disable:")));
    input->setText(QStringLiteral("hi: there"));
    QTest::keyClick(w.windowHandle(), Qt::Key_Return);
    const QByteArray host = QHostInfo::localHostName().toLatin1();
    QTRY_COMPARE(observer.reads, QList<QByteArray>{":" + host + ": hi: there"});
    QVERIFY(input->text().isEmpty());
    // An empty line is still sent; each new line goes on top of the transcript.
    QTest::qWait(20);
    QTest::keyClick(w.windowHandle(), Qt::Key_Return);
    QTRY_COMPARE(observer.reads.size(), 2);
    QCOMPARE(observer.reads[1], ":" + host + ": ");
    QTRY_VERIFY(f.find<QPlainTextEdit>("txtRx")->toPlainText().startsWith(
        QString::fromLatin1(host + ": \n" + host + ": hi: there\n")));

    auto* highlight = f.find<QTimer>("Timer3");
    // The input gives the focus back to the keys, not to the instrument bar, whose
    // focus would light the instrument label.
    auto focusBackAtTheKeys = [&] {
        return QApplication::focusWidget() == w.key(0) && !highlight->isActive();
    };
    QTest::keyClick(w.windowHandle(), Qt::Key_Escape); // Escape disables the input
    QCOMPARE(std::pair(input->isEnabled(), label->text()),
             std::pair(false, QStringLiteral("Send:")));
    QVERIFY(focusBackAtTheKeys());
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), input);
    QTest::mouseClick(label, Qt::LeftButton); // so does a click on the label
    QVERIFY(focusBackAtTheKeys());
    QTest::mouseClick(label, Qt::LeftButton);
    input->setText(QStringLiteral("unsent"));

    // Choosing Connect while connected leaves shared play; notes sound locally again.
    f.find<QAction>("mnufileConnect")->trigger();
    QCOMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Now Working Offline"));
    QCOMPARE(w.connected(), false);
    QVERIFY(input->isHidden() && f.find<QWidget>("txtRx")->isHidden());
    QVERIFY(f.find<QPushButton>("Command1")->isEnabled());
    f.midi.clear();
    tap(w, Qt::Key_Z);
    QCOMPARE(noteOns(f.midi), QList<int>{59});

    // Enter while not connected hides the chat area again and keeps the text.
    input->show();
    input->setFocus();
    f.find<QLabel>("instru")->clear();
    QTest::keyClick(w.windowHandle(), Qt::Key_Return);
    QVERIFY(input->isHidden());
    QCOMPARE(input->text(), QStringLiteral("unsent"));
    QCOMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Now Working Offline"));
    QVERIFY(focusBackAtTheKeys());

    f.desktop.answers.append(QStringLiteral("127.0.0.1")); // Connect again connects
    f.find<QAction>("mnufileConnect")->trigger();
    QTRY_COMPARE(w.connected(), true);
}

void TestShared::errorsAndReconnecting()
{
    PianoFixture f;
    f.serverPort = port_;
    Form1& w = f.start();
    connectWindow(f);
    relay_.reset(); // the server stops mid-session: handled as an error
    QTRY_COMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Connection failed."));
    QCOMPARE(w.connected(), false);
    QVERIFY(f.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(!f.find<QWidget>("txtRx")->isHidden()); // the chat area stays

    // Nobody listens now: the attempt fails the same way, and so do an empty address
    // and one that fails inside the connect; the window can always try again.
    f.desktop.answers = QStringList{"127.0.0.1", "", "224.0.0.1"};
    auto* status = f.find<PanelStatusBar>("StatusBar1");
    for (int attempt = 1; attempt <= 3; ++attempt) {
        f.find<QLabel>("instru")->clear();
        QTest::mouseDClick(status->panel(0), Qt::LeftButton);
        QTRY_COMPARE(f.find<QLabel>("instru")->text(), QStringLiteral("Connection failed."));
    }
    // The server comes back on the same port: the user connects again.
    relay_ = std::make_unique<RelayServer>();
    QVERIFY(relay_->listen(QHostAddress::LocalHost, port_));
    f.desktop.answers.append(QStringLiteral("127.0.0.1"));
    QTest::mouseDClick(status->panel(0), Qt::LeftButton);
    QTRY_COMPARE(w.connected(), true);
    QCOMPARE(f.desktop.prompts.size(), 5);
}

void TestShared::playbackAndRecordingWhileConnected()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    f.serverPort = port_;
    f.writeData(QStringLiteral("instruments.ini"), "0\r\n59\r\n5\r\n0\r\n300\r\n100\r\n");
    f.writeData(QStringLiteral("piano.ini"), " 0 \r\n 20 \r\n");
    f.writeData(QStringLiteral("pianon.ini"), " 3 \r\n-1 \r\n");
    Form1& w = f.start();
    connectWindow(f);
    Observer observer(port_);
    w.Label4_Click();
    w.Timer2_Timer();
    QTRY_COMPARE(observer.reads, QList<QByteArray>{"3"});
    QTest::qWait(20);
    w.Timer2_Timer();
    QTRY_COMPARE(observer.reads, (QList<QByteArray>{"3", "-1"}));

    // Keys are sent, not recorded, and the tick counter stands still.
    w.mnuRecord_Click();
    f.manualClock.advance(500);
    w.Timer1_Timer();
    tap(w, Qt::Key_X);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), QByteArray(" 3 \r\n-1 \r\n"));
    QCOMPARE(w.gapTicks(), qint16(0));
}

void TestShared::startServerMenu_data()
{
    QTest::addColumn<bool>("inData");
    QTest::addColumn<bool>("besideThePiano");
    QTest::newRow("nowhere") << false << false;
    QTest::newRow("beside the piano") << false << true;
    QTest::newRow("a copy in the data folder is preferred") << true << true;
}

void TestShared::startServerMenu()
{
    QFETCH(bool, inData);
    QFETCH(bool, besideThePiano);
    PianoFixture f;
    if (inData) {
        f.writeData(QStringLiteral("trelvane"), "#!/bin/sh\n");
        QFile::setPermissions(f.dataPath(QStringLiteral("trelvane")),
                              QFile::ReadOwner | QFile::ExeOwner);
    }
    if (besideThePiano) {
        f.writeProgram(QStringLiteral("trelvane"), "#!/bin/sh\n", true);
    }
    f.start();
    auto* entry = f.find<QAction>("mnuserv");
    QCOMPARE(entry->isEnabled(), besideThePiano);
    entry->trigger();
    f.form->mnuserv_Click(); // started at most once
    const QString started =
        inData ? f.dataPath(QStringLiteral("trelvane")) : f.programPath(QStringLiteral("trelvane"));
    QCOMPARE(f.desktop.startedPrograms, besideThePiano ? QStringList{started} : QStringList{});
    QCOMPARE(
        f.desktop.messages,
        QStringList{"Please download server extra pack. For help contact pellory@example.com"});
    QVERIFY(!entry->isEnabled());
}

void TestShared::connectionEndsWithTheWindow()
{
    PianoFixture f;
    f.serverPort = port_;
    Form1& w = f.start();
    connectWindow(f);
    QCOMPARE(relay_->clientCount(), 1);
    // A restart (Clear playlist) ends the connection; the new window is idle.
    f.find<QAction>("mnufileclear")->trigger();
    QTRY_COMPARE(relay_->clientCount(), 0);
    QVERIFY(!w.connected() && f.find<QWidget>("txtRx")->isHidden());
    connectWindow(f);

    f.writeData(QStringLiteral("piano.ini"), recordingLines({0, 500}));
    f.writeData(QStringLiteral("pianon.ini"), recordingLines({3, 4}));
    w.Label4_Click(); // a replay sending to the others
    QVERIFY(w.player().timer().isEnabled());
    auto* recorderTick = f.find<QTimer>("Timer1");
    w.mnuAbout_Click(); // keeps the program running after the main window closes

    w.close();
    QVERIFY(!w.player().timer().isEnabled());
    QVERIFY(!recorderTick->isActive());
    QVERIFY(!w.connected());
    QTRY_COMPARE(relay_->clientCount(), 0);
}

void TestShared::midiKeyboardIsSentWhileConnected()
{
    FakeMidiPorts ports;
    ports.systemList = {{"jack", "JACK", "JACK", {}, {"Keys:out"}}};
    FakeSoundStore store;
    store.kept.inputPort = QStringLiteral("Keys:out");
    PianoFixture f;
    f.serverPort = port_;
    f.ports = &ports;
    f.soundStore = &store;
    Form1& w = f.start();
    connectWindow(f);
    Observer observer(port_);
    f.midi.clear();
    // A key's note goes to the others and sounds when it comes back, as a click does;
    // a note beyond the keys has no key to send and sounds here at once.
    ports.input->receive(0x7F3D90);
    ports.input->receive(0x7F2090);
    QCOMPARE(noteOns(f.midi), QList<int>{32});
    QTRY_COMPARE(observer.reads, QList<QByteArray>{"2"});
    QTRY_COMPARE(noteOns(f.midi), (QList<int>{32, 61}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano -127.0.0.1"));
}

QTEST_MAIN(TestShared)
#include "tst_shared.moc"
