#include "audiorender.h"

#include "score.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace audiorender {
namespace {

// FluidSynth's name of each file type.
const char* fileType(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Wav:
        return "wav";
    case OutputFormat::Flac:
        return "flac";
    case OutputFormat::Ogg:
        return "oga";
    case OutputFormat::Midi:
        break;
    }
    return nullptr;
}

struct SettingsDeleter
{
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter
{
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct RendererDeleter
{
    void operator()(fluid_file_renderer_t* r) const { delete_fluid_file_renderer(r); }
};

struct Event
{
    qint64 frame = 0;
    bool on = false;
    int note = 0;
};

QList<Event> eventsOf(const Score& score)
{
    QList<Event> events;
    const auto frameAt = [](qint64 ms) {
        return qint64(std::llround(double(ms) * sampleRate / 1000.0));
    };
    for (const TimedNote& n : score.notes) {
        events.append({frameAt(n.onMs), true, n.note});
        events.append({frameAt(n.offMs), false, n.note});
    }
    // Events of one frame keep the score's order: a note ends where the next begins, so
    // a key struck again ends and then sounds again.
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    return events;
}

void quietLog(int, const char*, void*) {}

} // namespace

QList<OutputFormat> supportedFormats()
{
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    QStringList types;
    fluid_settings_foreach_option(
        settings.get(), "audio.file.type", &types, [](void* data, const char*, const char* option) {
            static_cast<QStringList*>(data)->append(QString::fromLatin1(option));
        });
    QList<OutputFormat> formats;
    for (const OutputFormat f : outputformat::all) {
        if (fileType(f) && types.contains(QLatin1String(fileType(f)))) {
            formats.append(f);
        }
    }
    return formats;
}

QString render(const Job& job)
{
    const char* type = fileType(job.format);
    if (!job.score || !type || !supportedFormats().contains(job.format)) {
        return QStringLiteral("This FluidSynth cannot write %1 files.")
            .arg(outputformat::name(job.format));
    }
    if (!QFileInfo(job.soundFont).isFile()) {
        return QStringLiteral("The SoundFont %1 is missing.")
            .arg(QDir::toNativeSeparators(job.soundFont));
    }
    // FluidSynth writes under a name of its own; the file takes its place at the end.
    QTemporaryDir work;
    if (!work.isValid()) {
        return QStringLiteral("Cannot make a temporary folder: %1").arg(work.errorString());
    }
    const QString rendered = work.filePath(QStringLiteral("render.") + QLatin1String(type));

    // FluidSynth's warnings (the SoundFont's oddities) are not the user's business.
    fluid_set_log_function(FLUID_WARN, quietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, quietLog, nullptr);
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings.get(), "synth.gain", 0.5); // as loud as the piano plays
    fluid_settings_setstr(settings.get(), "audio.file.name",
                          QFile::encodeName(rendered).constData());
    fluid_settings_setstr(settings.get(), "audio.file.type", type);
    fluid_settings_setstr(settings.get(), "audio.file.format", "s16");
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), QFile::encodeName(job.soundFont).constData(),
                                     1) == FLUID_FAILED) {
        return QStringLiteral("The SoundFont %1 cannot be read.")
            .arg(QDir::toNativeSeparators(job.soundFont));
    }
    fluid_synth_program_change(synth.get(), job.channel, job.instrument);
    {
        std::unique_ptr<fluid_file_renderer_t, RendererDeleter> renderer(
            new_fluid_file_renderer(synth.get()));
        if (!renderer) {
            return QStringLiteral("FluidSynth cannot write a %1.")
                .arg(outputformat::name(job.format));
        }
        int period = 64;
        fluid_settings_getint(settings.get(), "audio.period-size", &period);

        const QList<Event> events = eventsOf(*job.score);
        const qint64 lastFrame = events.isEmpty() ? 0 : events.constLast().frame;
        const qint64 tailEnd = lastFrame + qint64(maxTailMs) * sampleRate / 1000;
        qsizetype next = 0;
        // Each block starts with the events due in it, rounded to the nearer block start.
        for (qint64 frame = 0;; frame += period) {
            for (; next < events.size() && events[next].frame < frame + period / 2; ++next) {
                const Event& e = events[next];
                if (e.on) {
                    fluid_synth_noteon(synth.get(), job.channel, e.note, 127);
                } else {
                    fluid_synth_noteoff(synth.get(), job.channel, e.note);
                }
            }
            if (next == events.size() &&
                (frame >= tailEnd ||
                 (frame > lastFrame && fluid_synth_get_active_voice_count(synth.get()) == 0))) {
                break;
            }
            if (job.cancel && job.cancel->load()) {
                return QStringLiteral("Stopped before the end. Nothing was written.");
            }
            if (fluid_file_renderer_process_block(renderer.get()) != FLUID_OK) {
                return QStringLiteral("FluidSynth failed while writing the sound.");
            }
        }
    } // the renderer closes its file here

    QFile file(rendered);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("FluidSynth wrote no %1.").arg(outputformat::name(job.format));
    }
    QString error;
    if (!textfile::writeAtomically(job.path, file.readAll(), &error)) {
        return error + QStringLiteral(" Nothing was written.");
    }
    return {};
}

} // namespace audiorender
