#pragma once

#include "midiout.h"
#include "midisystems.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// The piano's output port, "Quorvel Piano", as the window uses it: a MIDI output that
// can say why it did not open.
class MidiOutPort : public MidiOut
{
public:
    // Why the last open() failed, as a sentence for the user.
    [[nodiscard]] virtual QString errorString() const = 0;
};

// The piano's input port, "Quorvel Piano": the messages of a keyboard or another
// program, delivered in the order they arrived on the thread of this object.
class MidiInPort : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the port on system `systemKey` (a MidiSystem key) and, unless `source` is
    // empty, connects the port `source` to it. False, with errorString(), when the
    // system cannot be used or the source is not there.
    virtual bool open(const QString& systemKey, const QString& source) = 0;

    // Closes the port; no message arrives after this.
    virtual void close() = 0;

    [[nodiscard]] virtual QString errorString() const = 0;

Q_SIGNALS:
    // One short message, packed as MidiOut takes them.
    void messageReceived(quint32 message);
};

// The MIDI systems of the desktop and the piano's ports on them.
class MidiPortFactory
{
public:
    virtual ~MidiPortFactory() = default;

    // The systems built in, whether each can be used now and the inputs it offers.
    [[nodiscard]] virtual QList<MidiSystem> systems() = 0;

    // An output port on system `systemKey`, not yet open.
    [[nodiscard]] virtual std::unique_ptr<MidiOutPort> makeOutput(const QString& systemKey) = 0;

    // An input port, not yet open.
    [[nodiscard]] virtual std::unique_ptr<MidiInPort> makeInput() = 0;
};
