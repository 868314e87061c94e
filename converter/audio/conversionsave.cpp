#include "conversionsave.h"

#include "audiorender.h"
#include "midiconversion.h"
#include "textfile.h"

QString saveConversion(const MidiConversion& conversion, int instrument, OutputFormat format,
                       const QString& path, const std::atomic_bool* cancel)
{
    if (format != OutputFormat::Midi) {
        audiorender::Job job;
        job.score = &conversion.score();
        job.channel = conversion.settings().channel;
        job.instrument = instrument;
        job.format = format;
        job.path = path;
        job.cancel = cancel;
        return audiorender::render(job);
    }
    const auto bytes = conversion.midiFile(instrument);
    if (!bytes) {
        return QStringLiteral("The MIDI file cannot be formed from this recording.");
    }
    QString error;
    if (!textfile::writeAtomically(path, *bytes, &error)) {
        return error + QStringLiteral(" Nothing was written.");
    }
    return {};
}
