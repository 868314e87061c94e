#include "fluidsynthout.h"

#include "midimessages.h"
#include "pulsepump.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

#include <fluidsynth.h>

Q_LOGGING_CATEGORY(lcSynth, "quorvel.synth")

namespace {

void logFromFluidSynth(int level, const char* message, void*)
{
    // FluidSynth's warnings come in floods (one per note when its voices run out) and
    // its information and debugging messages are of no use here: errors only.
    if (level <= FLUID_ERR) {
        qCWarning(lcSynth, "%s", message);
    }
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

} // namespace

FluidSynthOut::FluidSynthOut()
    : FluidSynthOut(Options{})
{}

FluidSynthOut::FluidSynthOut(Options options)
    : options_(std::move(options))
{
    routeFluidSynthLog();
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

bool FluidSynthOut::createSynth()
{
    if (synth_) {
        return true;
    }
    if (!QFileInfo(options_.soundFont).isFile()) {
        qCWarning(lcSynth) << "SoundFont not found:" << options_.soundFont;
        return false;
    }
    settings_ = new_fluid_settings();
    if (!settings_) {
        return false;
    }
    fluid_settings_setnum(settings_, "synth.sample-rate", options_.sampleRate);
    fluid_settings_setnum(settings_, "synth.gain", options_.gain);
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings_, "audio.period-size", options_.periodSize);
    fluid_settings_setint(settings_, "audio.periods", options_.periods);
    fluid_settings_setint(settings_, "audio.pulseaudio.adjust-latency", 0);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        return false;
    }
    if (fluid_synth_sfload(synth_, QFile::encodeName(options_.soundFont).constData(), 1) ==
        FLUID_FAILED) {
        qCWarning(lcSynth) << "Cannot load the SoundFont" << options_.soundFont;
        delete_fluid_synth(synth_);
        synth_ = nullptr;
        return false;
    }
    return true;
}

bool FluidSynthOut::open(int /*deviceId*/)
{
    // Every device id reaches the one synthesiser: it is the mapper's only device.
    if (!createSynth()) {
        return false;
    }
    if (options_.withAudio && !pump_ && !driver_) {
        QString reason;
        pump_ = PulsePump::start(
            synth_, {int(options_.sampleRate), options_.periodSize, options_.periods}, &reason);
        if (pump_) {
            driverName_ = QStringLiteral("pulseaudio");
        } else {
            qCDebug(lcSynth) << "No sound server:" << reason;
        }
    }
    if (options_.withAudio && !pump_ && !driver_) {
        const QStringList available = availableDrivers(settings_);
        for (const char* name : audioDrivers) {
            if (!available.contains(QLatin1String(name))) {
                continue;
            }
            fluid_settings_setstr(settings_, "audio.driver", name);
            driver_ = new_fluid_audio_driver(settings_, synth_);
            if (driver_) {
                driverName_ = QString::fromLatin1(name);
                qCDebug(lcSynth) << "audio driver" << driverName_;
                break;
            }
        }
        if (!driver_) {
            qCWarning(lcSynth) << "No audio output could be opened";
            return false;
        }
    }
    open_ = true;
    return true;
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
    if (pump_) {
        pump_->wake();
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
        driverName_.clear();
    }
}

void FluidSynthOut::render(float* left, float* right, int frames)
{
    if (!open_) {
        return;
    }
    fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
}

double FluidSynthOut::bufferLatencyMs() const
{
    return 1000.0 * options_.periodSize * options_.periods / options_.sampleRate;
}
