#include "noteengine.h"

#include "midimessages.h"
#include "midiout.h"

#include <limits>

NoteEngine::NoteEngine(MidiOut& out)
    : out_(out)
{}

bool NoteEngine::openDevice(qint16 selection)
{
    deviceId_ = static_cast<qint16>(selection - 1);
    // At the first start nothing is open and the close does nothing; at a restart it
    // lets the device be opened again cleanly.
    out_.close();
    deviceOpen_ = out_.open(deviceId_);
    return deviceOpen_;
}

void NoteEngine::closeDevice()
{
    if (deviceOpen_) {
        out_.close();
        deviceOpen_ = false;
    }
}

void NoteEngine::startOver(qint16 channel, qint16 baseNote)
{
    channel_ = channel;
    baseNote_ = baseNote;
    keys_.fill({});
    owedNotes_.fill({});
}

bool NoteEngine::press(qint16 keyIndex, bool connected)
{
    if (!isKey(keyIndex)) {
        return false;
    }
    Key& key = keys_[keyIndex];
    if (key.pressed && !connected) {
        return false;
    }
    key = {true, std::nullopt};
    const auto note = midimessages::noteFor(baseNote_, keyIndex);
    if (!note) {
        return true;
    }
    const auto noteOn = midimessages::noteOn(*note, velocity, channel_);
    if (!noteOn) {
        return true;
    }
    send(*noteOn);
    key.owedRelease = midimessages::release(*note, instrument_, channel_);
    return true;
}

bool NoteEngine::release(qint16 keyIndex)
{
    if (!isKey(keyIndex)) {
        return false;
    }
    Key& key = keys_[keyIndex];
    const auto message = key.pressed ? key.owedRelease : releaseNow(keyIndex);
    key = {};
    if (message) {
        send(*message);
    }
    return true;
}

QList<qint16> NoteEngine::releaseAll()
{
    QList<qint16> released;
    for (qint16 i = 0; i < keyCount; ++i) {
        if (keys_[i].pressed) {
            (void)release(i);
            released.append(i);
        }
    }
    return released;
}

void NoteEngine::soundNote(int note)
{
    if (note < 0 || note > 127) {
        return;
    }
    const auto noteOn = midimessages::noteOn(note, velocity, channel_);
    if (!noteOn) {
        return;
    }
    send(*noteOn);
    owedNotes_[note] = midimessages::release(note, instrument_, channel_);
}

void NoteEngine::silenceNote(int note)
{
    if (note < 0 || note > 127) {
        return;
    }
    const auto message =
        owedNotes_[note] ? owedNotes_[note] : midimessages::release(note, instrument_, channel_);
    owedNotes_[note].reset();
    if (message) {
        send(*message);
    }
}

void NoteEngine::transposeUp()
{
    if (baseNote_ < std::numeric_limits<qint16>::max()) {
        ++baseNote_;
    }
}

void NoteEngine::transposeDown()
{
    if (baseNote_ > std::numeric_limits<qint16>::min()) {
        --baseNote_;
    }
}

void NoteEngine::selectInstrument(int instrument)
{
    if (instrument < 0 || instrument > 127) {
        return;
    }
    instrument_ = instrument;
    send(midimessages::programChange(instrument));
}

bool NoteEngine::isPressed(qint16 keyIndex) const
{
    return isKey(keyIndex) && keys_[keyIndex].pressed;
}

std::optional<quint32> NoteEngine::releaseNow(qint16 keyIndex) const
{
    const auto note = midimessages::noteFor(baseNote_, keyIndex);
    return note ? midimessages::release(*note, instrument_, channel_) : std::nullopt;
}

void NoteEngine::send(quint32 message)
{
    lastMessage_ = static_cast<qint32>(message);
    out_.send(message);
}
