#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace musicfiles
