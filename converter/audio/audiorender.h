#pragma once

#include "outputformat.h"

#include <QList>
#include <QString>

#include <atomic>

struct Score;

// A recording turned into sound with FluidSynth's file renderer: the synthesiser is
// driven by the score's note times and writes the file as fast as it can compute,
// with no audio device.
namespace audiorender {

// The piano's General MIDI SoundFont.
inline constexpr auto soundFont = "/usr/share/sounds/sf2/default-GM.sf2";
inline constexpr int sampleRate = 44100;
// How long the sound may ring on after the last note ends, at most.
inline constexpr int maxTailMs = 4000;

// The sound formats that this FluidSynth can write (it needs libsndfile for each).
[[nodiscard]] QList<OutputFormat> supportedFormats();

struct Job
{
    const Score* score = nullptr;
    int channel = 0;    // 0 to 15
    int instrument = 0; // General MIDI program, 0 to 127
    OutputFormat format = OutputFormat::Wav;
    QString path;
    QString soundFont = QString::fromLatin1(audiorender::soundFont);
    const std::atomic_bool* cancel = nullptr; // stops the render early when it turns true
};

// Renders `job` into its file: every note at velocity 127 starting at its onMs,
// released at its offMs, then the ring of the last notes until they fall silent. The
// file is replaced only when the whole render succeeded. Returns an empty text on
// success, otherwise a sentence for the user saying what went wrong.
[[nodiscard]] QString render(const Job& job);

} // namespace audiorender
