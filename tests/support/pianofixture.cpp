#include "pianofixture.h"

#include "fonts.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

namespace {

QString shippedFile(const QString& name)
{
    return qEnvironmentVariable("QUORVEL_SOURCE_DIR") + QStringLiteral("/data/") + name;
}

} // namespace

PianoFixture::PianoFixture(ClockKind clock)
    : clockKind_(clock)
{
    installFontSubstitutes();
    dataFolder_ = root_.filePath(QStringLiteral("midi"));
    programFolder_ = root_.filePath(QStringLiteral("program"));
    QDir().mkpath(programFolder_);
    QFile::copy(shippedFile(QStringLiteral("pellory.dll")),
                programPath(QStringLiteral("pellory.dll")));
}

PianoFixture::~PianoFixture()
{
    form.reset();
}

Form1& PianoFixture::start()
{
    Clock* clock = clockKind_ == ClockKind::Manual ? static_cast<Clock*>(&manualClock)
                                                   : static_cast<Clock*>(&steadyClock);
    form = std::make_unique<Form1>(Services{&midi, &desktop, clock, dataFolder_, programFolder_,
                                            serverPort, sound, synth, soundStore, ports});
    form->start();
    if (!QTest::qWaitForWindowActive(form.get())) {
        qWarning("The main window did not become active");
    }
    return *form;
}

QString PianoFixture::dataPath(const QString& name) const
{
    return QDir(dataFolder_).filePath(name);
}

QString PianoFixture::programPath(const QString& name) const
{
    return QDir(programFolder_).filePath(name);
}

void PianoFixture::writeData(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(dataFolder_);
    QFile file(dataPath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        qFatal("Cannot write test file %s", qPrintable(dataPath(name)));
    }
}

void PianoFixture::writeProgram(const QString& name, const QByteArray& bytes, bool executable) const
{
    QFile file(programPath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qFatal("Cannot write test file %s", qPrintable(programPath(name)));
    }
    file.write(bytes);
    file.close();
    if (executable) {
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }
}

QByteArray PianoFixture::readData(const QString& name) const
{
    QFile file(dataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void sendKey(Form1& w, QEvent::Type type, Qt::Key key, const QString& text,
             Qt::KeyboardModifiers mods, bool autoRepeat)
{
    QKeyEvent event(type, key, mods, text, autoRepeat);
    QCoreApplication::sendEvent(w.windowHandle(), &event);
}

void tap(Form1& w, Qt::Key key, bool autoRepeat)
{
    sendKey(w, QEvent::KeyPress, key, {}, {}, autoRepeat);
    sendKey(w, QEvent::KeyRelease, key, {}, {}, autoRepeat);
}

QList<int> noteOns(const RecordingMidiOut& midi, QList<qint64>* atMs)
{
    QList<int> notes;
    for (const auto& m : midi.messages) {
        if ((m.value & 0xF0) == 0x90) {
            notes.append(int((m.value >> 8) & 0xFF));
            if (atMs) {
                atMs->append(m.atNs / 1'000'000);
            }
        }
    }
    return notes;
}

QByteArray recordingLines(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values) {
        bytes += (v < 0 ? "" : " ") + QByteArray::number(v) + " \r\n";
    }
    return bytes;
}
