// The pump's states on a sound server played by the test: asleep until woken,
// playing what the server asks for, asleep again after the hangover, lost and back
// when the server goes away and returns, a longer period after a dropout.
#include "soundpump.h"

#include <QTest>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// A sound server the test drives: it asks for frames, breaks the connection, refuses
// or accepts connections, and notes what the pump does.
class FakeSink final : public SoundSink
{
public:
    explicit FakeSink(Stream stream)
        : stream_(std::move(stream))
    {}

    std::optional<Stream> connect(const Request& request, QString* error) override
    {
        const std::lock_guard lock(mutex_);
        ++connects;
        if (refusing) {
            *error = QStringLiteral("Connection refused");
            return std::nullopt;
        }
        lost_ = false;
        stream_.periodFrames = request.periodFrames;
        return stream_;
    }
    const Stream& stream() const override { return stream_; }
    void requestPeriod(int frames) override
    {
        const std::lock_guard lock(mutex_);
        stream_.periodFrames = frames;
    }
    int wait(bool wantFrames, int) override
    {
        std::unique_lock lock(mutex_);
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock,
                      [&] { return lost_ || interrupted_ || (wantFrames && !requests_.empty()); });
        waiting_ = false;
        if (lost_) {
            return -1;
        }
        if (interrupted_) {
            interrupted_ = false;
            return 0;
        }
        const int frames = requests_.front();
        requests_.pop_front();
        return frames;
    }
    bool write(const float* frames, int count) override
    {
        const std::lock_guard lock(mutex_);
        written += count;
        if (frames[0] != 0) {
            soundingWritten += count;
        }
        return !lost_;
    }
    void endOfSound() override { ++drains; }
    void interrupt() override
    {
        const std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }
    void disconnect() override {}
    int dropouts() const override { return dropouts_; }
    QString lostReason() const override { return QStringLiteral("Connection terminated"); }

    // The test's side.
    void ask(int frames)
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(frames);
        changed_.notify_all();
    }
    void breakDown()
    {
        const std::lock_guard lock(mutex_);
        lost_ = true;
        changed_.notify_all();
    }
    // A dropout while the pump waits, so that it comes between two of its periods.
    void dropOut()
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(2), [&] { return waiting_; });
        ++dropouts_;
    }
    // True once the pump waits with every request answered (or ignored while asleep).
    bool settle(bool asleep)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(2), [&] {
            return waiting_ && !interrupted_ && (asleep || requests_.empty());
        });
    }
    int periodFrames()
    {
        const std::lock_guard lock(mutex_);
        return stream_.periodFrames;
    }

    std::atomic<int> connects = 0;
    std::atomic<int> written = 0;
    std::atomic<int> soundingWritten = 0;
    std::atomic<int> drains = 0;
    std::atomic<bool> refusing = false;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Stream stream_;
    std::deque<int> requests_;
    bool lost_ = false;
    bool interrupted_ = false;
    bool waiting_ = false;
    std::atomic<int> dropouts_ = 0;
};

// At 1000 frames a second the figures read as milliseconds: 10-frame periods, a
// 30-frame hangover, 100 frames of clean play before the period shrinks again.
constexpr int period = 10;

QString stateName(SoundPump::State state)
{
    const char* names[] = {"playing", "asleep", "lost"}; // in the order of the enum
    return QString::fromLatin1(names[static_cast<int>(state)]);
}

} // namespace

class TestSoundPump : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheScript_data();
    void followsTheScript();
};

// Each step is a command to the pump or its server, or something to check:
//   sound / quiet    the synthesiser has voices, or none
//   wake             an event was sent to the synthesiser
//   ask N            the server asks for N frames
//   lose / refuse / accept / dropout
//   states a,b,...   the reports so far, in order
//   written N / sounding N / drains N / period N / connects-at-least N
// A script that begins with "starts-lost" starts the pump without a server.
void TestSoundPump::followsTheScript_data()
{
    QTest::addColumn<QString>("script");
    // clang-format off
    QTest::newRow("starts asleep and feeds nothing until woken")
        << "ask 20; written 0; states asleep";
    QTest::newRow("woken, it plays what the server asks for, a period at a time")
        << "wake; ask 20; written 20; states asleep,playing";
    QTest::newRow("a request shorter than a period waits for more")
        << "wake; ask 5; written 0; ask 20; written 20";
    QTest::newRow("sleeps once the hangover passed in silence, not before")
        << "wake; ask 20; written 20; states asleep,playing; "
           "ask 10; written 30; drains 1; states asleep,playing,asleep; ask 20; written 30";
    QTest::newRow("a sounding synthesiser keeps it awake past the hangover")
        << "sound; wake; ask 50; sounding 50; quiet; ask 20; states asleep,playing";
    QTest::newRow("woken again after sleeping, it plays at once")
        << "wake; ask 30; drains 1; wake; ask 20; written 50; "
           "states asleep,playing,asleep,playing";
    QTest::newRow("a server lost while asleep is reported")
        << "refuse; lose; states asleep,lost";
    QTest::newRow("a server lost while playing is reported")
        << "refuse; wake; ask 10; written 10; lose; states asleep,playing,lost";
    QTest::newRow("keeps trying while lost, and is back asleep when it connects")
        << "refuse; lose; connects-at-least 3; accept; states asleep,lost,asleep; "
           "wake; ask 10; written 10";
    QTest::newRow("started without a server, it keeps trying and plays once it connects")
        << "starts-lost; connects-at-least 2; states lost; accept; states lost,asleep; "
           "wake; ask 10; written 10";
    QTest::newRow("a dropout doubles the period")
        << "sound; wake; ask 10; written 10; dropout; ask 10; written 20; period 20; "
           "ask 20; written 40";
    QTest::newRow("dropouts in the same stall grow it once")
        << "sound; wake; ask 10; written 10; dropout; ask 10; period 20; dropout; ask 20; "
           "written 40; period 20";
    QTest::newRow("a dropout in its last periods before sleeping still counts")
        << "wake; ask 10; written 10; dropout; ask 20; states asleep,playing,asleep; period 20";
    QTest::newRow("after clean play the period shrinks a step")
        << "sound; wake; ask 10; dropout; ask 10; period 20; "
           "ask 40; ask 40; ask 20; written 120; period 10";
    QTest::newRow("the grown period is kept over a reconnection")
        << "sound; wake; ask 10; dropout; ask 10; period 20; refuse; lose; accept; "
           "states asleep,playing,lost,asleep; period 20";
    // clang-format on
}

void TestSoundPump::followsTheScript()
{
    QFETCH(QString, script);
    SoundSink::Stream stream;
    stream.sampleRate = 1000;
    stream.periodFrames = period;
    stream.bufferFrames = 2 * period;
    auto owned = std::make_unique<FakeSink>(stream);
    FakeSink& sink = *owned;
    const bool startsLost = script.startsWith(u"starts-lost");
    sink.refusing = startsLost;

    std::mutex reportsMutex;
    QStringList states;
    std::atomic<bool> sounding = false;
    SoundPump::Options options;
    options.hangoverMs = 30;
    options.retryMs = 5;
    options.realtime = false;
    options.relaxAfterMs = 100;
    options.maxPeriodFactor = 8;
    // The settling time after a change of period is the pump's own 200 ms: 200 frames
    // here, so the script's dropouts come well within it or well after.
    SoundPump pump(
        std::move(owned), {1000, period, 2},
        startsLost ? std::nullopt : std::optional<SoundSink::Stream>(stream),
        [&](float* frames, int count) {
            std::fill(frames, frames + 2 * count, sounding ? 0.5F : 0.0F);
            return sounding.load();
        },
        [&](const SoundPump::Report& report) {
            const std::lock_guard lock(reportsMutex);
            if (states.isEmpty() || states.last() != stateName(report.state)) {
                states << stateName(report.state);
            }
        },
        options, QStringLiteral("Connection refused"));
    const auto reported = [&] {
        const std::lock_guard lock(reportsMutex);
        return states.join(u',');
    };

    for (const QString& step : script.split(u';', Qt::SkipEmptyParts)) {
        const QStringList words = step.trimmed().split(u' ');
        const QString& command = words.at(0);
        const QString argument = words.value(1);
        const int n = argument.toInt();
        if (command == u"starts-lost") {
            continue;
        }
        if (command == u"sound" || command == u"quiet") {
            sounding = command == u"sound";
        } else if (command == u"wake") {
            pump.wake();
        } else if (command == u"ask") {
            sink.ask(n);
            QVERIFY2(sink.settle(pump.state() == SoundPump::State::Asleep), qPrintable(step));
        } else if (command == u"lose") {
            sink.breakDown();
        } else if (command == u"refuse") {
            sink.refusing = true;
        } else if (command == u"accept") {
            sink.refusing = false;
        } else if (command == u"dropout") {
            sink.dropOut();
        } else if (command == u"states") {
            QTRY_COMPARE(reported(), argument);
        } else if (command == u"written") {
            QTRY_COMPARE(sink.written.load(), n);
        } else if (command == u"sounding") {
            QTRY_COMPARE(sink.soundingWritten.load(), n);
        } else if (command == u"drains") {
            QTRY_COMPARE(sink.drains.load(), n);
        } else if (command == u"period") {
            QTRY_COMPARE(sink.periodFrames(), n);
        } else if (command == u"connects-at-least") {
            QTRY_VERIFY(sink.connects >= n);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step: ") + step));
        }
    }
}

QTEST_GUILESS_MAIN(TestSoundPump)
#include "tst_soundpump.moc"
