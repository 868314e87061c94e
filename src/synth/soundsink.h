#pragma once

#include <QString>

#include <optional>

// A playback stream on a sound server, as the pump drives it. Every call but
// interrupt() comes from the pump's thread.
class SoundSink
{
public:
    struct Request
    {
        int sampleRate = 0; // 0: the rate the server's output runs at
        int periodFrames = 64;
        int periods = 2; // periods the stream holds ahead of the server
    };

    // What the server granted.
    struct Stream
    {
        int sampleRate = 0;
        int periodFrames = 0;       // frames the server asks for at a time
        int bufferFrames = 0;       // frames the stream holds ahead of the server
        double serverLatencyMs = 0; // the server's own output buffer beyond ours
        QString server;             // the server's name and version, for the log
    };

    virtual ~SoundSink() = default;

    // Connects to the server and opens a stream of 32-bit float stereo frames. No
    // value, with the reason in `error`, when there is no server or it refuses.
    [[nodiscard]] virtual std::optional<Stream> connect(const Request& request, QString* error) = 0;

    // The stream as the server last granted it.
    [[nodiscard]] virtual const Stream& stream() const = 0;

    // Asks the server for another period (and a buffer of two such periods). The
    // stream changes when the server agrees, during a later wait().
    virtual void requestPeriod(int frames) = 0;

    // Waits until the server wants frames (only when `wantFrames`), interrupt() is
    // called or `timeoutMs` pass (-1: no limit). Returns the frames wanted, 0 when
    // none are, or -1 when the connection is lost.
    [[nodiscard]] virtual int wait(bool wantFrames, int timeoutMs) = 0;

    // Queues interleaved stereo frames and sends them at once. False when the
    // connection is lost.
    [[nodiscard]] virtual bool write(const float* frames, int count) = 0;

    // What is written so far is all there is for now: the stream running dry after
    // it is no dropout.
    virtual void endOfSound() = 0;

    // Makes a wait() in progress, or the next one, return 0. Any thread.
    virtual void interrupt() = 0;

    virtual void disconnect() = 0;

    // Times the stream ran dry while it should have been playing, since connect().
    [[nodiscard]] virtual int dropouts() const = 0;

    // Why the connection was lost, once wait() or write() has said so.
    [[nodiscard]] virtual QString lostReason() const = 0;
};
