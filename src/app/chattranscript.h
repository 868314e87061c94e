#pragma once

#include <QStringView>

class QTextDocument;

// The chat transcript beside the keyboard: the newest line on top, and only as much
// of the past as a peer cannot turn into a burden.
namespace chattranscript {

constexpr int maxLines = 2000;
constexpr int maxChars = 256 * 1024;

// Puts `line` on top of `transcript` as a line of its own (the transcript reads
// "newest\nolder\n...\n"), then drops the oldest lines until no more than
// `lineLimit` lines and `charLimit` characters remain. The newest line always
// stays, cut to `charLimit` characters when it alone is longer. Only the new line
// and the dropped ones are touched, and no undo history is kept.
void addOnTop(QTextDocument& transcript, QStringView line, int lineLimit = maxLines,
              int charLimit = maxChars);

} // namespace chattranscript
