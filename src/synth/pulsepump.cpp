#include "pulsepump.h"

#include <fluidsynth.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <vector>

std::unique_ptr<PulsePump> PulsePump::start(_fluid_synth_t* synth, Format format, QString* error)
{
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(format.sampleRate),
                                      2};
    const auto periodBytes = static_cast<uint32_t>(format.periodFrames * 2 * sizeof(float));
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = periodBytes * static_cast<uint32_t>(format.periods);
    buffer.prebuf = periodBytes; // after a pause, one period starts the sound again
    buffer.minreq = periodBytes;
    buffer.fragsize = static_cast<uint32_t>(-1);
    int code = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Quorvel Piano", PA_STREAM_PLAYBACK, nullptr,
                                      "Piano", &sampleFormat, nullptr, &buffer, &code);
    if (!stream) {
        if (error) {
            *error = QString::fromUtf8(pa_strerror(code));
        }
        return nullptr;
    }
    return std::unique_ptr<PulsePump>(new PulsePump(synth, stream, format));
}

PulsePump::PulsePump(_fluid_synth_t* synth, pa_simple* stream, Format format)
    : synth_(synth)
    , stream_(stream)
    , format_(format)
{
    thread_ = std::thread([this] { run(); });
}

PulsePump::~PulsePump()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeUp_.notify_one();
    thread_.join();
    pa_simple_free(stream_);
}

void PulsePump::wake()
{
    {
        const std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_one();
}

void PulsePump::run()
{
    std::vector<float> frames(static_cast<std::size_t>(format_.periodFrames) * 2);
    const int hangoverPeriods = hangoverMs * format_.sampleRate / 1000 / format_.periodFrames;
    int silentPeriods = 0;
    while (!stopping_) {
        {
            // Events sent from here on are not in this period: they keep the thread awake.
            const std::lock_guard lock(mutex_);
            woken_ = false;
        }
        fluid_synth_write_float(synth_, format_.periodFrames, frames.data(), 0, 2, frames.data(), 1,
                                2);
        int code = 0;
        if (pa_simple_write(stream_, frames.data(), frames.size() * sizeof(float), &code) < 0) {
            break; // the server went away: the piano goes on silently
        }
        if (fluid_synth_get_active_voice_count(synth_) > 0) {
            silentPeriods = 0;
            continue;
        }
        if (++silentPeriods < hangoverPeriods) {
            continue;
        }
        // Nothing sounds: sleep until an event comes. The server plays out what it has
        // and then waits for the next period.
        std::unique_lock lock(mutex_);
        wakeUp_.wait(lock, [this] { return woken_ || stopping_.load(); });
        silentPeriods = 0;
    }
}
