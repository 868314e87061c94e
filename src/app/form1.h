#pragma once

#include "instrumentnames.h"
#include "services.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <optional>

class ClickLabel;
class Frame;
class FormSurface;
class PanelStatusBar;
class PianoKey;
class PlaybackTimer;
class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTcpSocket;
class QTimer;
class Form2;
class frmAbout;
class hlpfrm;

// The piano's main window: the keys, the instrument bar, the recorder and player,
// the shared-play connection and chat. It holds the window's state; its handlers
// are split by subsystem over the form1*.cpp files.
class Form1 final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    static constexpr int keyCount = 41;
    static constexpr auto designTitle = "Quorvel Piano - 127 Tones";

    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up and shutdown (form1startup.cpp).
    void start(); // Form_Load, then shown centred and made active
    void Form_Load();
    void Form_Unload();
    void Form_Activate();
    void RestartMainWindow();
    void mnuFileexit_Click();

    // Notes and instruments (form1notes.cpp).
    void OpenDevice(qint16 selection);
    void PlayKey(qint16 keyIndex);
    void ReleaseKey(qint16 keyIndex);
    void ReadPatch();
    void HScrollPatch_Change();
    void HScrollPatch_GotFocus();
    void Timer3_Timer();
    void instru_Click();

    // The sound output's state in the status bar (form1sound.cpp).
    void showSoundState();

    // Computer keyboard and mouse (form1keyboard.cpp, form1mouse.cpp).
    void Form_KeyDown(int keyCode);
    void Form_KeyUp(int keyCode);
    void Form_KeyPress(int keyAscii);
    void key_MouseDown(int keyIndex);
    void key_MouseUp(int keyIndex);
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Label2_MouseMove();

    // Recorder and player (form1recorder.cpp, form1player.cpp, form1storage.cpp).
    void RecordKey(qint16 keyIndex);
    void StopPlayback();
    void mnuRecord_Click();
    void Timer1_Timer();
    void Label4_Click();
    void LoadRecording();
    void Timer2_Timer();
    void tdelay_Change();
    void lblTitle_Click();
    void Label4_MouseMove();
    void lblTitle_MouseMove();
    void mnuFileSav_Click();
    void mnufileload_Click();
    void mnufileclear_Click();
    void kestrune_Click();

    // Shared play (form1network.cpp).
    void SendNote(qint16 keyIndex);
    void SendNoteText(const QString& keyLine);
    void SendChatLine(const QString& text);
    void SendJoinNotice();
    void wsk_DataArrival();
    void Command1_Click();
    void StatusBar1_PanelDblClick();
    void mnufileConnect_Click();
    void wsk_Connect();
    void wsk_Error();
    void Label1_Click();
    bool txtSend_KeyPress(int keyAscii); // true when the key is swallowed
    void mnuserv_Click();
    [[nodiscard]] int socketState() const; // 7 connected, 0 closed, anything else neither
    [[nodiscard]] bool connected() const { return socketState() == 7; }

    // Secondary windows (form1windows.cpp).
    void mnuSet_Click();
    void mnuAbout_Click();
    void Label2_Click();
    void mnurdme_Click();

    // State, for the secondary windows and for tests.
    [[nodiscard]] qint16 channel() const { return channel_; }
    [[nodiscard]] qint16 velocity() const { return velocity_; }
    [[nodiscard]] qint16 baseNote() const { return baseNote_; }
    [[nodiscard]] QString delayFactor() const { return delayFactor_; }
    [[nodiscard]] QString delayMin() const { return delayMin_; }
    [[nodiscard]] QString delayMax() const { return delayMax_; }
    [[nodiscard]] QString delayDefault() const { return delayDefault_; }
    [[nodiscard]] qint16 timeDelay() const { return timeDelay_; }
    [[nodiscard]] qint32 normalHeight() const { return normalHeight_; }
    [[nodiscard]] qint32 deviceId() const { return deviceId_; }
    [[nodiscard]] qint32 lastMessage() const { return lastMessage_; }
    [[nodiscard]] qint16 gapTicks() const { return gapTicks_; }
    [[nodiscard]] qint16 tickCounting() const { return tickCounting_; }
    [[nodiscard]] qint16 playState() const { return playState_; }
    [[nodiscard]] int playLine() const { return playLine_; }
    [[nodiscard]] int lineCount() const { return lineCount_; }
    [[nodiscard]] QColor backColor() const;
    [[nodiscard]] const Services& services() const { return services_; }

    [[nodiscard]] PianoKey* key(int index) const;
    [[nodiscard]] QPlainTextEdit* loadnam(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The controls of the window as designed; rebuilt on every restart.
    struct Controls
    {
        FormSurface* surface = nullptr;
        std::array<PianoKey*, keyCount> keys{};
        Frame* Frame1 = nullptr;
        ClickLabel* lblTitle = nullptr;
        ClickLabel* Label4 = nullptr;
        QPlainTextEdit* txtRx = nullptr;
        QLineEdit* txtSend = nullptr;
        ClickLabel* Label1 = nullptr;
        ClickLabel* instru = nullptr;
        ClickLabel* Label2 = nullptr;
        QScrollBar* tdelay = nullptr;
        QScrollBar* HScrollPatch = nullptr;
        PanelStatusBar* StatusBar1 = nullptr;
        std::array<QPlainTextEdit*, 6> loadnam{};
        QPushButton* Command1 = nullptr;
        QMenuBar* menuBar = nullptr;
        QMenu* mnufile = nullptr;
        QAction* mnuFileSav = nullptr;
        QAction* mnufileload = nullptr;
        QAction* mnufileConnect = nullptr;
        QAction* mnuserv = nullptr;
        QAction* mnufileclear = nullptr;
        QAction* kestrune = nullptr;
        QAction* mnuFileexit = nullptr;
        QMenu* mnuextr = nullptr;
        QAction* mnuRecord = nullptr;
        QAction* mnuSet = nullptr;
        QMenu* mnuhlp = nullptr;
        QAction* mnurdme = nullptr;
        QAction* mnuAbout = nullptr;
        QTimer* Timer1 = nullptr;
        PlaybackTimer* Timer2 = nullptr;
        QTimer* Timer3 = nullptr;
        QTcpSocket* wsk = nullptr;
    };

    // form1layout.cpp
    void createControls();
    void discardControls();
    void connectControls();

    // form1windows.cpp: the window's icon and mouse pointer
    void applyAppearance();

    // form1startup.cpp
    void applySettingsFile();
    void applyColourFile();
    void setBackColor(const QColor& color);
    void fixWindowSize(int outerHeightTwips);

    // form1keyboard.cpp
    void playOrSend(qint16 keyIndex); // a played key: sounded and recorded, or sent
    void handleKeyPress(int keyCode, const QString& text, bool autoRepeat);
    void askInstrumentNumber();
    void releasePressedKeys();

    // form1recorder.cpp
    void countTicks();
    void showRecordingPresence(bool keyFilePresent, bool connected);

    // form1player.cpp
    void stopAtDamagedLine(int line);

    // form1network.cpp
    void sendMessage(const QByteArray& message);

    [[nodiscard]] QString dataFile(const char* name) const;
    [[nodiscard]] bool dataFilePresent(const char* name) const;
    [[nodiscard]] QColor buttonTextColor() const;
    void setTitle(const QString& title);

    Services services_;
    Controls c_;
    InstrumentNames instrumentNames_;

    // Window state that lives as long as the window object (kept across restarts
    // unless start-up sets it).
    qint32 deviceId_ = 0;
    qint32 lastMessage_ = 0;
    qint16 channel_ = 0;
    qint16 velocity_ = 127;
    qint16 baseNote_ = 59;
    QString delayFactor_;
    QString delayMin_;
    QString delayMax_;
    QString delayDefault_;
    qint16 timeDelay_ = 0;
    qint32 normalHeight_ = 0;
    QString skinColor_;
    int playLine_ = 1;
    qint16 tickCounting_ = 100;
    qint16 gapTicks_ = 0;
    qint16 playState_ = 0;
    int lineCount_ = 0;
    QStringList gapLines_;
    QStringList keyLines_;
    QString serverAddress_;
    bool deviceOpen_ = false;

    // The release each sounding key owes, decided when it was pressed, so that a
    // transpose or a change of instrument while the key is held still ends its note.
    struct PendingRelease
    {
        bool owed = false;              // the key was pressed and has not been released since
        std::optional<quint32> message; // no value when the press sounded nothing
    };
    std::array<PendingRelease, keyCount> pendingRelease_{};

    // Recorder ticks are counted against the clock; this is the moment up to which
    // ticks have been counted.
    qint64 tickAnchorMs_ = 0;
    // The replay label colour and the delay bar are touched only when they change.
    std::optional<QColor> shownLabel4Color_;

    bool activated_ = false;        // Form_Activate has run since the last Form_Load
    bool leftForOwnWindow_ = false; // the last deactivation went to one of our windows

    QPointer<Form2> settingsWindow_;
    QPointer<frmAbout> aboutWindow_;
    QPointer<hlpfrm> guideWindow_;
};
