#include "midisystems.h"

#include <QRegularExpression>

#include <algorithm>

namespace midisystems {
namespace {

QString withoutAlsaNumbers(const QString& port)
{
    static const QRegularExpression numbers(QStringLiteral(" \\d+:\\d+$"));
    return QString(port).remove(numbers);
}

// "A", "A and B", "A, B and C"; or with "nor" for a negative list.
QString joined(const QStringList& names, const char* last)
{
    if (names.size() < 2) {
        return names.join(QString());
    }
    return QStringLiteral("%1 %2 %3")
        .arg(names.mid(0, names.size() - 1).join(QStringLiteral(", ")), QLatin1String(last),
             names.constLast());
}

} // namespace

QString statusText(const QList<MidiSystem>& systems)
{
    QStringList running;
    QStringList missing;
    for (const MidiSystem& s : systems) {
        (s.available() ? running : missing) << s.nameInText;
    }
    if (running.isEmpty()) {
        QString none = QStringLiteral("no MIDI system is built in");
        if (missing.size() == 1) {
            none = QStringLiteral("%1 is not available").arg(missing.constFirst());
        } else if (missing.size() > 1) {
            none = QStringLiteral("neither %1 is available").arg(joined(missing, "nor"));
        }
        return QStringLiteral("No MIDI system: %1; the embedded synthesiser plays on.").arg(none);
    }
    QString text = QStringLiteral("MIDI ports through %1.").arg(joined(running, "or"));
    for (const MidiSystem& s : systems) {
        if (!s.available()) {
            QString name = s.nameInText;
            name[0] = name.at(0).toUpper();
            text += QStringLiteral(" %1 is not available: %2.").arg(name, s.problem);
        }
    }
    return text;
}

const MidiSystem* choose(const QList<MidiSystem>& systems, const QString& preferred)
{
    const auto usable = [](const MidiSystem& s) {
        return s.available();
    };
    const auto chosen = std::find_if(systems.cbegin(), systems.cend(), [&](const MidiSystem& s) {
        return s.key == preferred && s.available();
    });
    if (chosen != systems.cend()) {
        return &*chosen;
    }
    const auto first = std::find_if(systems.cbegin(), systems.cend(), usable);
    return first != systems.cend() ? &*first : nullptr;
}

int findPort(const QStringList& ports, const QString& wanted)
{
    if (wanted.isEmpty()) {
        return -1;
    }
    const int exact = static_cast<int>(ports.indexOf(wanted));
    if (exact >= 0) {
        return exact;
    }
    const QString bare = withoutAlsaNumbers(wanted);
    for (qsizetype i = 0; i < ports.size(); ++i) {
        if (withoutAlsaNumbers(ports.at(i)) == bare) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool isPianoPort(const QString& port)
{
    // JACK names a second client of the same name "Quorvel Piano-01".
    static const QRegularExpression piano(QStringLiteral("^Quorvel Piano(-\\d+)?:"));
    return piano.match(port).hasMatch();
}

} // namespace midisystems
