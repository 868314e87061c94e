#pragma once

#include <QString>

// The settings file, instruments.ini: six lines, each the text of one number.
//   1 MIDI channel, 2 base note (note of the lowest key), 3 replay delay factor,
//   4 lowest, 5 highest and 6 starting value of the time-delay bar.
struct SettingsValues
{
    qint16 channel = 0;
    qint16 baseNote = 59;
    QString delayFactor; // lines 3 to 6 are kept as text, as read
    QString delayMin;
    QString delayMax;
    QString delayDefault;
};

inline constexpr auto settingsFileName = "instruments.ini";

// The time-delay bar as start-up sets it from lines 4 to 6: its minimum, then its
// maximum, then its value, in that order, as a scroll bar takes them. A maximum
// below the minimum pulls the minimum down to it; a value outside the range is
// brought to its nearer end. Each line counts by its leading number, held in 16 bits.
struct DelayBar
{
    qint16 minimum = 0;
    qint16 maximum = 0;
    qint16 value = 0;
};
[[nodiscard]] DelayBar delayBar(const SettingsValues& values);

// Reads the first six lines of the settings file at `path` into `values`. Lines the
// file does not have, and channel or base-note lines whose number does not fit 16
// bits, leave those values as they were. False, and `values` untouched, when the
// file cannot be read.
bool readSettingsFile(const QString& path, SettingsValues& values);
