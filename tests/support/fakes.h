#pragma once

#include "clock.h"
#include "desktop.h"
#include "midiout.h"

#include <QElapsedTimer>
#include <QList>
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

    // The values sent, in order; and the (status, data1, data2) bytes of one.
    [[nodiscard]] QList<quint32> values() const;
    [[nodiscard]] static QList<int> bytes(quint32 message);
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
