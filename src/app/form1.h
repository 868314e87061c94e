#pragma once

#include "instrumentnames.h"
#include "midiconnections.h"
#include "midiinputmap.h"
#include "noteengine.h"
#include "player.h"
#include "recorder.h"
#include "services.h"
#include "soundsettings.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class ClickLabel;
class Frame;
class FormSurface;
class PanelStatusBar;
class PianoKey;
class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTimer;
class Form2;
class frmAbout;
class FrmSound;
class hlpfrm;
class SharedPlaySession;
struct SettingsValues;

// The piano's main window: the keys, the instrument bar, the recorder and player,
// the shared-play connection and chat. It holds the window's state; its handlers
// are split by subsystem over the form1*.cpp files.
class Form1 final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    static constexpr int keyCount = NoteEngine::keyCount;
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

    // The sound output's state in the status bar, and the "Sound and MIDI" window's
    // choices (form1sound.cpp).
    void showSoundState();

    // A MIDI keyboard on the input port (form1midi.cpp).
    void midiIn_MessageReceived(quint32 message);

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
    void Timer2_Timer();
    void tdelay_Change();
    void lblTitle_Click();
    void Label4_MouseMove();
    void lblTitle_MouseMove();
    void mnuFileSav_Click();
    void mnufileload_Click();
    void mnufileclear_Click();
    void kestrune_Click();

    // Shared play (form1network.cpp); the connection itself is the session's.
    void SendNote(qint16 keyIndex);
    void SendChatLine(const QString& text);
    void wsk_DataArrival(qint16 keyIndex);
    void wsk_DataArrival(const QString& chatLine);
    void Command1_Click();
    void StatusBar1_PanelDblClick();
    void mnufileConnect_Click();
    void wsk_Connect();
    void wsk_Error();
    void Label1_Click();
    bool txtSend_KeyPress(int keyAscii); // true when the key is swallowed
    void mnuserv_Click();
    [[nodiscard]] bool connected() const;

    // Secondary windows (form1windows.cpp).
    void mnuSet_Click();
    void mnuSound_Click();
    void mnuAbout_Click();
    void Label2_Click();
    void mnurdme_Click();

    // State, for the secondary windows and for tests.
    [[nodiscard]] const NoteEngine& notes() const { return notes_; }
    [[nodiscard]] QString delayFactor() const { return delayFactor_; }
    [[nodiscard]] QString delayMin() const { return delayMin_; }
    [[nodiscard]] QString delayMax() const { return delayMax_; }
    [[nodiscard]] QString delayDefault() const { return delayDefault_; }
    [[nodiscard]] qint16 timeDelay() const { return player_.timeDelay(); }
    [[nodiscard]] qint32 normalHeight() const { return normalHeight_; }
    [[nodiscard]] qint16 gapTicks() const { return recorder_.gapTicks(); }
    [[nodiscard]] const Player& player() const { return player_; }
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
        QAction* mnuSound = nullptr;
        QMenu* mnuhlp = nullptr;
        QAction* mnurdme = nullptr;
        QAction* mnuAbout = nullptr;
        QTimer* Timer1 = nullptr;
        QTimer* Timer3 = nullptr;
    };

    // form1layout.cpp
    void createControls();
    void discardControls();
    void connectControls();

    // form1windows.cpp: the window's icon and mouse pointer
    void applyAppearance();

    // form1startup.cpp
    [[nodiscard]] SettingsValues readSettings();
    void centreOnScreen();
    void applyColourFile();
    void setBackColor(const QColor& color);
    void fixWindowSize(int outerHeightTwips);

    // form1keyboard.cpp
    void playOrSend(qint16 keyIndex); // a played key: sounded and recorded, or sent
    void handleKeyPress(int keyCode, const QString& text, bool autoRepeat);
    void askInstrumentNumber();
    void releasePressedKeys();

    // form1notes.cpp: a key drawn pressed (and given the focus) or at rest
    void showKey(qint16 keyIndex, bool pressed);

    // form1sound.cpp
    [[nodiscard]] FrmSound* makeSoundWindow();
    bool saveSoundChoices(const SoundSettings& values, const QString& fontShown, QString* error);

    // form1midi.cpp
    void connectMidiInput();
    void playMidiInput(const InputAction& action);
    void releaseMidiInput();

    // form1recorder.cpp
    void showRecordingPresence(bool keyFilePresent, bool connected);

    // form1player.cpp
    void connectPlayer();
    void playerStepped(qint16 keyIndex, int interval, int line, int lineCount);
    void playerFinished(int stoppedAtLine);

    // form1network.cpp
    void connectSession();
    [[nodiscard]] QString serverAddress() const;
    [[nodiscard]] QString serverProgram() const; // empty when there is none
    void showChatArea();
    void workOffline();
    void focusKeysInsteadOf(QWidget* leaving);

    [[nodiscard]] QString dataFile(const char* name) const;
    [[nodiscard]] bool dataFilePresent(const char* name) const;
    [[nodiscard]] QColor buttonTextColor() const;
    void setTitle(const QString& title);

    Services services_;
    Controls c_;
    InstrumentNames instrumentNames_;
    // The player's sound and MIDI choices as kept; the ports follow those of the start.
    SoundSettings sound_;
    MidiConnections connections_;
    MidiInputMap midiInput_;
    NoteEngine notes_;

    // Window state that lives as long as the window object (kept across restarts
    // unless start-up sets it).
    QString delayFactor_;
    QString delayMin_;
    QString delayMax_;
    QString delayDefault_;
    qint32 normalHeight_ = 0;
    QString skinColor_;

    // They live as long as the window object, across restarts.
    Recorder recorder_{*services_.clock, services_.dataFolder};
    Player player_{*services_.clock, services_.dataFolder};

    bool activated_ = false;        // Form_Activate has run since the last Form_Load
    bool leftForOwnWindow_ = false; // the last deactivation went to one of our windows

    QPointer<Form2> settingsWindow_;
    QPointer<FrmSound> soundWindow_;
    QPointer<frmAbout> aboutWindow_;
    QPointer<hlpfrm> guideWindow_;

    std::unique_ptr<SharedPlaySession> session_;
};
