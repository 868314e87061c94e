#pragma once

#include "midiout.h"
#include "soundcontrol.h"
#include "soundpump.h"
#include "soundstatus.h"

#include <QString>

#include <memory>
#include <mutex>
#include <optional>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

// The default MIDI output: the FluidSynth synthesiser with a General MIDI SoundFont,
// playing on the desktop's sound server, or through one of FluidSynth's own audio
// drivers (PipeWire, ALSA, OSS) where no sound server runs. Tells what it plays on
// through SoundStatus; its SoundFont, volume and effects change as it plays
// (SoundControl), safely beside the sound thread: FluidSynth's own API lock
// ("synth.threadsafe-api", on by default) guards the synthesiser.
class FluidSynthOut final : public SoundStatus, public MidiOut, public SoundControl
{
    Q_OBJECT

public:
    struct Options
    {
        QString soundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
        // Played instead when `soundFont` cannot be loaded; empty for none.
        QString fallbackSoundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
        bool withAudio = true;      // false: no audio output, sound only through render()
        double sampleRate = 0;      // 0: the rate of the sound server's output (else 48000)
        int periodSize = 64;        // frames per period on the sound server
        int periods = 2;            // periods the server's stream holds
        int driverPeriodSize = 128; // frames per period of FluidSynth's own drivers
        int driverPeriods = 2;
        double gain = 0.5;
        bool reverb = true;
        bool chorus = true;
        SoundPump::Options pump;
    };

    FluidSynthOut();
    explicit FluidSynthOut(Options options);
    ~FluidSynthOut() override;
    Q_DISABLE_COPY_MOVE(FluidSynthOut)

    bool open(int deviceId) override;
    void send(quint32 message) override;
    void close() override;

    [[nodiscard]] SoundState soundState() const override;

    // Before the synthesiser is first opened a SoundFont is only checked, and read
    // at the open. A SoundFont in use stays in use until the new one has loaded.
    [[nodiscard]] QString loadSoundFont(const QString& path) override;
    [[nodiscard]] QString soundFont() const override;
    void setGain(double gain) override;
    void setReverb(bool on) override;
    void setChorus(bool on) override;

    // Renders `frames` stereo frames into the two buffers (for a synthesiser opened
    // without audio). Does nothing while the device is not open.
    void render(float* left, float* right, int frames);

    // The audio driver in use, empty while none plays.
    [[nodiscard]] QString audioDriver() const;

    // Times the sound server's stream ran dry while it should have played.
    [[nodiscard]] int dropouts() const;

private:
    bool createSynth(double sampleRate);
    // The id FluidSynth gives the SoundFont, or no value with the reason in `error`.
    [[nodiscard]] std::optional<int> readSoundFont(const QString& path, QString* error);
    bool openPump();
    bool openOwnDriver();
    void onPumpReport(const SoundPump::Report& report);
    void setState(const SoundState& state);

    Options options_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    int soundFontId_ = -1;
    double sampleRate_ = 0;                   // of the synthesiser, once made
    std::unique_ptr<SoundPump> pump_;         // the sound server, when there is one
    _fluid_audio_driver_t* driver_ = nullptr; // otherwise one of FluidSynth's own drivers
    bool open_ = false;
    bool hadServer_ = false; // a sound server played for this synthesiser

    mutable std::mutex stateMutex_; // the pump reports from its own thread
    SoundState state_;
    std::optional<SoundPump::Report> lastReport_;
    int dropouts_ = 0;
};
