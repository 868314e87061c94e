#pragma once

#include "clock.h"
#include "desktop.h"
#include "midiout.h"
#include "midiportfactory.h"
#include "soundsettingsstore.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <functional>

// A MIDI output that keeps every message it is sent, with the moment it came.
class RecordingMidiOut final : public MidiOut
{
public:
    struct Message
    {
        quint32 value;
        qint64 atNs; // monotonic
    };

    bool openSucceeds = true;
    int opens = 0;
    int closes = 0;
    QList<int> openedIds;
    QList<Message> messages;

    bool open(int deviceId) override;
    void send(quint32 message) override;
    void close() override;

    // The values sent, in order.
    [[nodiscard]] QList<quint32> values() const;
    void clear() { messages.clear(); }

private:
    QElapsedTimer clock_;
};

// Answers input boxes from a queue and remembers every box, message, program and address.
class FakeDesktop final : public Desktop
{
public:
    QStringList answers; // taken in order; an empty queue answers as Cancel does
    QStringList prompts;
    QStringList messages;
    QStringList startedPrograms;
    QList<QUrl> openedUrls;
    bool startSucceeds = true;
    // Runs while an input box is "open", to look at the window meanwhile.
    std::function<void()> whileAsking;

    QString askText(QWidget* parent, const QString& prompt) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool startProgram(const QString& path) override;
    bool openUrl(const QUrl& url) override;
};

// A clock moved by hand.
class ManualClock final : public Clock
{
public:
    qint64 now = 1000;
    [[nodiscard]] qint64 nowMs() const override { return now; }
    void advance(qint64 ms) { now += ms; }
};

// Sound choices kept in memory.
class FakeSoundStore final : public SoundSettingsStore
{
public:
    SoundSettings kept;
    int saves = 0;

    [[nodiscard]] SoundSettings load() override { return kept; }
    bool save(const SoundSettings& values, QString*) override
    {
        ++saves;
        kept = values;
        return true;
    }
};

// MIDI systems and ports in memory. Every output port it makes sends into `port`;
// every port it opens is listed in `opened` ("out jack", "in jack Keys:out").
class FakeMidiPorts final : public MidiPortFactory
{
public:
    class InPort;

    QList<MidiSystem> systemList;
    QString outputRefusal; // when set, output ports refuse to open with it
    QString inputRefusal;
    RecordingMidiOut port;
    QStringList opened;
    QPointer<InPort> input; // the input port made last

    [[nodiscard]] QList<MidiSystem> systems() override { return systemList; }
    [[nodiscard]] std::unique_ptr<MidiOutPort> makeOutput(const QString& systemKey) override;
    [[nodiscard]] std::unique_ptr<MidiInPort> makeInput() override;
};

class FakeMidiPorts::InPort final : public MidiInPort
{
public:
    explicit InPort(FakeMidiPorts& ports)
        : ports_(ports)
    {}
    bool open(const QString& systemKey, const QString& source) override;
    void close() override { open_ = false; }
    [[nodiscard]] QString errorString() const override { return ports_.inputRefusal; }
    [[nodiscard]] bool isOpen() const { return open_; }
    // A message from the keyboard, while the port is open.
    void receive(quint32 message);

private:
    FakeMidiPorts& ports_;
    bool open_ = false;
};
