#include "textrules.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace textrules {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads digits of the given base after an &H or &O prefix; blanks are skipped.
double radixNumber(QStringView text, qsizetype pos, int base)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (isBlank(c)) {
            continue;
        }
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                          : (c.toLower() >= u'a' && c.toLower() <= u'f')
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0 || digit >= base) {
            break;
        }
        value = value * base + digit;
    }
    return value;
}

template <typename Int> Int roundInto(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value); // the default mode sends halves to even
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    if (pos + 1 < text.size() && text[pos] == u'&') {
        const QChar prefix = text[pos + 1].toUpper();
        if (prefix == u'H') {
            return radixNumber(text, pos + 2, 16);
        }
        if (prefix == u'O') {
            return radixNumber(text, pos + 2, 8);
        }
        return 0;
    }

    // Gather the number without its blanks, then let strtod read it.
    std::string number;
    enum class Stage {
        Sign,
        Mantissa,
        Fraction,
        ExponentSign,
        Exponent
    };
    Stage stage = Stage::Sign;
    bool mantissaDigits = false;
    std::string exponent;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (isBlank(c)) {
            continue;
        }
        const char ascii = c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\0';
        if (stage == Stage::Sign && (ascii == '+' || ascii == '-')) {
            number += ascii;
            stage = Stage::Mantissa;
        } else if ((stage == Stage::Sign || stage == Stage::Mantissa || stage == Stage::Fraction) &&
                   isDigit(c)) {
            number += ascii;
            mantissaDigits = true;
            if (stage == Stage::Sign) {
                stage = Stage::Mantissa;
            }
        } else if ((stage == Stage::Sign || stage == Stage::Mantissa) && ascii == '.') {
            number += ascii;
            stage = Stage::Fraction;
        } else if ((stage == Stage::Mantissa || stage == Stage::Fraction) && mantissaDigits &&
                   (ascii == 'e' || ascii == 'E' || ascii == 'd' || ascii == 'D')) {
            stage = Stage::ExponentSign;
        } else if (stage == Stage::ExponentSign && (ascii == '+' || ascii == '-')) {
            exponent += ascii;
            stage = Stage::Exponent;
        } else if ((stage == Stage::ExponentSign || stage == Stage::Exponent) && isDigit(c)) {
            exponent += ascii;
            stage = Stage::Exponent;
        } else {
            break;
        }
    }
    if (!mantissaDigits) {
        return 0;
    }
    const bool exponentHasDigits =
        !exponent.empty() && exponent.find_first_of("0123456789") != std::string::npos;
    if (exponentHasDigits) {
        number += 'e';
        number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

qint16 toInt16(double value)
{
    return roundInto<qint16>(value);
}

qint32 toInt32(double value)
{
    return roundInto<qint32>(value);
}

qint16 leadingInt16(QStringView text)
{
    return toInt16(leadingNumber(text));
}

qint32 leadingInt32(QStringView text)
{
    return toInt32(leadingNumber(text));
}

std::optional<double> wholeNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    qsizetype pos = 0;
    auto digitsFrom = [&](qsizetype from) {
        qsizetype end = from;
        while (end < trimmed.size() && isDigit(trimmed[end])) {
            ++end;
        }
        return end - from;
    };
    if (trimmed[pos] == u'+' || trimmed[pos] == u'-') {
        ++pos;
    }
    const qsizetype whole = digitsFrom(pos);
    pos += whole;
    qsizetype fraction = 0;
    if (pos < trimmed.size() && trimmed[pos] == u'.') {
        ++pos;
        fraction = digitsFrom(pos);
        pos += fraction;
    }
    if (whole + fraction == 0) {
        return std::nullopt;
    }
    if (pos < trimmed.size() && (trimmed[pos] == u'e' || trimmed[pos] == u'E')) {
        ++pos;
        if (pos < trimmed.size() && (trimmed[pos] == u'+' || trimmed[pos] == u'-')) {
            ++pos;
        }
        const qsizetype exponentDigits = digitsFrom(pos);
        if (exponentDigits == 0) {
            return std::nullopt;
        }
        pos += exponentDigits;
    }
    if (pos != trimmed.size()) {
        return std::nullopt;
    }
    return std::strtod(trimmed.toLatin1().constData(), nullptr);
}

QString numberToText(qint64 value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

} // namespace textrules
