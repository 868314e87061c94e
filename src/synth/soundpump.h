#pragma once

#include "soundsink.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Plays a synthesiser on a sound server from a thread of its own. It renders one
// period whenever the server asks for one, so a note waits at most a period and
// then only for what the server already holds. When nothing has sounded for a
// while it lets the stream run dry and sleeps until the next event: a piano that
// nobody plays costs next to nothing, and the first note after the pause goes out
// as soon as it is rendered. When the server goes away the pump keeps trying to
// reach it, and plays again as soon as it is back.
class SoundPump
{
public:
    enum class State {
        Playing, // rendering as the server asks
        Asleep,  // the stream ran dry on purpose; the next event wakes the pump
        Lost,    // no server; trying again every retryMs
    };

    struct Report
    {
        State state = State::Asleep;
        SoundSink::Stream stream; // the stream played on (not while Lost)
        QString reason;           // why there is no stream (Lost)
        int dropouts = 0;         // the stream ran dry while playing, over the pump's life
        bool realtime = false;    // the thread runs with real-time scheduling
    };

    // Renders `count` interleaved stereo frames; true while anything still sounds.
    using Render = std::function<bool(float* frames, int count)>;
    // Told every change of state and every dropout, on the pump's thread.
    using Listener = std::function<void(const Report&)>;

    struct Options
    {
        int hangoverMs = 1500; // rendering goes on so long after the last voice ended
        int retryMs = 250;     // between attempts to reach a lost server
        bool realtime = true;  // ask for real-time scheduling of the thread
        // After a dropout the period grows a step, up to this many times the one asked
        // for at first; after so long playing without one it shrinks a step again.
        int maxPeriodFactor = 8;
        int relaxAfterMs = 20'000;
    };

    // Plays on `sink`, already connected with `stream`, starting asleep; or, without a
    // stream, starts lost for `lostReason` and plays once the server can be reached.
    SoundPump(std::unique_ptr<SoundSink> sink, SoundSink::Request request,
              std::optional<SoundSink::Stream> stream, Render render, Listener listener,
              Options options, const QString& lostReason = {});
    ~SoundPump();
    SoundPump(const SoundPump&) = delete;
    SoundPump& operator=(const SoundPump&) = delete;

    // A note was sent to the synthesiser: if the pump sleeps, it renders at once.
    // Any thread.
    void wake();

    [[nodiscard]] State state() const { return state_; }

private:
    void run();
    void playPeriods(int wanted);
    void adapt();
    void enter(State state, const QString& reason = {});
    void waitBeforeRetry();

    std::unique_ptr<SoundSink> sink_;
    SoundSink::Request request_;
    SoundSink::Stream stream_;
    Render render_;
    Listener listener_;
    Options options_;
    QString lostReason_; // for the first report, when it starts lost

    std::atomic<State> state_ = State::Asleep;
    std::atomic<bool> woken_ = false; // an event came since the last period began
    std::atomic<bool> stopping_ = false;
    std::mutex retryMutex_;
    std::condition_variable retryWait_;

    // The pump's thread only.
    std::vector<float> frames_;
    int silentFrames_ = 0;
    int dropoutsBefore_ = 0; // on the connections before this one
    int dropoutsReported_ = 0;
    int basePeriod_ = 0;             // the period asked for at first
    int step_ = 0;                   // into the period steps: how far the period has grown
    qint64 cleanFrames_ = 1LL << 40; // played since the last dropout or change of period
    int reportedPeriod_ = 0;
    double reportedServerMs_ = 0;
    bool realtime_ = false;
    std::thread thread_;
};
