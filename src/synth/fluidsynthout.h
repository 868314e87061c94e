#pragma once

#include "midiout.h"

#include <QString>

#include <memory>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;
class PulsePump;

// The default MIDI output: the FluidSynth synthesiser with a General MIDI SoundFont,
// playing on the desktop's audio output (PipeWire, PulseAudio or ALSA).
class FluidSynthOut final : public MidiOut
{
public:
    struct Options
    {
        QString soundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
        bool withAudio = true; // false: no audio driver, sound only through render()
        double sampleRate = 48000;
        int periodSize = 128; // frames per audio period
        int periods = 2;
        double gain = 0.5;
    };

    FluidSynthOut();
    explicit FluidSynthOut(Options options);
    ~FluidSynthOut() override;
    Q_DISABLE_COPY_MOVE(FluidSynthOut)

    bool open(int deviceId) override;
    void send(quint32 message) override;
    void close() override;

    // Renders `frames` stereo frames into the two buffers (for a synthesiser opened
    // without audio). Does nothing while the device is not open.
    void render(float* left, float* right, int frames);

    // The audio driver in use, empty while none runs.
    [[nodiscard]] QString audioDriver() const { return driverName_; }

    // The audio buffer the synthesiser runs with, in milliseconds.
    [[nodiscard]] double bufferLatencyMs() const;

private:
    bool createSynth();

    Options options_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    std::unique_ptr<PulsePump> pump_;         // the sound server, when there is one
    _fluid_audio_driver_t* driver_ = nullptr; // otherwise one of FluidSynth's own drivers
    QString driverName_;
    bool open_ = false;
};
