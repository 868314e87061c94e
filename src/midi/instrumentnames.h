#pragma once

#include <QString>
#include <QStringList>

// The instrument names of the name file beside the program: an INI file whose
// section "General MIDI" holds the lines number=name for the instruments 0 to 127.
class InstrumentNames
{
public:
    InstrumentNames() = default;

    // Reads the names of section "General MIDI" (section and keys matched without
    // regard to case and to blanks around them; the first entry of a key counts). A
    // missing or unreadable file gives no names.
    [[nodiscard]] static InstrumentNames load(const QString& path);

    // The name of instrument `number`, cut to 254 characters; empty when the file,
    // section or key is missing.
    [[nodiscard]] QString name(int number) const;

    static constexpr int count = 128;
    static constexpr qsizetype maxNameLength = 254;

private:
    QStringList names_ = QStringList(count);
};
