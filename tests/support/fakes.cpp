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

QList<int> RecordingMidiOut::bytes(quint32 message)
{
    return {int(message & 0xFF), int((message >> 8) & 0xFF), int((message >> 16) & 0xFF)};
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
