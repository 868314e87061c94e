#pragma once

#include "soundsink.h"

#include <atomic>
#include <cstdint>

struct pa_context;
struct pa_mainloop;
struct pa_operation;
struct pa_stream;

// A playback stream on the desktop's sound server (PulseAudio, or PipeWire through
// its PulseAudio service). The pump's thread runs the connection's main loop inside
// wait(), so a request of the server is answered on the thread that renders, without
// a hand-over between threads.
class PulseSink final : public SoundSink
{
public:
    PulseSink();
    ~PulseSink() override;
    PulseSink(const PulseSink&) = delete;
    PulseSink& operator=(const PulseSink&) = delete;

    [[nodiscard]] std::optional<Stream> connect(const Request& request, QString* error) override;
    [[nodiscard]] const Stream& stream() const override { return granted_; }
    void requestPeriod(int frames) override;
    [[nodiscard]] int wait(bool wantFrames, int timeoutMs) override;
    [[nodiscard]] bool write(const float* frames, int count) override;
    void endOfSound() override;
    void interrupt() override;
    void disconnect() override;
    [[nodiscard]] int dropouts() const override { return dropouts_; }
    [[nodiscard]] QString lostReason() const override { return lostReason_; }

    // How long connecting may take before the server counts as absent.
    static constexpr int connectTimeoutMs = 2000;

private:
    struct ServerInfo
    {
        QString name; // and version
        int sampleRate = 0;
    };

    bool connectContext();
    ServerInfo askServer();
    bool openStream(int rate, const Request& request);
    // Runs the main loop until the operation's callback sets `done` (or gives up).
    void await(pa_operation* operation, const bool& done);

    // Runs the main loop until `done` holds, the time is up or the connection fails.
    template <typename Done> bool runUntil(Done done, int timeoutMs);
    bool iterate(int timeoutMs);
    void fail(const char* what);
    [[nodiscard]] QString contextError() const;

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onUnderflow(pa_stream* stream, void* self);
    static void onBufferChanged(pa_stream* stream, int success, void* self);
    void takeGrantedBuffer();

    pa_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<bool> interrupted_ = false;
    bool lost_ = false;
    QString lostReason_;
    std::size_t frameBytes_ = 2 * sizeof(float);
    std::size_t periodBytes_ = 0;
    Stream granted_;
    std::int64_t written_ = 0;   // bytes written since connect
    std::int64_t drainsAt_ = -1; // the stream may run dry here without a dropout
    int dropouts_ = 0;
};
