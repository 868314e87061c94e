// A MIDI keyboard, or another program, playing the piano through its input port. A
// note of the on-screen keys goes the way of a mouse press on its key (shown, sounded,
// recorded or sent); a note beyond them only sounds. Nothing it holds outlives the
// window.
#include "form1.h"

#include "midiportfactory.h"

void Form1::connectMidiInput()
{
    if (MidiInPort* input = connections_.input()) {
        connect(input, &MidiInPort::messageReceived, this, &Form1::midiIn_MessageReceived);
    }
}

void Form1::midiIn_MessageReceived(quint32 message)
{
    if (const auto action = midiInput_.map(message, notes_.baseNote())) {
        playMidiInput(*action);
    }
}

void Form1::playMidiInput(const InputAction& action)
{
    const auto keyIndex = static_cast<qint16>(action.value);
    switch (action.kind) {
    case InputAction::Kind::PressKey:
        key_MouseDown(keyIndex);
        break;
    case InputAction::Kind::ReleaseKey:
        key_MouseUp(keyIndex);
        break;
    case InputAction::Kind::SoundNote:
        notes_.soundNote(action.value);
        break;
    case InputAction::Kind::SilenceNote:
        notes_.silenceNote(action.value);
        break;
    }
}

void Form1::releaseMidiInput()
{
    for (const InputAction& release : midiInput_.releaseAll()) {
        playMidiInput(release);
    }
}
