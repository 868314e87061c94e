#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// The six values of the settings window, in the order of the settings file's lines:
// channel, base note, delay factor, and the lowest, highest and starting time delay.
namespace settingstexts {

inline constexpr int boxCount = 6;
using Texts = std::array<QString, boxCount>;

// The most characters the user may type into each box. A longer value loaded from the
// file is shown whole, so that OK on an unchanged window writes it back as it was.
inline constexpr std::array<int, boxCount> maxLengths{2, 3, 1, 2, 3, 3};

// The values the main window works with, written as numbers: the channel and base
// note as they are; the delay factor and the three time-delay lines as the numbers
// the main window takes from their texts (an empty text counts as 0).
[[nodiscard]] Texts inUse(qint16 channel, qint16 baseNote, const QString& delayFactor,
                          const QString& delayMin, const QString& delayMax,
                          const QString& delayDefault);

// What the boxes show: line k of the file in box k, and for the lines the file does
// not have the value in use. Lines after the sixth are ignored. Each text loses the
// blanks around it; none is cut.
[[nodiscard]] Texts shown(const QStringList& fileLines, const Texts& inUse);

// The lines of the settings file in the data folder; none when it is missing, hidden
// or unreadable.
[[nodiscard]] QStringList readFile(const QString& dataFolder);

// A box passes when its whole text, blanks around it allowed, is a number: optional
// sign, digits with an optional decimal part (and exponent). Empty text does not.
[[nodiscard]] bool isNumeric(QStringView text);

// The file as it is written: each text without the blanks around it, CR LF after each.
[[nodiscard]] QByteArray fileBytes(const Texts& texts);

// Replaces the settings file in the data folder (creating the folder when missing).
// A failed save leaves the old file as it was; false, with a sentence in `error`.
[[nodiscard]] bool save(const QString& dataFolder, const Texts& texts, QString* error);

} // namespace settingstexts
