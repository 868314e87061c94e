#pragma once

#include <QString>

// What can be told of a SoundFont file before the synthesiser reads it, so that a
// refusal names its cause in words the player knows.
namespace soundfontfile {

// Empty when `path` looks like a whole SoundFont (.sf2 or .sf3: a RIFF file of the form
// "sfbk", at least as long as its header says). Otherwise why it cannot be loaded,
// as a sentence ending without a full stop: "there is no such file", "it is a
// folder", "it cannot be read", "it is not a SoundFont", "it is cut short: ...".
[[nodiscard]] QString problemWith(const QString& path);

} // namespace soundfontfile
