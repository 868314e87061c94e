#pragma once

#include "fakes.h"
#include "form1.h"

#include <QByteArray>
#include <QTemporaryDir>

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

    // The six lines of a settings file, CR LF after each.
    static QByteArray settings(const QList<QByteArray>& lines);

    quint16 serverPort = 9352; // the relay server's port the window connects to

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
