#include "wiremessages.h"

#include "textfile.h"
#include "textrules.h"

namespace wire {

QByteArray noteMessage(qint16 keyIndex)
{
    return QByteArray::number(keyIndex);
}

QByteArray chatMessage(const QString& hostName, const QString& text)
{
    return textfile::toLatin1(u':' + hostName + QStringLiteral(": ") + text);
}

QByteArray joinNotice(const QString& serverAddress)
{
    return textfile::toLatin1(QStringLiteral(": Connected to the Server with IP: ") +
                              serverAddress);
}

Received parse(const QByteArray& bytes)
{
    Received r;
    if (bytes.isEmpty()) {
        return r;
    }
    const QString text = QString::fromLatin1(bytes);
    if (text.startsWith(u':')) {
        r.kind = Received::Kind::Chat;
        r.chatLine = text.mid(1);
        return r;
    }
    r.kind = Received::Kind::Note;
    const qint16 key = textrules::leadingInt16(text);
    r.keyIndex = key >= -1 && key <= 40 ? key : qint16{-1};
    return r;
}

} // namespace wire
