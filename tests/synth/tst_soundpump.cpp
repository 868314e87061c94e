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
// or accepts connections, and counts what the pump does. The test changes it through
// act() and waits on it through until().
class FakeSink final : public SoundSink
{
public:
    std::optional<Stream> connect(const Request& request, QString* error) override
    {
        std::optional<Stream> granted;
        act([&] {
            ++connects;
            if (!refusing) {
                lost = false;
                stream_.periodFrames = request.periodFrames;
                granted = stream_;
            }
        });
        if (!granted) {
            *error = QStringLiteral("Connection refused");
        }
        return granted;
    }
    const Stream& stream() const override { return stream_; }
    void requestPeriod(int frames) override
    {
        act([&] { stream_.periodFrames = frames; });
    }
    int wait(bool wantFrames, int) override
    {
        std::unique_lock lock(mutex_);
        waiting = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return lost || interrupted || (wantFrames && !asked.empty()); });
        waiting = false;
        if (lost || std::exchange(interrupted, false)) {
            return lost ? -1 : 0;
        }
        const int frames = asked.front();
        asked.pop_front();
        return frames;
    }
    bool write(const float* frames, int count) override
    {
        const std::lock_guard lock(mutex_);
        written += count;
        sounding += frames[0] != 0 ? count : 0;
        return !lost;
    }
    void endOfSound() override { ++drains; }
    void interrupt() override
    {
        act([&] { interrupted = true; });
    }
    void disconnect() override {}
    int dropouts() const override { return droppedOut; }
    QString lostReason() const override { return QStringLiteral("Connection terminated"); }

    template <typename Change> void act(Change change)
    {
        const std::lock_guard lock(mutex_);
        change();
        changed_.notify_all();
    }
    template <typename Done> bool until(Done done)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(2), done);
    }

    Stream stream_;
    std::deque<int> asked;
    bool lost = false;
    bool interrupted = false;
    bool waiting = false;
    bool refusing = false;
    int connects = 0;
    std::atomic<int> written = 0;
    std::atomic<int> sounding = 0; // of the frames written, those with sound
    std::atomic<int> drains = 0;
    std::atomic<int> droppedOut = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace

class TestSoundPump : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheScript_data();
    void followsTheScript();
};

// At 1000 frames a second the figures read as milliseconds: 10-frame periods, a
// 30-frame hangover, 100 frames of clean play before the period shrinks again; the
// pump's own settling time after a change of period, 200 ms, is 200 frames.
//
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
    QTest::newRow("a request shorter than a period waits for more")
        << "wake; ask 5; written 0; ask 20; written 20";
    QTest::newRow("woken, it plays; it sleeps once the hangover passed in silence, not before")
        << "wake; ask 20; written 20; states asleep,playing; "
           "ask 10; written 30; drains 1; states asleep,playing,asleep; ask 20; written 30";
    QTest::newRow("a sounding synthesiser keeps it awake past the hangover")
        << "sound; wake; ask 50; sounding 50; quiet; ask 20; states asleep,playing";
    QTest::newRow("woken again after sleeping, it plays at once")
        << "wake; ask 30; drains 1; wake; ask 20; written 50; "
           "states asleep,playing,asleep,playing";
    QTest::newRow("a server lost while playing is reported")
        << "refuse; wake; ask 10; written 10; lose; states asleep,playing,lost";
    QTest::newRow("lost while asleep, it keeps trying, and is back asleep when it connects")
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
    SoundSink::Stream stream{1000, 10, 20, 0, {}};
    auto owned = std::make_unique<FakeSink>();
    FakeSink& sink = *owned;
    sink.stream_ = stream;
    const bool startsLost = script.startsWith(u"starts-lost");
    sink.refusing = startsLost;

    std::mutex reportsMutex;
    QStringList states;
    std::atomic<bool> sounding = false;
    SoundPump pump(
        std::move(owned), {1000, 10, 2},
        startsLost ? std::nullopt : std::optional<SoundSink::Stream>(stream),
        [&](float* frames, int count) {
            std::fill(frames, frames + 2 * count, sounding ? 0.5F : 0.0F);
            return sounding.load();
        },
        [&](const SoundPump::Report& report) {
            static const QString names[] = {"playing", "asleep", "lost"}; // as in State
            const std::lock_guard lock(reportsMutex);
            const QString& name = names[static_cast<int>(report.state)];
            if (states.isEmpty() || states.last() != name) {
                states << name;
            }
        },
        {30, 5, false, 8, 100}, QStringLiteral("Connection refused"));
    const auto reported = [&] {
        const std::lock_guard lock(reportsMutex);
        return states.join(u',');
    };

    for (const QString& step : script.split(u';', Qt::SkipEmptyParts)) {
        const QString command = step.trimmed().section(u' ', 0, 0);
        const QString argument = step.trimmed().section(u' ', 1);
        const int n = argument.toInt();
        if (command == u"sound" || command == u"quiet") {
            sounding = command == u"sound";
        } else if (command == u"wake") {
            pump.wake();
        } else if (command == u"ask") {
            const bool asleep = pump.state() == SoundPump::State::Asleep;
            sink.act([&] { sink.asked.push_back(n); });
            QVERIFY2(sink.until([&] {
                return sink.waiting && !sink.interrupted && (asleep || sink.asked.empty());
            }),
                     qPrintable(step));
        } else if (command == u"lose" || command == u"refuse" || command == u"accept") {
            sink.act(
                [&] { (command == u"lose" ? sink.lost : sink.refusing) = command != u"accept"; });
        } else if (command == u"dropout") {
            // While the pump waits, so that it comes between two of its periods.
            QVERIFY(sink.until([&] { return sink.waiting; }));
            ++sink.droppedOut;
        } else if (command == u"states") {
            QTRY_COMPARE(reported(), argument);
        } else if (command == u"written") {
            QTRY_COMPARE(sink.written.load(), n);
        } else if (command == u"sounding") {
            QTRY_COMPARE(sink.sounding.load(), n);
        } else if (command == u"drains") {
            QTRY_COMPARE(sink.drains.load(), n);
        } else if (command == u"period") {
            QVERIFY2(sink.until([&] { return sink.stream_.periodFrames == n; }), qPrintable(step));
        } else if (command == u"connects-at-least") {
            QVERIFY2(sink.until([&] { return sink.connects >= n; }), qPrintable(step));
        } else {
            QVERIFY2(command == u"starts-lost", qPrintable(step));
        }
    }
}

QTEST_GUILESS_MAIN(TestSoundPump)
#include "tst_soundpump.moc"
