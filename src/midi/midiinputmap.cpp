#include "midiinputmap.h"

#include "keymap.h"
#include "midiwire.h"

#include <algorithm>

std::optional<InputAction> MidiInputMap::map(quint32 message, int baseNote)
{
    const QByteArray bytes = midiwire::bytesOf(message);
    if (bytes.size() != 3) {
        return std::nullopt;
    }
    const auto status = static_cast<quint8>(bytes.at(0));
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    const int note = bytes.at(1);
    const int velocity = bytes.at(2);
    if (kind != 0x90 && kind != 0x80) {
        return std::nullopt;
    }
    const int channelNote = channel * 128 + note;
    const auto found = std::find_if(held_.begin(), held_.end(), [channelNote](const Held& h) {
        return h.channelNote == channelNote;
    });

    if (kind == 0x90 && velocity > 0) {
        if (found != held_.end()) {
            return found->press; // the same key struck again before its release
        }
        const int key = note - baseNote;
        const InputAction press = key >= 0 && key < keymap::keyCount
                                      ? InputAction{InputAction::Kind::PressKey, key}
                                      : InputAction{InputAction::Kind::SoundNote, note};
        held_.append({channelNote, press});
        return press;
    }

    if (found != held_.end()) {
        const InputAction release = releaseOf(found->press);
        held_.erase(found);
        return release;
    }
    // A release whose note-on came before the input was open: as the note is now.
    const int key = note - baseNote;
    return key >= 0 && key < keymap::keyCount ? InputAction{InputAction::Kind::ReleaseKey, key}
                                              : InputAction{InputAction::Kind::SilenceNote, note};
}

QList<InputAction> MidiInputMap::releaseAll()
{
    QList<InputAction> releases;
    for (const Held& h : std::as_const(held_)) {
        releases.append(releaseOf(h.press));
    }
    held_.clear();
    return releases;
}

bool MidiInputMap::holdsKey(int keyIndex) const
{
    return std::any_of(held_.cbegin(), held_.cend(), [keyIndex](const Held& h) {
        return h.press == InputAction{InputAction::Kind::PressKey, keyIndex};
    });
}

InputAction MidiInputMap::releaseOf(const InputAction& press)
{
    return {press.kind == InputAction::Kind::PressKey ? InputAction::Kind::ReleaseKey
                                                      : InputAction::Kind::SilenceNote,
            press.value};
}
