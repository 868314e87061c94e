#include "midiconversion.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstdlib>

class TestMidiPlayback : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRealPlayerRendersTheTune();
};

// fluidsynth reads the file as any sequencer would and renders it to a 16-bit WAV
// file that is not silent and lasts at least as long as the tune.
void TestMidiPlayback::aRealPlayerRendersTheTune()
{
    const QString fluidsynth = QStandardPaths::findExecutable(QStringLiteral("fluidsynth"));
    const QString soundFont = QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
    if (fluidsynth.isEmpty() || !QFile::exists(soundFont)) {
        QSKIP("Needs the fluidsynth program and a General MIDI SoundFont.");
    }
    ReplaySettings settings;
    settings.baseNote = 60;
    settings.delayFactor = 5;
    settings.timeDelay = 100;
    const auto conversion = MidiConversion::fromLines(
        {" 0 ", " 20 ", " 20 ", " 20 ", " 40 "}, {" 0 ", " 2 ", " 4 ", " 5 ", " 7 "}, settings);
    QTemporaryDir dir;
    const QString midi = dir.filePath(QStringLiteral("tune.mid"));
    const QString wav = dir.filePath(QStringLiteral("tune.wav"));
    QFile file(midi);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(conversion.midiFile(0).value()) > 0);
    file.close();

    QProcess player;
    player.start(fluidsynth, {"-ni", "-F", wav, "-r", "44100", soundFont, midi});
    QVERIFY(player.waitForFinished(60000));
    QCOMPARE(player.exitCode(), 0);

    QFile rendered(wav);
    QVERIFY(rendered.open(QIODevice::ReadOnly));
    const QByteArray bytes = rendered.readAll();
    const qsizetype fmt = bytes.indexOf("fmt ");
    const qsizetype data = bytes.indexOf("data");
    QVERIFY(bytes.startsWith("RIFF") && fmt > 0 && data > fmt);
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + fmt + 8 + 14), 16); // bits
    const int channels = qFromLittleEndian<quint16>(bytes.constData() + fmt + 8 + 2);
    const int rate = qFromLittleEndian<qint32>(bytes.constData() + fmt + 8 + 4);
    const qsizetype samples = (bytes.size() - data - 8) / 2;
    QVERIFY(samples / channels * 1000 / rate >= conversion.score().lengthMs);
    int peak = 0;
    for (qsizetype i = 0; i < samples; ++i) {
        const auto sample = qFromLittleEndian<qint16>(bytes.constData() + data + 8 + 2 * i);
        peak = std::max(peak, std::abs(int{sample}));
    }
    QVERIFY2(peak > 1000, qPrintable(QStringLiteral("peak %1").arg(peak)));
}

QTEST_GUILESS_MAIN(TestMidiPlayback)
#include "tst_midiplayback.moc"
