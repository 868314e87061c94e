#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct _fluid_synth_t;
struct pa_simple;

// Plays a synthesiser on the desktop's sound server (PulseAudio, or PipeWire through
// its PulseAudio service) from a thread of its own, in short periods for a low
// latency. When nothing has sounded for a moment the thread sleeps instead of
// sending silence, and the next event wakes it: an open piano that nobody plays
// costs next to nothing.
class PulsePump
{
public:
    struct Format
    {
        int sampleRate = 48000;
        int periodFrames = 128;
        int periods = 2;
    };

    // Connects to the sound server and starts the thread. No value, with the reason
    // in `error`, when there is no server.
    [[nodiscard]] static std::unique_ptr<PulsePump> start(_fluid_synth_t* synth, Format format,
                                                          QString* error);
    ~PulsePump();
    PulsePump(const PulsePump&) = delete;
    PulsePump& operator=(const PulsePump&) = delete;

    // Something was sent to the synthesiser: render at once if the thread sleeps.
    void wake();

    // How long the thread keeps rendering after the last voice ended, so that the
    // reverb dies away before it sleeps.
    static constexpr int hangoverMs = 1500;

private:
    PulsePump(_fluid_synth_t* synth, pa_simple* stream, Format format);
    void run();

    _fluid_synth_t* synth_;
    pa_simple* stream_;
    Format format_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool woken_ = false; // an event came since the last period began
    std::atomic<bool> stopping_ = false;
    std::thread thread_;
};
