#pragma once

#include "outputformat.h"

#include <QString>

#include <atomic>

class MidiConversion;

// Writes a conversion that is ok() to `path` in `format` with `instrument` (0 to 127):
// the MIDI file, or the sound rendered through the piano's SoundFont. An existing file
// is replaced only by a complete new one. Returns an empty text on success, otherwise
// the sentence that tells the user why nothing was written. Both the window and the
// command line save through here, so they tell the same things.
[[nodiscard]] QString saveConversion(const MidiConversion& conversion, int instrument,
                                     OutputFormat format, const QString& path,
                                     const std::atomic_bool* cancel = nullptr);
