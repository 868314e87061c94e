// The "Sound and MIDI" window on its own: what it shows of the choices it is given,
// what it reports at once, and what it hands back.
#include "fakes.h"
#include "frmsound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

Q_DECLARE_METATYPE(SoundSettings)
Q_DECLARE_METATYPE(MidiSystem)

namespace {

const QString fontA = QStringLiteral("/usr/share/sounds/sf2/A.sf2");
const QString fontB = QStringLiteral("/usr/share/soundfonts/B.sf3");

const MidiSystem alsa{"alsa",
                      "ALSA sequencer",
                      "the ALSA sequencer",
                      "",
                      {"Midi Through:Midi Through Port-0 14:0", "USB Keys:USB Keys MIDI 1 24:0"}};
const MidiSystem jack{"jack", "JACK", "JACK", "", {"Keys:out"}};
const MidiSystem noJack{"jack", "JACK", "JACK", "no JACK server is running", {}};

SoundSettings settings(const QString& font, SoundSettings::Output output, const QString& system,
                       const QString& input)
{
    SoundSettings s;
    s.soundFont = font;
    s.volume = 70;
    s.reverb = false;
    s.output = output;
    s.portSystem = system;
    s.inputPort = input;
    return s;
}

// A window with a synthesiser that takes every font except those in `refused`.
struct Opened
{
    QStringList loaded;
    QStringList saved; // the SoundFont of each save
    QString refusal;   // the reason given for every font
    QString fileAnswer;
    QString saveError;
    FakeDesktop desktop;
    QPointer<FrmSound> window;

    Opened(const SoundSettings& values, const QList<MidiSystem>& systems = {alsa, jack})
    {
        FrmSound::Hooks hooks;
        hooks.loadSoundFont = [this](const QString& path) {
            loaded << path;
            return refusal;
        };
        hooks.chooseFile = [this](QWidget*) {
            return fileAnswer;
        };
        hooks.save = [this](const SoundSettings& v, QString* error) {
            saved << v.soundFont;
            *error = saveError;
            return saveError.isEmpty();
        };
        window = new FrmSound(values, {fontA, fontB}, systems, QStringLiteral("status"), Qt::white,
                              desktop, hooks);
        window->show();
    }
    ~Opened() { delete window; }
    Q_DISABLE_COPY_MOVE(Opened)

    template <typename T> T* find(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
};

} // namespace

class TestFrmSound final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shown_data()
    {
        QTest::addColumn<SoundSettings>("values");
        QTest::addColumn<QList<MidiSystem>>("systems");
        QTest::addColumn<QString>("font");   // the list's entry
        QTest::addColumn<QString>("system"); // the list's entry
        QTest::addColumn<QString>("input");  // the list's entry
        QTest::addColumn<QString>("handedBack");

        using O = SoundSettings::Output;
        QTest::newRow("as stored") << settings(fontB, O::Both, "jack", "Keys:out")
                                   << QList<MidiSystem>{alsa, jack} << "B.sf3"
                                   << "JACK"
                                   << "Keys:out"
                                   << "Keys:out";
        QTest::newRow("the first system that runs: its inputs")
            << settings(fontA, O::Port, "", "") << QList<MidiSystem>{alsa, jack} << "A.sf2"
            << "The first available"
            << "None"
            << "";
        QTest::newRow("a keyboard plugged in again under another number")
            << settings(fontA, O::Port, "alsa", "USB Keys:USB Keys MIDI 1 20:0")
            << QList<MidiSystem>{alsa, jack} << "A.sf2"
            << "ALSA sequencer"
            << "USB Keys:USB Keys MIDI 1 24:0"
            << "USB Keys:USB Keys MIDI 1 24:0";
        QTest::newRow("a keyboard not plugged in stays chosen")
            << settings(fontA, O::Synthesiser, "alsa", "Piano:Piano 28:0")
            << QList<MidiSystem>{alsa, jack} << "A.sf2"
            << "ALSA sequencer"
            << "Piano:Piano 28:0 (not there now)"
            << "Piano:Piano 28:0";
        QTest::newRow("a system not running now stays chosen, without inputs")
            << settings(fontA, O::Port, "jack", "Keys:out") << QList<MidiSystem>{alsa, noJack}
            << "A.sf2"
            << "JACK (not available now)"
            << "Keys:out (not there now)"
            << "Keys:out";
        QTest::newRow("a system of another computer stays chosen")
            << settings(fontA, O::Port, "winmm", "") << QList<MidiSystem>{alsa} << "A.sf2"
            << "winmm (not built in)"
            << "None"
            << "";
        QTest::newRow("a SoundFont that is not installed")
            << settings("/home/u/Own.sf2", O::Synthesiser, "", "") << QList<MidiSystem>{}
            << "Own.sf2"
            << "The first available"
            << "None"
            << "";
    }
    void shown()
    {
        QFETCH(SoundSettings, values);
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, font);
        QFETCH(QString, system);
        QFETCH(QString, input);
        QFETCH(QString, handedBack);
        Opened w(values, systems);
        QCOMPARE(w.find<QComboBox>("cboSoundFont")->currentText(), font);
        QCOMPARE(w.find<QComboBox>("cboSystem")->currentText(), system);
        QCOMPARE(w.find<QComboBox>("cboInput")->currentText(), input);
        SoundSettings expected = values;
        expected.inputPort = handedBack;
        QCOMPARE(w.window->choices(), expected);
        QCOMPARE(w.find<QLabel>("lblSoundFont")->text(), "In use: " + values.soundFont);
        QVERIFY(w.loaded.isEmpty());
    }

    void inputsFollowTheSystem()
    {
        Opened w(settings(fontA, SoundSettings::Output::Port, "alsa", "Keys:out"));
        auto* inputs = w.find<QComboBox>("cboInput");
        QCOMPARE(inputs->count(), 4); // None, the two ALSA ports, the one chosen
        w.find<QComboBox>("cboSystem")->setCurrentIndex(2);
        QCOMPARE(inputs->count(), 2); // None and JACK's port, now there
        QCOMPARE(inputs->currentText(), QStringLiteral("Keys:out"));
    }

    void soundFont_data()
    {
        QTest::addColumn<QString>("how");     // "list": the next entry; "file": Other file...
        QTest::addColumn<QString>("file");    // the answer of the file dialog
        QTest::addColumn<QString>("refusal"); // of the synthesiser; empty: it plays
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("inUse"); // the list's entry afterwards and what OK saves

        QTest::newRow("an installed one that plays") << "list"
                                                     << ""
                                                     << ""
                                                     << "In use: " + fontB << fontB;
        QTest::newRow("an installed one refused: the old one stays")
            << "list"
            << ""
            << "not a SoundFont"
            << "Refused: B.sf3: not a SoundFont\nIn use: " + fontA << fontA;
        QTest::newRow("another file that plays") << "file"
                                                 << "/home/u/C.sf2"
                                                 << ""
                                                 << "In use: /home/u/C.sf2"
                                                 << "/home/u/C.sf2";
        QTest::newRow("another file, cut short")
            << "file"
            << "/home/u/cut.sf2"
            << "the file ends too soon"
            << "Refused: cut.sf2: the file ends too soon\nIn use: " + fontA << fontA;
        QTest::newRow("the file dialog cancelled") << "file"
                                                   << ""
                                                   << ""
                                                   << "In use: " + fontA << fontA;
    }
    void soundFont()
    {
        QFETCH(QString, how);
        QFETCH(QString, file);
        QFETCH(QString, refusal);
        QFETCH(QString, label);
        QFETCH(QString, inUse);
        Opened w(settings(fontA, SoundSettings::Output::Synthesiser, "", ""));
        w.refusal = refusal;
        w.fileAnswer = file;
        auto* fonts = w.find<QComboBox>("cboSoundFont");
        if (how == u"list") {
            QTest::keyClick(fonts, Qt::Key_Down);
        } else {
            QTest::mouseClick(w.find<QPushButton>("cmdBrowse"), Qt::LeftButton);
        }
        const QString asked = how == u"list" ? fontB : file;
        QCOMPARE(w.loaded, asked.isEmpty() ? QStringList{} : QStringList{asked});
        QCOMPARE(w.find<QLabel>("lblSoundFont")->text(), label);
        QCOMPARE(fonts->currentData().toString(), inUse);
        QTest::mouseClick(w.find<QPushButton>("cmdOK"), Qt::LeftButton);
        QCOMPARE(w.saved, QStringList{inUse});
        QTRY_VERIFY(!w.window);
    }

    // Volume, reverb and chorus are heard at once; leaving without OK takes them back.
    void leavingWithoutOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close box") << "close";
    }
    void leavingWithoutOk()
    {
        QFETCH(QString, how);
        Opened w(settings(fontA, SoundSettings::Output::Synthesiser, "", ""));
        QSignalSpy volume(w.window.data(), &FrmSound::volumeChanged);
        QSignalSpy reverb(w.window.data(), &FrmSound::reverbChanged);
        QSignalSpy chorus(w.window.data(), &FrmSound::chorusChanged);
        w.find<QSlider>("sldVolume")->setValue(30);
        QTest::mouseClick(w.find<QCheckBox>("chkReverb"), Qt::LeftButton);
        QTest::keyClick(w.find<QComboBox>("cboSoundFont"), Qt::Key_Down);
        QCOMPARE(w.find<QLabel>("lblVolume")->text(), QStringLiteral("30"));
        QCOMPARE(volume.size(), 1);
        QCOMPARE(reverb.size(), 1);
        QCOMPARE(reverb.at(0).at(0).toBool(), true);

        if (how == u"Cancel") {
            QTest::mouseClick(w.find<QPushButton>("cmdCancel"), Qt::LeftButton);
        } else if (how == u"Escape") {
            QTest::keyClick(w.window.data(), Qt::Key_Escape);
        } else {
            w.window->close();
        }
        QCOMPARE(volume.size(), 2);
        QCOMPARE(volume.at(1).at(0).toInt(), 70);
        QCOMPARE(reverb.size(), 2);
        QCOMPARE(reverb.at(1).at(0).toBool(), false);
        QCOMPARE(chorus.size(), 0); // not touched, not sent
        QCOMPARE(w.loaded, (QStringList{fontB, fontA}));
        QVERIFY(w.saved.isEmpty());
        QTRY_VERIFY(!w.window);
    }

    void failedSaveKeepsTheWindow()
    {
        Opened w(settings(fontA, SoundSettings::Output::Synthesiser, "", ""));
        w.saveError = QStringLiteral("The file /x/quorvel.conf could not be written.");
        QTest::mouseClick(w.find<QPushButton>("cmdOK"), Qt::LeftButton);
        QCOMPARE(w.desktop.messages,
                 QStringList{"The sound settings were not saved.\nThe file /x/quorvel.conf could "
                             "not be written."});
        QVERIFY(w.window && w.window->isVisible());
    }
};

QTEST_MAIN(TestFrmSound)
#include "tst_frmsound.moc"
