#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Short messages as bytes on a MIDI cable or port, and back to the packed form the
// MIDI output takes (status in bits 0-7, data bytes in bits 8-15 and 16-23).
namespace midiwire {

// How many bytes a short message that starts with `status` has, 1 to 3; 0 when the
// byte starts no short message (a data byte, a system exclusive, an undefined code).
[[nodiscard]] int messageLength(quint8 status);

// The bytes of a packed message: the status, then as many data bytes as its kind
// has; bits above those are not looked at. Empty when the message is not valid MIDI
// (no status byte, or a data byte of 0x80 or more): a receiver would misread it.
[[nodiscard]] QByteArray bytesOf(quint32 message);

// The packed form of one whole short message; no value for anything else (a system
// exclusive, a message cut short or too long, a data byte of 0x80 or more).
[[nodiscard]] std::optional<quint32> packed(const QByteArray& bytes);

} // namespace midiwire
