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

// Reads the first six lines of the settings file at `path` into `values`. Lines the
// file does not have, and channel or base-note lines whose number does not fit 16
// bits, leave those values as they were. False when the file cannot be read.
bool readSettingsFile(const QString& path, SettingsValues& values);
