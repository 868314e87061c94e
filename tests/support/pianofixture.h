#pragma once

#include "fakes.h"
#include "form1.h"

#include <QByteArray>
#include <QEvent>
#include <QTemporaryDir>

#include <initializer_list>
#include <memory>

// A main window on fakes, with a data folder and a program folder of its own.
// The data folder does not exist until a test writes into it (or the window does).
class PianoFixture
{
public:
    enum class ClockKind {
        Steady,
        Manual
    };

    explicit PianoFixture(ClockKind clock = ClockKind::Steady);
    ~PianoFixture();

    // Creates the window and runs its start-up; waits until it is shown and active.
    Form1& start();

    [[nodiscard]] QString dataPath(const QString& name) const;
    [[nodiscard]] QString programPath(const QString& name) const;
    void writeData(const QString& name, const QByteArray& bytes) const;
    void writeProgram(const QString& name, const QByteArray& bytes, bool executable = false) const;
    [[nodiscard]] QByteArray readData(const QString& name) const;

    quint16 serverPort = 9352; // the relay server's port the window connects to
    // What the window is told of the sound output, and what it may change of it.
    SoundStatus* sound = nullptr;
    SoundControl* synth = nullptr;
    SoundSettingsStore* soundStore = nullptr;
    MidiPortFactory* ports = nullptr;

    RecordingMidiOut midi;
    FakeDesktop desktop;
    ManualClock manualClock;
    SteadyClock steadyClock;
    std::unique_ptr<Form1> form;

    template <typename T> T* find(const QString& name) const { return form->findChild<T*>(name); }

private:
    QTemporaryDir root_;
    QString dataFolder_;
    QString programFolder_;
    ClockKind clockKind_;
};

// A key event as the platform delivers it: to the window, whatever has the focus.
void sendKey(Form1& w, QEvent::Type type, Qt::Key key, const QString& text = {},
             Qt::KeyboardModifiers mods = {}, bool autoRepeat = false);

// A key pressed and let go (an auto-repeated pair when `autoRepeat`).
void tap(Form1& w, Qt::Key key, bool autoRepeat = false);

// The notes of the note-ons sent, in order, and when each came (milliseconds).
QList<int> noteOns(const RecordingMidiOut& midi, QList<qint64>* atMs = nullptr);

// Lines of a recording file as the recorder writes them: " 12 \r\n", "-1 \r\n".
QByteArray recordingLines(std::initializer_list<int> values);
