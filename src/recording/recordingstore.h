#pragma once

#include <QString>

// Recordings stored by name: "<name>.sav" holds a copy of the gap file and
// "<name>.sav2" a copy of the key file, side by side in the data folder.
namespace recordingstore {

// True for a name that makes one plain file name in the data folder: not empty, no
// path separator, no wildcard, none of the characters file names cannot hold, no
// control characters, not starting with a dot (that would hide the files), not
// ending with a blank or a dot, and short enough for the longer of the two names.
[[nodiscard]] bool isValidName(const QString& name);

struct Pair
{
    QString gapFile;
    QString keyFile;
};

// Copies the two files of `from` over the two files of `to`. Both copies are written
// in full beside their destinations first and only then renamed into place, the old
// gap file kept aside until the key file is in place too. Whatever fails (a full disk,
// a folder that cannot be written, a missing source, a destination that cannot be
// replaced) leaves the destinations as they were. False with the reason in `error`.
[[nodiscard]] bool copyPair(const Pair& from, const Pair& to, QString* error);

} // namespace recordingstore
