#include "midiconversion.h"

#include "datafolder.h"
#include "midimessages.h"
#include "musicfiles.h"
#include "smfwriter.h"

#include <QDir>

#include <initializer_list>
#include <limits>

namespace {

// A channel message: the status byte, then its data bytes.
QByteArray message(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values) {
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

} // namespace

MidiConversion MidiConversion::failed(QString error)
{
    MidiConversion conversion;
    conversion.error_ = std::move(error);
    return conversion;
}

MidiConversion MidiConversion::load(const QString& dataFolder)
{
    const DataFolder folder(dataFolder);
    const QString gapName = QString::fromLatin1(musicfiles::gapFileName);
    const QString keyName = QString::fromLatin1(musicfiles::keyFileName);
    const bool gapPresent = folder.present(gapName);
    const bool keyPresent = folder.present(keyName);
    const QString where = QDir::toNativeSeparators(dataFolder);
    if (!gapPresent && !keyPresent) {
        return failed(QStringLiteral("There is no recording in %1. Record a tune in the piano "
                                     "first, then click Read again.")
                          .arg(where));
    }
    if (!gapPresent || !keyPresent) {
        return failed(QStringLiteral("The recording is incomplete: %1 is missing from %2.")
                          .arg(gapPresent ? keyName : gapName, where));
    }

    QString error;
    const auto script = ReplayScript::read(folder.file(gapName), folder.file(keyName), &error);
    if (!script) {
        return failed(error);
    }
    const auto settings = ReplaySettings::read(folder, &error);
    if (!settings) {
        return failed(error);
    }
    return fromScript(*script, *settings);
}

MidiConversion MidiConversion::fromScript(const ReplayScript& script,
                                          const ReplaySettings& settings)
{
    ScoreResult result = scoring::layOut(script, settings);
    if (!result.score) {
        return failed(result.error);
    }
    if (settings.channel < 0 || settings.channel > highestChannel) {
        return failed(QStringLiteral("The settings file gives channel %1, but a MIDI file has "
                                     "only the channels 0 to 15. Choose one of them in the "
                                     "piano's settings window.")
                          .arg(settings.channel));
    }
    if (result.score->lengthMs > std::numeric_limits<quint32>::max()) {
        return failed(QStringLiteral("The recording is too long for a MIDI file."));
    }
    MidiConversion conversion;
    conversion.score_ = std::move(result.score);
    conversion.settings_ = settings;
    return conversion;
}

QString MidiConversion::summary() const
{
    if (!ok()) {
        return {};
    }
    const Score& s = *score_;
    QStringList lines;
    QString notes = QStringLiteral("Notes: %1").arg(s.notes.size());
    if (s.silentEvents > 0) {
        notes += QStringLiteral(" (%1 key %2 no note)")
                     .arg(s.silentEvents)
                     .arg(s.silentEvents == 1 ? QStringLiteral("press plays")
                                              : QStringLiteral("presses play"));
    }
    lines << notes << QStringLiteral("Length: %1").arg(lengthText(s.lengthMs));
    const QString values =
        QStringLiteral("channel %1, base note %2, delay factor %3, time delay %4")
            .arg(settings_.channel)
            .arg(settings_.baseNote)
            .arg(settings_.delayFactor)
            .arg(settings_.timeDelay);
    lines << (settings_.fromFile
                  ? QStringLiteral("Settings: %1").arg(values)
                  : QStringLiteral("Settings: no settings file, so the piano's defaults: %1")
                        .arg(values));
    if (s.zeroWaits > 0) {
        lines << QStringLiteral("%1 of the notes start together with the note before them "
                                "(a wait of 0 ms).")
                     .arg(s.zeroWaits);
    }
    return lines.join(u'\n');
}

std::optional<QByteArray> MidiConversion::midiFile(int instrument) const
{
    if (!ok() || instrument < 0 || instrument > 127) {
        return std::nullopt;
    }
    const int channel = settings_.channel;
    QList<smf::Event> events;
    events.reserve(score_->notes.size() * 2 + 3);
    events.append({0, smf::trackNameEvent("Quorvel Piano")});
    events.append({0, smf::tempoEvent(microsecondsPerQuarter)});
    events.append({0, message({midimessages::programChangeStatus + channel, instrument})});
    // A note ends exactly when the next one starts, so each note-off lands before the
    // next note-on, even when both fall on the same tick.
    for (const TimedNote& note : score_->notes) {
        events.append({static_cast<quint32>(note.onMs),
                       message({midimessages::noteOnStatus + channel, note.note, velocity})});
        events.append({static_cast<quint32>(note.offMs),
                       message({midimessages::noteOffStatus + channel, note.note, 0})});
    }
    return smf::formatZero(ticksPerQuarter, events);
}

QString lengthText(qint64 ms)
{
    const qint64 seconds = (ms + 500) / 1000;
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}
