#pragma once

#include "midifanout.h"
#include "soundsettings.h"

#include <QStringList>

#include <memory>

class MidiInPort;
class MidiOutPort;
class MidiPortFactory;

// The piano's connections to the MIDI world for one run, made from the player's
// choices when the window is built: the outputs its messages go to (the embedded
// synthesiser, the port "Quorvel Piano" for other programs, or both) and the port it
// plays from. Whatever the choices ask for and this run cannot have is told in
// problems(), and the embedded synthesiser plays.
//
// The ports stay open for the whole run. A window restart closes and opens the output
// device again; closing the port then would cut every connection other programs had
// made to it.
class MidiConnections final
{
public:
    // `synth`: the embedded synthesiser, not owned. `ports`: the MIDI systems; null
    // where the program has none.
    MidiConnections(MidiOut& synth, MidiPortFactory* ports, const SoundSettings& choices);
    ~MidiConnections();
    Q_DISABLE_COPY_MOVE(MidiConnections)

    // The device the notes go through: every output chosen and had, the same bytes
    // to each.
    [[nodiscard]] MidiOut& output() { return *fanOut_; }

    // The port the piano plays from; null when none is chosen or it could not be had.
    [[nodiscard]] MidiInPort* input() const { return input_.get(); }

    // Sentences for the user, one for each thing that is not as chosen.
    [[nodiscard]] const QStringList& problems() const { return problems_; }

private:
    class PortForRun;

    void openPorts(MidiPortFactory& ports, const SoundSettings& choices);

    std::unique_ptr<MidiOutPort> port_;
    std::unique_ptr<PortForRun> portForRun_;
    std::unique_ptr<MidiInPort> input_;
    std::unique_ptr<MidiFanOut> fanOut_;
    QStringList problems_;
};
