#include "pulsesink.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int msUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<qint64>(0, left.count()));
}

} // namespace

PulseSink::PulseSink()
    : mainloop_(pa_mainloop_new())
{}

PulseSink::~PulseSink()
{
    disconnect();
    pa_mainloop_free(mainloop_);
}

std::optional<SoundSink::Stream> PulseSink::connect(const Request& request, QString* error)
{
    disconnect();
    interrupted_ = false; // a wake-up meant for the stream that was lost
    lost_ = false;
    lostReason_.clear();
    written_ = 0;
    drainsAt_ = 0; // a new stream has nothing to play yet
    dropouts_ = 0;

    ServerInfo server;
    if (connectContext()) {
        server = askServer();
    }
    // The rate of the server's output, so that the server need not resample: its
    // resampler delays every note.
    const int rate = request.sampleRate > 0  ? request.sampleRate
                     : server.sampleRate > 0 ? server.sampleRate
                                             : 48000;
    if (lost_ || !openStream(rate, request)) {
        if (error) {
            *error = lostReason_.isEmpty() ? QStringLiteral("no sound server") : lostReason_;
        }
        disconnect();
        return std::nullopt;
    }
    granted_.server = server.name;
    return granted_;
}

bool PulseSink::connectContext()
{
    // The piano never starts a sound server of its own: with none running it plays
    // through another driver, and a server that comes back is found by retrying.
    context_ = pa_context_new(pa_mainloop_get_api(mainloop_), "Quorvel Piano");
    if (!context_) {
        fail("cannot create a sound server connection");
        return false;
    }
    pa_context_set_state_callback(context_, onContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        fail(qPrintable(contextError()));
        return false;
    }
    return runUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
                    connectTimeoutMs);
}

PulseSink::ServerInfo PulseSink::askServer()
{
    ServerInfo info;
    bool done = false;
    struct Reply
    {
        ServerInfo* info;
        bool* done;
    } reply{&info, &done};
    await(pa_context_get_server_info(
              context_,
              [](pa_context*, const pa_server_info* server, void* data) {
                  const auto* r = static_cast<Reply*>(data);
                  if (server) {
                      r->info->name = QString::fromUtf8(server->server_name) + u' ' +
                                      QString::fromUtf8(server->server_version);
                      r->info->sampleRate = static_cast<int>(server->sample_spec.rate);
                  }
                  *r->done = true;
              },
              &reply),
          done);
    // The default output's own rate, where it differs from the server's default.
    done = false;
    await(pa_context_get_sink_info_by_name(
              context_, "@DEFAULT_SINK@",
              [](pa_context*, const pa_sink_info* output, int last, void* data) {
                  const auto* r = static_cast<Reply*>(data);
                  if (output && last == 0) {
                      r->info->sampleRate = static_cast<int>(output->sample_spec.rate);
                  } else {
                      *r->done = true;
                  }
              },
              &reply),
          done);
    return info;
}

bool PulseSink::openStream(int rate, const Request& request)
{
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate), 2};
    stream_ = pa_stream_new(context_, "Piano", &format, nullptr);
    if (!stream_) {
        fail(qPrintable(contextError()));
        return false;
    }
    pa_stream_set_state_callback(stream_, onStreamState, this);
    pa_stream_set_underflow_callback(stream_, onUnderflow, this);

    const auto periodBytes = static_cast<uint32_t>(request.periodFrames * frameBytes_);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = periodBytes * static_cast<uint32_t>(request.periods);
    // After the stream ran dry, the first period starts it again.
    buffer.prebuf = periodBytes;
    buffer.minreq = periodBytes;
    buffer.fragsize = static_cast<uint32_t>(-1);
    // The server's output buffer follows the stream's: the smallest the server allows.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) < 0) {
        fail(qPrintable(contextError()));
        return false;
    }
    if (!runUntil([this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
                  connectTimeoutMs)) {
        return false;
    }
    granted_ = {};
    granted_.sampleRate = rate;
    periodBytes_ = periodBytes;
    takeGrantedBuffer();
    bool timed = false;
    await(
        pa_stream_update_timing_info(
            stream_, [](pa_stream*, int, void* data) { *static_cast<bool*>(data) = true; }, &timed),
        timed);
    if (const pa_timing_info* timing = pa_stream_get_timing_info(stream_)) {
        granted_.serverLatencyMs = static_cast<double>(timing->configured_sink_usec) / 1000.0;
    }
    return !lost_;
}

void PulseSink::await(pa_operation* operation, const bool& done)
{
    if (operation) {
        runUntil([&done] { return done; }, connectTimeoutMs);
        pa_operation_unref(operation);
    }
}

void PulseSink::requestPeriod(int frames)
{
    if (!stream_ || lost_) {
        return;
    }
    const auto periodBytes = static_cast<uint32_t>(static_cast<std::size_t>(frames) * frameBytes_);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = 2 * periodBytes;
    buffer.prebuf = periodBytes;
    buffer.minreq = periodBytes;
    buffer.fragsize = static_cast<uint32_t>(-1);
    if (pa_operation* operation =
            pa_stream_set_buffer_attr(stream_, &buffer, onBufferChanged, this)) {
        pa_operation_unref(operation);
    }
}

void PulseSink::takeGrantedBuffer()
{
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
    if (!granted) {
        return;
    }
    if (granted->minreq > 0) {
        periodBytes_ = granted->minreq;
    }
    granted_.periodFrames = static_cast<int>(periodBytes_ / frameBytes_);
    granted_.bufferFrames = static_cast<int>(granted->tlength / frameBytes_);
}

void PulseSink::onBufferChanged(pa_stream* stream, int success, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (!success || stream != sink->stream_) {
        return;
    }
    sink->takeGrantedBuffer();
    // The server's output buffer follows: ask what it is now.
    pa_operation* operation = pa_stream_update_timing_info(
        stream,
        [](pa_stream* s, int, void* data) {
            if (const pa_timing_info* timing = pa_stream_get_timing_info(s)) {
                static_cast<PulseSink*>(data)->granted_.serverLatencyMs =
                    static_cast<double>(timing->configured_sink_usec) / 1000.0;
            }
        },
        sink);
    if (operation) {
        pa_operation_unref(operation);
    }
}

int PulseSink::wait(bool wantFrames, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (lost_ || !stream_) {
            return -1;
        }
        if (interrupted_.exchange(false)) {
            return 0;
        }
        if (wantFrames) {
            const std::size_t writable = pa_stream_writable_size(stream_);
            if (writable == static_cast<std::size_t>(-1)) {
                fail("the stream cannot be written");
                return -1;
            }
            if (writable >= periodBytes_) {
                return static_cast<int>(writable / frameBytes_);
            }
        }
        const int left = timeoutMs < 0 ? -1 : msUntil(deadline);
        if (left == 0) {
            return 0;
        }
        if (!iterate(left)) {
            return -1;
        }
    }
}

bool PulseSink::write(const float* frames, int count)
{
    if (lost_ || !stream_) {
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(count) * frameBytes_;
    if (pa_stream_write(stream_, frames, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        fail("the stream cannot be written");
        return false;
    }
    written_ += static_cast<std::int64_t>(bytes);
    // Sent now, not when the thread next waits.
    return iterate(0);
}

void PulseSink::endOfSound()
{
    drainsAt_ = written_;
}

void PulseSink::interrupt()
{
    interrupted_ = true;
    pa_mainloop_wakeup(mainloop_);
}

void PulseSink::disconnect()
{
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

template <typename Done> bool PulseSink::runUntil(Done done, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        // An interruption here is the pump stopping: it stays set for the pump to see.
        if (lost_ || interrupted_) {
            return false;
        }
        const int left = msUntil(deadline);
        if (left == 0) {
            if (lostReason_.isEmpty()) {
                lostReason_ = QStringLiteral("the sound server does not answer");
            }
            return false;
        }
        if (!iterate(left)) {
            return false;
        }
    }
    return true;
}

bool PulseSink::iterate(int timeoutMs)
{
    const int timeoutUs = timeoutMs < 0 ? -1 : timeoutMs * 1000;
    if (pa_mainloop_prepare(mainloop_, timeoutUs) < 0 || pa_mainloop_poll(mainloop_) < 0 ||
        pa_mainloop_dispatch(mainloop_) < 0) {
        fail("the sound server connection broke down");
        return false;
    }
    return true;
}

void PulseSink::fail(const char* what)
{
    lost_ = true;
    if (lostReason_.isEmpty()) {
        lostReason_ = QString::fromUtf8(what);
    }
}

QString PulseSink::contextError() const
{
    return context_ ? QString::fromUtf8(pa_strerror(pa_context_errno(context_)))
                    : QStringLiteral("no sound server");
}

void PulseSink::onContextState(pa_context* context, void* self)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        auto* sink = static_cast<PulseSink*>(self);
        sink->lost_ = true;
        if (sink->lostReason_.isEmpty()) {
            sink->lostReason_ = QString::fromUtf8(pa_strerror(pa_context_errno(context)));
        }
    }
}

void PulseSink::onStreamState(pa_stream* stream, void* self)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        auto* sink = static_cast<PulseSink*>(self);
        sink->lost_ = true;
        if (sink->lostReason_.isEmpty()) {
            sink->lostReason_ =
                QString::fromUtf8(pa_strerror(pa_context_errno(pa_stream_get_context(stream))));
        }
    }
}

void PulseSink::onUnderflow(pa_stream* stream, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    // Running dry where the sound ended is the pump going to sleep, not a dropout.
    if (pa_stream_get_underflow_index(stream) == sink->drainsAt_) {
        return;
    }
    ++sink->dropouts_;
}
