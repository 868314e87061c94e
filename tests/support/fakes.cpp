#include "fakes.h"

bool RecordingMidiOut::open(int deviceId)
{
    ++opens;
    openedIds.append(deviceId);
    if (!clock_.isValid()) {
        clock_.start();
    }
    return openSucceeds;
}

void RecordingMidiOut::send(quint32 message)
{
    if (!clock_.isValid()) {
        clock_.start();
    }
    messages.append({message, clock_.nsecsElapsed()});
}

void RecordingMidiOut::close()
{
    ++closes;
}

QList<quint32> RecordingMidiOut::values() const
{
    QList<quint32> result;
    for (const Message& m : messages) {
        result.append(m.value);
    }
    return result;
}

QString FakeDesktop::askText(QWidget*, const QString& prompt)
{
    prompts.append(prompt);
    if (whileAsking) {
        whileAsking();
    }
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

void FakeDesktop::showMessage(QWidget*, const QString& text)
{
    messages.append(text);
}

bool FakeDesktop::startProgram(const QString& path)
{
    startedPrograms.append(path);
    return startSucceeds;
}

bool FakeDesktop::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return true;
}

namespace {

class FakeOutPort final : public MidiOutPort
{
public:
    FakeOutPort(FakeMidiPorts& ports, QString systemKey)
        : ports_(ports)
        , systemKey_(std::move(systemKey))
    {}
    bool open(int deviceId) override
    {
        ports_.opened << QStringLiteral("out ") + systemKey_;
        return ports_.port.open(deviceId) && ports_.outputRefusal.isEmpty();
    }
    void send(quint32 message) override { ports_.port.send(message); }
    void close() override { ports_.port.close(); }
    [[nodiscard]] QString errorString() const override { return ports_.outputRefusal; }

private:
    FakeMidiPorts& ports_;
    QString systemKey_;
};

} // namespace

std::unique_ptr<MidiOutPort> FakeMidiPorts::makeOutput(const QString& systemKey)
{
    return std::make_unique<FakeOutPort>(*this, systemKey);
}

std::unique_ptr<MidiInPort> FakeMidiPorts::makeInput()
{
    auto in = std::make_unique<InPort>(*this);
    input = in.get();
    return in;
}

bool FakeMidiPorts::InPort::open(const QString& systemKey, const QString& source)
{
    ports_.opened << QStringLiteral("in %1 %2").arg(systemKey, source);
    open_ = ports_.inputRefusal.isEmpty();
    return open_;
}

void FakeMidiPorts::InPort::receive(quint32 message)
{
    if (open_) {
        Q_EMIT messageReceived(message);
    }
}
