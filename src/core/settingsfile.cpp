#include "settingsfile.h"

#include "textfile.h"
#include "textrules.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<qint16> int16Value(const QString& line)
{
    const double value = textrules::leadingNumber(line);
    if (!(value >= -32768.5 && value < 32767.5)) {
        return std::nullopt;
    }
    return textrules::toInt16(value);
}

} // namespace

bool readSettingsFile(const QString& path, SettingsValues& values)
{
    const auto lines = textfile::readLines(path, 6);
    if (!lines) {
        return false;
    }
    auto line = [&](int i) -> std::optional<QString> {
        return i < lines->size() ? std::optional(lines->at(i)) : std::nullopt;
    };
    if (const auto text = line(0)) {
        values.channel = int16Value(*text).value_or(values.channel);
    }
    if (const auto text = line(1)) {
        values.baseNote = int16Value(*text).value_or(values.baseNote);
    }
    values.delayFactor = line(2).value_or(values.delayFactor);
    values.delayMin = line(3).value_or(values.delayMin);
    values.delayMax = line(4).value_or(values.delayMax);
    values.delayDefault = line(5).value_or(values.delayDefault);
    return true;
}

DelayBar delayBar(const SettingsValues& values)
{
    DelayBar bar;
    bar.maximum = textrules::leadingInt16(values.delayMax);
    bar.minimum = std::min(textrules::leadingInt16(values.delayMin), bar.maximum);
    bar.value = std::clamp(textrules::leadingInt16(values.delayDefault), bar.minimum, bar.maximum);
    return bar;
}
