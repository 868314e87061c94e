#include "chattranscript.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace chattranscript {

void addOnTop(QTextDocument& transcript, QStringView line, int lineLimit, int charLimit)
{
    if (transcript.isUndoRedoEnabled()) {
        transcript.setUndoRedoEnabled(false);
    }
    const QStringView kept = line.left(std::max(charLimit - 1, 0));
    // One edit: the layout hears of the change once, and no line is laid out
    // before it is shown.
    QTextCursor cursor(&transcript);
    cursor.beginEditBlock();
    cursor.insertText(kept.toString() + u'\n');

    // The text ends with a line end, so the last block is empty and the oldest line
    // is the one before it. The plain text is one character shorter than the count.
    const auto tooMuch = [&] {
        return transcript.blockCount() - 1 > lineLimit ||
               transcript.characterCount() - 1 > charLimit;
    };
    while (transcript.blockCount() > 2 && tooMuch()) {
        const QTextBlock end = transcript.lastBlock();
        cursor.setPosition(end.previous().position());
        cursor.setPosition(end.position(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

} // namespace chattranscript
