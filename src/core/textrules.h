#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How the piano turns text into numbers and numbers into text. Settings lines,
// colour lines and received note messages are read leniently (the leading number
// counts); typed answers and recording lines must be a number as a whole.
namespace textrules {

// The value of the longest leading part of `text` that reads as a number: blanks
// (space, tab, line feed) are skipped wherever they appear, then an optional sign,
// digits with an optional decimal point and an optional exponent (E or D), or &H
// followed by hexadecimal digits, or &O followed by octal digits. A text without a
// leading number gives 0. A number too large for a double gives plus or minus infinity.
[[nodiscard]] double leadingNumber(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). A value outside the integer's range gives the nearest
// limit of the range (1e9 -> 32767 for 16 bits); NaN gives 0.
[[nodiscard]] qint16 toInt16(double value);
[[nodiscard]] qint32 toInt32(double value);

// leadingNumber() stored into a 16-bit or 32-bit integer.
[[nodiscard]] qint16 leadingInt16(QStringView text);
[[nodiscard]] qint32 leadingInt32(QStringView text);

// The value of `text` when the whole of it, blanks around it allowed, is one
// number: optional sign, digits with an optional decimal part, optional exponent.
// Empty text, words and trailing garbage give no value.
[[nodiscard]] std::optional<double> wholeNumber(QStringView text);

// A number as the piano shows it: one leading blank when it is not negative, its
// minus sign in that place when it is (5 -> " 5", -1 -> "-1").
[[nodiscard]] QString numberToText(qint64 value);

} // namespace textrules
