#include "midiwire.h"

#include <algorithm>

namespace midiwire {
namespace {

bool isDataByte(char byte)
{
    return (static_cast<quint8>(byte) & 0x80) == 0;
}

} // namespace

int messageLength(quint8 status)
{
    if (status < 0x80) {
        return 0;
    }
    if (status < 0xF0) {
        // Program change and channel pressure carry one data byte; the other channel
        // messages two.
        const int kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
    case 0xF1: // time code quarter frame
    case 0xF3: // song select
        return 2;
    case 0xF2: // song position
        return 3;
    case 0xF6: // tune request
        return 1;
    default:
        // System exclusive (0xF0, 0xF7) does not fit a short message, and 0xF4 and
        // 0xF5 are undefined; the real-time messages from 0xF8 up are one byte.
        return status >= 0xF8 ? 1 : 0;
    }
}

QByteArray bytesOf(quint32 message)
{
    const int length = messageLength(static_cast<quint8>(message & 0xFF));
    QByteArray bytes;
    for (int i = 0; i < length; ++i) {
        bytes.append(static_cast<char>((message >> (8 * i)) & 0xFF));
    }
    if (length == 0 || !std::all_of(bytes.cbegin() + 1, bytes.cend(), isDataByte)) {
        return {};
    }
    return bytes;
}

std::optional<quint32> packed(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() != messageLength(static_cast<quint8>(bytes.at(0))) ||
        !std::all_of(bytes.cbegin() + 1, bytes.cend(), isDataByte)) {
        return std::nullopt;
    }
    quint32 message = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        message |= quint32{static_cast<quint8>(bytes.at(i))} << (8 * i);
    }
    return message;
}

} // namespace midiwire
