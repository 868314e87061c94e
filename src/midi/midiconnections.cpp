#include "midiconnections.h"

#include "midiportfactory.h"

#include <QLoggingCategory>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcMidi, "quorvel.midi")

QString capitalised(QString text)
{
    if (!text.isEmpty()) {
        text[0] = text.at(0).toUpper();
    }
    return text;
}

} // namespace

// The port as the note engine's device. The engine's close leaves the port open (the
// fan-out sends nothing to it until it is opened again), but silences whatever plays
// on it, as closing the synthesiser silences that: a note held then would otherwise
// sound on in the other program for good.
class MidiConnections::PortForRun final : public MidiOut
{
public:
    explicit PortForRun(MidiOut& port)
        : port_(port)
    {}
    bool open(int /*deviceId*/) override
    {
        open_ = true;
        return true;
    }
    void send(quint32 message) override { port_.send(message); }
    void close() override
    {
        if (!open_) {
            return;
        }
        open_ = false;
        constexpr quint32 allNotesOff = 123 << 8;
        for (quint32 channel = 0; channel < 16; ++channel) {
            port_.send(0xB0 + channel + allNotesOff);
        }
    }

private:
    MidiOut& port_;
    bool open_ = false;
};

MidiConnections::MidiConnections(MidiOut& synth, MidiPortFactory* ports,
                                 const SoundSettings& choices)
{
    using Output = SoundSettings::Output;
    const bool wantsPort = choices.output != Output::Synthesiser;
    if (wantsPort || !choices.inputPort.isEmpty()) {
        if (ports) {
            openPorts(*ports, choices);
        } else {
            problems_ << midisystems::statusText({});
        }
    }
    QList<MidiOut*> outputs;
    if (choices.output != Output::Port || !portForRun_) {
        outputs << &synth;
    }
    if (portForRun_) {
        outputs << portForRun_.get();
    }
    fanOut_ = std::make_unique<MidiFanOut>(outputs);
    for (const QString& problem : std::as_const(problems_)) {
        qCWarning(lcMidi).noquote() << problem;
    }
}

MidiConnections::~MidiConnections() = default;

void MidiConnections::openPorts(MidiPortFactory& ports, const SoundSettings& choices)
{
    const QList<MidiSystem> systems = ports.systems();
    const MidiSystem* system = midisystems::choose(systems, choices.portSystem);
    if (!system) {
        problems_ << midisystems::statusText(systems);
        return;
    }
    if (!choices.portSystem.isEmpty() && system->key != choices.portSystem) {
        const auto chosen =
            std::find_if(systems.cbegin(), systems.cend(),
                         [&](const MidiSystem& s) { return s.key == choices.portSystem; });
        problems_ << (chosen != systems.cend()
                          ? QStringLiteral("%1 is not available: %2. The piano's ports are on %3.")
                                .arg(capitalised(chosen->nameInText), chosen->problem,
                                     system->nameInText)
                          : QStringLiteral("No MIDI system \"%1\" is built in. The piano's ports "
                                           "are on %2.")
                                .arg(choices.portSystem, system->nameInText));
    }
    if (choices.output != SoundSettings::Output::Synthesiser) {
        port_ = ports.makeOutput(system->key);
        if (port_->open(-1)) {
            portForRun_ = std::make_unique<PortForRun>(*port_);
        } else {
            // Without the port, a piano that was to play only there plays on its own.
            problems_ << port_->errorString() +
                             (choices.output == SoundSettings::Output::Port
                                  ? QStringLiteral(" The embedded synthesiser plays in its place.")
                                  : QString());
            port_.reset();
        }
    }
    if (!choices.inputPort.isEmpty()) {
        input_ = ports.makeInput();
        if (!input_->open(system->key, choices.inputPort)) {
            problems_ << input_->errorString();
            input_.reset();
        }
    }
}
