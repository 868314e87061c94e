#pragma once

#include <QByteArray>
#include <QString>

// The texts that copies of the piano exchange through the relay server. There is no
// framing: one send writes one message, and a receiver takes one read as one message.
// Text travels as Latin-1, one byte per character, '?' for what Latin-1 cannot hold.
namespace wire {

constexpr quint16 serverPort = 9352;

// A played key: its index in decimal, no blanks (key 12 is "12", no key is "-1").
[[nodiscard]] QByteArray noteMessage(qint16 keyIndex);

// A chat line: ":" + host name + ": " + the typed text.
[[nodiscard]] QByteArray chatMessage(const QString& hostName, const QString& text);

// Sent once when the connection is made: ": Connected to the Server with IP: " + address.
[[nodiscard]] QByteArray joinNotice(const QString& serverAddress);

struct Received
{
    enum class Kind {
        Chat,
        Note,
        Nothing
    };
    Kind kind = Kind::Nothing;
    QString chatLine;     // Chat: the message without its leading ':'
    qint16 keyIndex = -1; // Note: the key to sound, -1 for none
};

// What one read means: a chat line when it starts with ':', otherwise a note whose
// key is the leading number of the text (no number is key 0). A note outside -1 to
// 40, which is what two notes run together give, sounds nothing (key -1).
[[nodiscard]] Received parse(const QByteArray& bytes);

} // namespace wire
