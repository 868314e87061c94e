#pragma once

#include "wiremessages.h"

#include <QString>

class Clock;
class Desktop;
class MidiOut;
class MidiPortFactory;
class SoundControl;
class SoundSettingsStore;
class SoundStatus;

// What the main window needs of the world. main() passes the real services;
// tests pass fakes and temporary folders.
struct Services
{
    // The embedded synthesiser as a MIDI output (the MIDI mapper of the piano).
    MidiOut* midi = nullptr;
    Desktop* desktop = nullptr;
    Clock* clock = nullptr;
    QString dataFolder;    // the folder of settings, colours, recordings and the guide page
    QString programFolder; // the folder of the program and the files shipped beside it
    quint16 serverPort = wire::serverPort; // the relay server's port
    // What the MIDI output tells of the sound it makes; none in most tests.
    SoundStatus* sound = nullptr;
    // The synthesiser's SoundFont, volume and effects; none: nothing to change.
    SoundControl* synth = nullptr;
    // Where the sound and MIDI choices are kept; none: the defaults, nothing kept.
    SoundSettingsStore* soundStore = nullptr;
    // The MIDI systems and the piano's ports on them; none: the program has no ports.
    MidiPortFactory* ports = nullptr;
};
