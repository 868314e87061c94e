#pragma once

#include <QString>

#include <optional>

class DataFolder;
struct SettingsValues;

// What the piano's replay takes from the settings file, as the piano takes it at
// start-up; these shape the MIDI file.
struct ReplaySettings
{
    qint16 channel = 0;
    qint16 baseNote = 59;
    double delayFactor = 0; // the leading number of line 3
    qint16 timeDelay = 0;   // the time-delay bar's start value
    bool fromFile = false;  // false: there is no settings file and these are the piano's defaults

    // The time delay is the value of the piano's time-delay bar (delayBar()).
    [[nodiscard]] static ReplaySettings fromValues(const SettingsValues& values);

    // Reads instruments.ini of `folder`. A missing file gives the piano's defaults
    // (channel 0, base note 59, delay factor 0, time delay 0). No value, and a
    // sentence in `error`, when the file is there but cannot be read.
    [[nodiscard]] static std::optional<ReplaySettings> read(const DataFolder& folder,
                                                            QString* error);
};
