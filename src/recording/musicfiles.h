#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The current recording is a pair of text files in the data folder: the gap file
// (recorder ticks before each event) and the key file (the key index of each
// event), one line per event in both.
namespace musicfiles {

inline constexpr auto gapFileName = "piano.ini";
inline constexpr auto keyFileName = "pianon.ini";

// One line of either file: " 12 " for 12, "-1 " for -1, then CR LF.
[[nodiscard]] QByteArray formatLine(qint16 value);

// Appends one event, the gap to the gap file first, then the key to the key file;
// each file is created when missing and closed afterwards. Both lines are written
// or neither: when a write fails the files are cut back to their old length, and
// false is returned with the reason in `error`.
[[nodiscard]] bool appendEvent(const QString& gapPath, const QString& keyPath, qint16 gap,
                               qint16 keyIndex, QString* error);

// The lines of a recording file as text (CR, CR LF or LF end a line; a last line
// without a line end counts). No value when the file cannot be read.
[[nodiscard]] std::optional<QStringList> readLines(const QString& path);

// A gap line as a number: the whole line, blanks around it allowed, must be a
// number. No value for an empty or damaged line.
[[nodiscard]] std::optional<double> gapValue(const QString& line);

// A key line as a key index, rounded half to even. No value for an empty or damaged
// line, or a number outside the 16-bit range.
[[nodiscard]] std::optional<qint16> keyValue(const QString& line);

} // namespace musicfiles
