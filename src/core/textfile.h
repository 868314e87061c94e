#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace textfile {

// Reads a file of 8-bit (Latin-1) text into lines. A line ends at CR, at CR LF or
// at a lone LF; neither byte belongs to a line, and a last line without a line end
// still counts. Reading stops after `maxLines` lines (all lines when negative); a
// line longer than `maxLineChars` keeps only its first `maxLineChars` characters.
// Gives no value when the file cannot be opened.
[[nodiscard]] std::optional<QStringList> readLines(const QString& path, qsizetype maxLines = -1,
                                                   qsizetype maxLineChars = 1 << 16);

// Replaces the file at `path` with `bytes` through a temporary file in the same
// folder, so a failed write leaves the old file as it was. Returns false and sets
// `error` to a sentence for the user when anything fails.
[[nodiscard]] bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error);

// Text as the piano stores and sends it: one byte per character, '?' for a character
// that Latin-1 cannot hold (one '?' for a character outside the Basic Multilingual
// Plane, and for a lone surrogate).
[[nodiscard]] QByteArray toLatin1(QStringView text);

} // namespace textfile
