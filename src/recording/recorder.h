#pragma once

#include <QString>
#include <QtGlobal>

class Clock;

// The recorder's count and its appends. Ticks of 10 ms are counted against the clock,
// so ticks a busy moment missed are caught up at the next count; a gap is held at
// 32767, the largest a recording line holds. Nothing is counted while shared play is
// connected. The count lives as long as the program: a window restart only stops it.
class Recorder
{
    Q_DISABLE_COPY_MOVE(Recorder)

public:
    static constexpr qint64 tickMs = 10;
    static constexpr qint16 longestGap = 32767;
    // tickCounting: the counter runs, or stands still.
    static constexpr qint16 counting = 0;
    static constexpr qint16 stopped = 100;

    Recorder(const Clock& clock, QString dataFolder);

    // The window was (re)built: the counter stands still and ticks count from now.
    void windowStarted();

    // Counts the ticks due up to now (the recorder tick).
    void countTicks(bool connected);

    struct Recorded
    {
        bool written = false;
        qint16 gap = 0; // the gap written with the key
        QString error;  // when not written: the reason, as a sentence
    };

    // Appends the ticks counted since the last recorded key, then `keyIndex`, to the
    // recording (creating the data folder when it is missing), and counts anew from 0.
    // Only called while not connected. When the append fails, neither file changes
    // and the count is kept.
    [[nodiscard]] Recorded record(qint16 keyIndex);

    // Counts up to now, then stops counting (StopPlayback's part).
    void stopCounting(bool connected);

    // Whether the key file of the current recording exists.
    [[nodiscard]] bool keyFilePresent() const;

    [[nodiscard]] qint16 gapTicks() const { return gapTicks_; }
    [[nodiscard]] qint16 tickCounting() const { return tickCounting_; }

private:
    const Clock& clock_;
    QString dataFolder_;
    qint16 gapTicks_ = 0;
    qint16 tickCounting_ = stopped;
    qint64 countedUpToMs_ = 0; // the moment up to which ticks have been counted
};
