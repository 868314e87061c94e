#include "fluidsynthout.h"

#include "midimessages.h"
#include "pulsesink.h"
#include "soundfontfile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QStringList>

#include <tuple>

#include <fluidsynth.h>

Q_LOGGING_CATEGORY(lcSynth, "quorvel.synth")

namespace {

// While a SoundFont is read, FluidSynth's errors on this thread are the reason it
// is refused.
thread_local QString* collected = nullptr;

// Collects what FluidSynth says on this thread while it lives.
class SaidByFluidSynth
{
public:
    explicit SaidByFluidSynth(QString* into) { collected = into; }
    ~SaidByFluidSynth() { collected = nullptr; }
    Q_DISABLE_COPY_MOVE(SaidByFluidSynth)
};

void logFromFluidSynth(int level, const char* message, void*)
{
    // FluidSynth's warnings come in floods (one per note when its voices run out) and
    // its information and debugging messages are of no use here: errors only.
    if (level > FLUID_ERR) {
        return;
    }
    if (collected && collected->isEmpty()) {
        *collected = QString::fromLocal8Bit(message).trimmed();
    }
    qCWarning(lcSynth, "%s", message);
}

void routeFluidSynthLog()
{
    static const bool routed = [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
            fluid_set_log_function(level, logFromFluidSynth, nullptr);
        }
        return true;
    }();
    (void)routed;
}

// FluidSynth's own audio back ends, tried when there is no sound server.
constexpr const char* audioDrivers[] = {"pipewire", "alsa", "oss"};

QStringList availableDrivers(fluid_settings_t* settings)
{
    QStringList names;
    fluid_settings_foreach_option(
        settings, "audio.driver", &names, [](void* data, const char*, const char* option) {
            static_cast<QStringList*>(data)->append(QString::fromLatin1(option));
        });
    return names;
}

QString milliseconds(double ms)
{
    return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
}

QString bufferText(int periods, int frames, double rate)
{
    return QStringLiteral("%1 × %2 frames at %3 Hz").arg(periods).arg(frames).arg(rate, 0, 'f', 0);
}

QString dropoutText(int dropouts)
{
    return dropouts == 0 ? QStringLiteral("no dropouts")
                         : QStringLiteral("%1 dropouts").arg(dropouts);
}

} // namespace

FluidSynthOut::FluidSynthOut()
    : FluidSynthOut(Options{})
{}

FluidSynthOut::FluidSynthOut(Options options)
    : options_(std::move(options))
{
    routeFluidSynthLog();
    state_.detail = QStringLiteral("No sound: the synthesiser is not open");
}

FluidSynthOut::~FluidSynthOut()
{
    pump_.reset();
    if (driver_) {
        delete_fluid_audio_driver(driver_);
    }
    if (synth_) {
        delete_fluid_synth(synth_);
    }
    if (settings_) {
        delete_fluid_settings(settings_);
    }
}

bool FluidSynthOut::createSynth(double sampleRate)
{
    if (synth_) {
        return true;
    }
    settings_ = new_fluid_settings();
    if (!settings_) {
        return false;
    }
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings_, "synth.gain", options_.gain);
    fluid_settings_setint(settings_, "synth.reverb.active", options_.reverb ? 1 : 0);
    fluid_settings_setint(settings_, "synth.chorus.active", options_.chorus ? 1 : 0);
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings_, "audio.period-size", options_.driverPeriodSize);
    fluid_settings_setint(settings_, "audio.periods", options_.driverPeriods);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        return false;
    }
    QString error;
    std::optional<int> id = readSoundFont(options_.soundFont, &error);
    // A SoundFont chosen once may have gone since; the piano then plays on the default.
    if (!id && !options_.fallbackSoundFont.isEmpty() &&
        options_.fallbackSoundFont != options_.soundFont) {
        qCWarning(lcSynth).noquote()
            << QStringLiteral("The SoundFont %1 cannot be loaded: %2. "
                              "Playing %3 instead.")
                   .arg(options_.soundFont, error, options_.fallbackSoundFont);
        id = readSoundFont(options_.fallbackSoundFont, &error);
        if (id) {
            options_.soundFont = options_.fallbackSoundFont;
        }
    }
    if (!id) {
        qCWarning(lcSynth).noquote() << QStringLiteral("The SoundFont %1 cannot be loaded: %2.")
                                            .arg(options_.soundFont, error);
        delete_fluid_synth(synth_);
        synth_ = nullptr;
        delete_fluid_settings(settings_);
        settings_ = nullptr;
        return false;
    }
    soundFontId_ = *id;
    sampleRate_ = sampleRate;
    return true;
}

std::optional<int> FluidSynthOut::readSoundFont(const QString& path, QString* error)
{
    *error = soundfontfile::problemWith(path);
    if (!error->isEmpty()) {
        return std::nullopt;
    }
    QString said;
    const int id = [&] {
        const SaidByFluidSynth collect(&said);
        return fluid_synth_sfload(synth_, QFile::encodeName(path).constData(), 1);
    }();
    if (id == FLUID_FAILED) {
        *error = said.isEmpty() ? QStringLiteral("FluidSynth cannot read it")
                                : QStringLiteral("FluidSynth cannot read it (%1)").arg(said);
        return std::nullopt;
    }
    return id;
}

QString FluidSynthOut::loadSoundFont(const QString& path)
{
    if (!synth_) {
        const QString problem = soundfontfile::problemWith(path);
        if (problem.isEmpty()) {
            options_.soundFont = path;
        }
        return problem;
    }
    QString error;
    const std::optional<int> id = readSoundFont(path, &error);
    if (!id) {
        return error;
    }
    // The new one was put on top and took over the channels' programs; voices still
    // sounding from the old one keep it alive in FluidSynth until they end.
    if (soundFontId_ >= 0) {
        fluid_synth_sfunload(synth_, soundFontId_, 1);
    }
    soundFontId_ = *id;
    options_.soundFont = path;
    qCInfo(lcSynth).noquote() << "SoundFont:" << path;
    return {};
}

QString FluidSynthOut::soundFont() const
{
    return options_.soundFont;
}

void FluidSynthOut::setGain(double gain)
{
    options_.gain = gain;
    if (synth_) {
        fluid_synth_set_gain(synth_, static_cast<float>(gain));
    }
}

void FluidSynthOut::setReverb(bool on)
{
    options_.reverb = on;
    if (synth_) {
        fluid_synth_reverb_on(synth_, -1, on ? 1 : 0);
    }
}

void FluidSynthOut::setChorus(bool on)
{
    options_.chorus = on;
    if (synth_) {
        fluid_synth_chorus_on(synth_, -1, on ? 1 : 0);
    }
}

bool FluidSynthOut::open(int /*deviceId*/)
{
    // Every device id reaches the one synthesiser: it is the mapper's only device.
    if (open_) {
        return true;
    }
    if (!options_.withAudio) {
        open_ = createSynth(options_.sampleRate > 0 ? options_.sampleRate : 48000);
        return open_;
    }
    open_ = openPump() || openOwnDriver();
    return open_;
}

bool FluidSynthOut::openPump()
{
    const SoundSink::Request request{synth_ ? static_cast<int>(sampleRate_)
                                            : static_cast<int>(options_.sampleRate),
                                     options_.periodSize, options_.periods};
    auto sink = std::make_unique<PulseSink>();
    QString reason;
    const auto stream = sink->connect(request, &reason);
    // A sound server that played before is waited for: it is on its way back (after
    // an update or a crash), and another driver would take the sound card from it.
    if (!stream && !hadServer_) {
        qCInfo(lcSynth) << "No sound server:" << reason;
        return false;
    }
    if (!createSynth(stream ? stream->sampleRate : sampleRate_)) {
        setState({false, {}, 0, QStringLiteral("No sound: the SoundFont cannot be loaded")});
        return false;
    }
    hadServer_ = true;
    // What the pump will report from its thread, known now: the caller may ask at once.
    SoundPump::Report first;
    first.state = stream ? SoundPump::State::Asleep : SoundPump::State::Lost;
    first.stream = stream.value_or(SoundSink::Stream{});
    first.reason = reason;
    onPumpReport(first);
    pump_ = std::make_unique<SoundPump>(
        std::move(sink), request, stream,
        [this](float* frames, int count) {
            fluid_synth_write_float(synth_, count, frames, 0, 2, frames, 1, 2);
            return fluid_synth_get_active_voice_count(synth_) > 0;
        },
        [this](const SoundPump::Report& report) { onPumpReport(report); }, options_.pump, reason);
    return true;
}

bool FluidSynthOut::openOwnDriver()
{
    if (!createSynth(options_.sampleRate > 0 ? options_.sampleRate : 48000)) {
        setState({false, {}, 0, QStringLiteral("No sound: the SoundFont cannot be loaded")});
        return false;
    }
    const QStringList available = availableDrivers(settings_);
    for (const char* name : audioDrivers) {
        if (!available.contains(QLatin1String(name))) {
            continue;
        }
        fluid_settings_setstr(settings_, "audio.driver", name);
        driver_ = new_fluid_audio_driver(settings_, synth_);
        if (driver_) {
            const QString driver = QString::fromLatin1(name);
            setState({true, driver,
                      1000.0 * options_.driverPeriodSize * options_.driverPeriods / sampleRate_,
                      QStringLiteral("FluidSynth's %1 driver, no sound server: %2")
                          .arg(driver, bufferText(options_.driverPeriods, options_.driverPeriodSize,
                                                  sampleRate_))});
            return true;
        }
    }
    qCWarning(lcSynth) << "No audio output could be opened";
    setState({false, {}, 0, QStringLiteral("No sound: no sound server and no audio device")});
    return false;
}

void FluidSynthOut::send(quint32 message)
{
    if (!open_) {
        return;
    }
    const auto m = midimessages::decode(message);
    if (!m) {
        return;
    }
    const int channel = m->status & 0x0F;
    switch (m->status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth_, channel, m->data1);
        break;
    case 0x90:
        if (m->data2 == 0) {
            fluid_synth_noteoff(synth_, channel, m->data1);
        } else {
            fluid_synth_noteon(synth_, channel, m->data1, m->data2);
            // Only a note makes sound: a sleeping stream starts again for it alone, so
            // that it goes out at once instead of behind a period already queued.
            if (pump_) {
                pump_->wake();
            }
        }
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth_, channel, m->data1, m->data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth_, channel, m->data1, m->data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth_, channel, m->data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth_, channel, m->data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth_, channel, m->data1 + 128 * m->data2);
        break;
    default:
        break; // System messages are not used by the piano.
    }
}

void FluidSynthOut::close()
{
    if (!open_) {
        return;
    }
    open_ = false;
    // A closed device falls silent and forgets its programs, as a reopened one starts.
    fluid_synth_system_reset(synth_);
    pump_.reset();
    if (driver_) {
        delete_fluid_audio_driver(driver_);
        driver_ = nullptr;
    }
    {
        const std::lock_guard lock(stateMutex_);
        lastReport_.reset();
    }
    setState({false, {}, 0, QStringLiteral("No sound: the synthesiser is closed")});
}

void FluidSynthOut::render(float* left, float* right, int frames)
{
    if (!open_) {
        return;
    }
    fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
}

SoundState FluidSynthOut::soundState() const
{
    const std::lock_guard lock(stateMutex_);
    return state_;
}

QString FluidSynthOut::audioDriver() const
{
    const SoundState state = soundState();
    return state.sounding ? state.driver : QString();
}

int FluidSynthOut::dropouts() const
{
    const std::lock_guard lock(stateMutex_);
    return dropouts_;
}

void FluidSynthOut::onPumpReport(const SoundPump::Report& report)
{
    // Called on the sound thread at every sleep and wake: only what the user can see
    // is worth the text.
    const auto shown = [](const SoundPump::Report& r) {
        const SoundSink::Stream& s = r.stream;
        return std::tuple(r.state == SoundPump::State::Lost, r.reason, r.dropouts, r.realtime,
                          s.sampleRate, s.periodFrames, s.bufferFrames, s.serverLatencyMs,
                          s.server);
    };
    {
        const std::lock_guard lock(stateMutex_);
        if (lastReport_ && shown(*lastReport_) == shown(report)) {
            return;
        }
        lastReport_ = report;
    }
    const QString driver = QStringLiteral("pulseaudio");
    if (report.state == SoundPump::State::Lost) {
        setState({false, driver, 0,
                  QStringLiteral("No sound: the sound server went away (%1); the piano plays "
                                 "again when it is back")
                      .arg(report.reason)});
    } else {
        const SoundSink::Stream& s = report.stream;
        const double bufferMs = 1000.0 * s.bufferFrames / s.sampleRate;
        setState({true, driver, bufferMs + s.serverLatencyMs,
                  QStringLiteral("%1 sound server: %2 (%3) and %4 in the server; %5%6")
                      .arg(s.server.isEmpty() ? QStringLiteral("PulseAudio") : s.server,
                           bufferText(s.bufferFrames / std::max(1, s.periodFrames), s.periodFrames,
                                      s.sampleRate),
                           milliseconds(bufferMs), milliseconds(s.serverLatencyMs),
                           dropoutText(report.dropouts),
                           report.realtime ? QStringLiteral("; real-time thread") : QString())});
    }
    const std::lock_guard lock(stateMutex_);
    if (report.dropouts > dropouts_) {
        qCWarning(lcSynth) << "The sound stream ran dry:" << report.dropouts << "dropouts so far";
    }
    dropouts_ = report.dropouts;
}

void FluidSynthOut::setState(const SoundState& state)
{
    {
        const std::lock_guard lock(stateMutex_);
        if (state == state_) {
            return;
        }
        state_ = state;
    }
    qCInfo(lcSynth).noquote()
        << "sound:" << state.detail
        << (state.sounding ? QStringLiteral("(latency %1)").arg(milliseconds(state.latencyMs))
                           : QString());
    Q_EMIT soundStateChanged();
}
