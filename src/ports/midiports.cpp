#include "midiports.h"

#include "midiwire.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMetaObject>

#include <RtMidi.h>
#if defined(__UNIX_JACK__)
#include <jack/jack.h>
#endif

#include <algorithm>
#include <array>
#include <mutex>

namespace {

// Debug messages (what libjack and RtMidi say on the way) are off unless asked for.
Q_LOGGING_CATEGORY(lcPorts, "quorvel.ports", QtInfoMsg)

const std::string clientName = midisystems::clientName;

struct SystemName
{
    RtMidi::Api api;
    const char* key;
    const char* name;
    const char* nameInText;
};

constexpr std::array<SystemName, 3> systemNames{{
    {RtMidi::LINUX_ALSA, "alsa", "ALSA sequencer", "the ALSA sequencer"},
    {RtMidi::UNIX_JACK, "jack", "JACK", "JACK"},
    {RtMidi::WINDOWS_MM, "winmm", "Windows MIDI", "Windows MIDI"},
}};

const SystemName* systemFor(const QString& key)
{
    const auto found =
        std::find_if(systemNames.cbegin(), systemNames.cend(),
                     [&](const SystemName& s) { return key == QLatin1String(s.key); });
    return found != systemNames.cend() ? &*found : nullptr;
}

#if defined(__UNIX_JACK__)
// libjack writes to the terminal when it finds no server, which is an ordinary answer
// here; its words go to the log instead.
void quietenJack()
{
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char* text) { qCDebug(lcPorts) << "JACK:" << text; });
        jack_set_info_function([](const char* text) { qCDebug(lcPorts) << "JACK:" << text; });
    });
}

bool jackServerRuns()
{
    quietenJack();
    jack_status_t status{};
    jack_client_t* probe = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (probe == nullptr) {
        return false;
    }
    jack_client_close(probe);
    return true;
}
#else
bool jackServerRuns()
{
    return false;
}
#endif

// Why the system cannot be used now; empty when it can. RtMidi must not be asked to
// open a JACK port without a server: it does not fail, it crashes.
QString problemOf(RtMidi::Api api)
{
    if (api == RtMidi::LINUX_ALSA && !QFile::exists(QStringLiteral("/dev/snd/seq"))) {
        return QStringLiteral("the kernel's sequencer device /dev/snd/seq is missing");
    }
    if (api == RtMidi::UNIX_JACK && !jackServerRuns()) {
        return QStringLiteral("no JACK server is running");
    }
    return {};
}

QString userText(const std::string& text)
{
    return QString::fromStdString(text).trimmed();
}

// Collects what RtMidi reports while a port is being opened. With a callback set
// RtMidi reports there instead of throwing.
struct OpenErrors
{
    QString text;

    static void collect(RtMidiError::Type type, const std::string& text, void* self)
    {
        if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) {
            qCDebug(lcPorts) << userText(text);
            return;
        }
        auto* errors = static_cast<OpenErrors*>(self);
        if (errors->text.isEmpty()) {
            errors->text = userText(text);
        }
    }
};

// Once a port is open, RtMidi may report from its own thread: to the log only.
void logError(RtMidiError::Type type, const std::string& text, void*)
{
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) {
        qCDebug(lcPorts) << userText(text);
    } else {
        qCWarning(lcPorts) << userText(text);
    }
}

template <typename Port> QStringList portNames(Port& port)
{
    QStringList names;
    const unsigned int count = port.getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        names << QString::fromStdString(port.getPortName(i));
    }
    return names;
}

// Opens `port`: a port of the piano's own that others connect to, and connected to
// `other` as well unless that is empty. Empty on success, otherwise the reason.
template <typename Port> QString openPort(Port& port, const QString& other)
{
    OpenErrors errors;
    port.setErrorCallback(&OpenErrors::collect, &errors);
    if (other.isEmpty()) {
        port.openVirtualPort(clientName);
    } else {
        const int index = midisystems::findPort(portNames(port), other);
        if (index < 0) {
            errors.text = QStringLiteral("the port \"%1\" is not there").arg(other);
        } else {
            port.openPort(static_cast<unsigned int>(index), clientName);
        }
    }
    port.setErrorCallback(&logError, nullptr);
    return errors.text;
}

QString failure(const char* what, const QString& systemKey, const QString& reason)
{
    const SystemName* system = systemFor(systemKey);
    return QStringLiteral("The MIDI %1 could not be opened on %2: %3.")
        .arg(QLatin1String(what),
             system ? QLatin1String(system->nameInText) : QStringLiteral("\"%1\"").arg(systemKey),
             reason);
}

} // namespace

namespace midiports {

QList<MidiSystem> systems()
{
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    QList<MidiSystem> found;
    for (const SystemName& s : systemNames) {
        if (std::find(compiled.cbegin(), compiled.cend(), s.api) == compiled.cend()) {
            continue;
        }
        MidiSystem system{QLatin1String(s.key),
                          QLatin1String(s.name),
                          QLatin1String(s.nameInText),
                          problemOf(s.api),
                          {}};
        if (system.available()) {
            try {
                RtMidiIn lister(s.api, clientName);
                lister.setErrorCallback(&logError, nullptr);
                for (const QString& port : portNames(lister)) {
                    if (!midisystems::isPianoPort(port)) {
                        system.inputs << port;
                    }
                }
            } catch (const RtMidiError& e) {
                system.problem = userText(e.getMessage());
            }
        }
        found << system;
    }
    return found;
}

} // namespace midiports

MidiPortOut::MidiPortOut(QString systemKey, QString destination)
    : systemKey_(std::move(systemKey))
    , destination_(std::move(destination))
{}

MidiPortOut::~MidiPortOut() = default;

bool MidiPortOut::open(int /*deviceId*/)
{
    close();
    error_.clear();
    const SystemName* system = systemFor(systemKey_);
    const QString problem =
        system ? problemOf(system->api) : QStringLiteral("no such MIDI system is built in");
    if (!problem.isEmpty()) {
        error_ = failure("output", systemKey_, problem);
        return false;
    }
    try {
        auto port = std::make_unique<RtMidiOut>(system->api, clientName);
        const QString reason = openPort(*port, destination_);
        if (!reason.isEmpty()) {
            error_ = failure("output", systemKey_, reason);
            return false;
        }
        port_ = std::move(port);
        return true;
    } catch (const RtMidiError& e) {
        error_ = failure("output", systemKey_, userText(e.getMessage()));
        return false;
    }
}

void MidiPortOut::send(quint32 message)
{
    const QByteArray bytes = midiwire::bytesOf(message);
    if (!port_ || bytes.isEmpty()) {
        return;
    }
    try {
        port_->sendMessage(reinterpret_cast<const unsigned char*>(bytes.constData()),
                           static_cast<size_t>(bytes.size()));
    } catch (const RtMidiError& e) {
        qCWarning(lcPorts) << userText(e.getMessage());
    }
}

void MidiPortOut::close()
{
    port_.reset();
}

MidiPortIn::MidiPortIn(QObject* parent)
    : MidiInPort(parent)
{}

MidiPortIn::~MidiPortIn()
{
    close();
}

bool MidiPortIn::open(const QString& systemKey, const QString& source)
{
    close();
    error_.clear();
    const SystemName* system = systemFor(systemKey);
    const QString problem =
        system ? problemOf(system->api) : QStringLiteral("no such MIDI system is built in");
    if (!problem.isEmpty()) {
        error_ = failure("input", systemKey, problem);
        return false;
    }
    try {
        auto port = std::make_unique<RtMidiIn>(system->api, clientName);
        port->setCallback(&MidiPortIn::arrived, this);
        const QString reason = openPort(*port, source);
        if (!reason.isEmpty()) {
            error_ = failure("input", systemKey, reason);
            return false;
        }
        port_ = std::move(port);
        return true;
    } catch (const RtMidiError& e) {
        error_ = failure("input", systemKey, userText(e.getMessage()));
        return false;
    }
}

void MidiPortIn::close()
{
    // Destroying the RtMidi object stops its thread; messages it posted before then
    // carry the old generation and are dropped on arrival.
    port_.reset();
    ++generation_;
}

void MidiPortIn::arrived(double /*timeStamp*/, std::vector<unsigned char>* message, void* self)
{
    const auto value = midiwire::packed(QByteArray(reinterpret_cast<const char*>(message->data()),
                                                   static_cast<qsizetype>(message->size())));
    if (!value) {
        return;
    }
    auto* in = static_cast<MidiPortIn*>(self);
    const int generation = in->generation_;
    QMetaObject::invokeMethod(
        in,
        [in, generation, v = *value] {
            if (generation == in->generation_) {
                Q_EMIT in->messageReceived(v);
            }
        },
        Qt::QueuedConnection);
}
