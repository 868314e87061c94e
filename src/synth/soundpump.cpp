#include "soundpump.h"

#include <algorithm>
#include <array>
#include <chrono>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>
#endif

namespace {

// Below the sound server's own threads (PulseAudio and PipeWire use 5 and up), above
// every ordinary process: a busy machine delays the next period by microseconds,
// not by a scheduler slice of several milliseconds.
constexpr int realtimePriority = 3;

// The period, as multiples of the one asked for first. Whole multiples keep every
// write a whole number of the synthesiser's 64-frame blocks, so that nothing it
// rendered ahead waits in its own buffer.
constexpr std::array periodSteps{1, 2, 3, 4, 6, 8, 12, 16};

// Dropouts this soon after a change of period belong to the stall that caused it.
constexpr int settleMs = 200;

bool raisePriority()
{
#ifdef Q_OS_LINUX
    sched_param param{};
    param.sched_priority = realtimePriority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
#else
    return false;
#endif
}

} // namespace

SoundPump::SoundPump(std::unique_ptr<SoundSink> sink, SoundSink::Request request,
                     std::optional<SoundSink::Stream> stream, Render render, Listener listener,
                     Options options, const QString& lostReason)
    : sink_(std::move(sink))
    , request_(request)
    , render_(std::move(render))
    , listener_(std::move(listener))
    , options_(options)
    , lostReason_(lostReason)
    , state_(stream ? State::Asleep : State::Lost)
    , basePeriod_(request.periodFrames)
{
    if (stream) {
        stream_ = *stream;
        // Later connections keep the rate the synthesiser was made for.
        request_.sampleRate = stream_.sampleRate;
    }
    thread_ = std::thread([this] { run(); });
}

SoundPump::~SoundPump()
{
    {
        const std::lock_guard lock(retryMutex_);
        stopping_ = true;
    }
    retryWait_.notify_all();
    sink_->interrupt();
    thread_.join();
    sink_->disconnect();
}

void SoundPump::wake()
{
    woken_ = true;
    // Paired with the pump storing Asleep before it looks at woken_: one of the two
    // sees the other, so no event is left waiting for a pump that sleeps on.
    if (state_ == State::Asleep) {
        sink_->interrupt();
    }
}

void SoundPump::run()
{
    if (options_.realtime) {
        realtime_ = raisePriority();
    }
    enter(state_, lostReason_);
    while (!stopping_) {
        if (state_ == State::Lost) {
            waitBeforeRetry();
            if (stopping_) {
                break;
            }
            QString error;
            // The period the last connection had grown to: the machine is as busy.
            request_.periodFrames = basePeriod_ * periodSteps[step_];
            if (const auto stream = sink_->connect(request_, &error)) {
                stream_ = *stream;
                enter(State::Asleep);
            }
            continue;
        }
        if (state_ == State::Asleep && !woken_.exchange(false)) {
            if (sink_->wait(false, -1) < 0) {
                enter(State::Lost, sink_->lostReason());
            }
            continue;
        }
        if (state_ == State::Asleep) {
            silentFrames_ = 0;
            enter(State::Playing);
        }
        const int wanted = sink_->wait(true, -1);
        if (wanted < 0) {
            enter(State::Lost, sink_->lostReason());
            continue;
        }
        playPeriods(wanted);
    }
}

void SoundPump::playPeriods(int wanted)
{
    stream_ = sink_->stream();
    const int period = stream_.periodFrames;
    frames_.resize(static_cast<std::size_t>(period) * 2);
    const qint64 hangoverFrames =
        static_cast<qint64>(options_.hangoverMs) * stream_.sampleRate / 1000;
    // A period at a time, so that the first leaves before the next is rendered.
    for (int left = wanted; left >= period && !stopping_; left -= period) {
        // Events sent from here on are not in this period: they keep the pump awake.
        woken_ = false;
        const bool sounding = render_(frames_.data(), period);
        if (!sink_->write(frames_.data(), period)) {
            return; // the next wait() reports the loss
        }
        cleanFrames_ += period;
        silentFrames_ = sounding ? 0 : silentFrames_ + period;
        if (silentFrames_ >= hangoverFrames) {
            adapt();
            sink_->endOfSound();
            enter(State::Asleep);
            return;
        }
    }
    adapt();
}

void SoundPump::adapt()
{
    const int dropouts = dropoutsBefore_ + sink_->dropouts();
    const bool dropped = dropouts != dropoutsReported_;
    const qint64 settleFrames = static_cast<qint64>(settleMs) * stream_.sampleRate / 1000;
    const qint64 relaxFrames =
        static_cast<qint64>(options_.relaxAfterMs) * stream_.sampleRate / 1000;
    const int lastStep = static_cast<int>(
        std::upper_bound(periodSteps.begin(), periodSteps.end(), options_.maxPeriodFactor) -
        periodSteps.begin() - 1);
    if (dropped && cleanFrames_ >= settleFrames && step_ < lastStep) {
        ++step_;
        cleanFrames_ = 0;
        sink_->requestPeriod(basePeriod_ * periodSteps[step_]);
    } else if (dropped) {
        cleanFrames_ = std::min(cleanFrames_, settleFrames);
    } else if (cleanFrames_ >= relaxFrames && step_ > 0) {
        --step_;
        cleanFrames_ = 0;
        sink_->requestPeriod(basePeriod_ * periodSteps[step_]);
    }
    const SoundSink::Stream& now = sink_->stream();
    if (dropped || now.periodFrames != reportedPeriod_ ||
        now.serverLatencyMs != reportedServerMs_) {
        stream_ = now;
        enter(State::Playing);
    }
}

void SoundPump::enter(State state, const QString& reason)
{
    if (state == State::Lost) {
        dropoutsBefore_ += sink_->dropouts();
        sink_->disconnect();
    }
    state_ = state;
    Report report;
    report.state = state;
    report.reason = reason;
    report.dropouts = dropoutsBefore_ + (state == State::Lost ? 0 : sink_->dropouts());
    report.realtime = realtime_;
    if (state != State::Lost) {
        report.stream = stream_;
        reportedPeriod_ = stream_.periodFrames;
        reportedServerMs_ = stream_.serverLatencyMs;
    }
    dropoutsReported_ = report.dropouts;
    if (listener_) {
        listener_(report);
    }
}

void SoundPump::waitBeforeRetry()
{
    std::unique_lock lock(retryMutex_);
    retryWait_.wait_for(lock, std::chrono::milliseconds(options_.retryMs),
                        [this] { return stopping_.load(); });
}
