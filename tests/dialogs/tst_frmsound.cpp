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

namespace {

const QString fontA = QStringLiteral("/sf2/A.sf2");
const QString fontB = QStringLiteral("/sf2/B.sf3");

SoundSettings settings(const QString& font, const QString& system, const QString& input)
{
    return {font, 70, false, true, SoundSettings::Output::Both, system, input};
}

// The window, with a synthesiser that gives `refusal` for every SoundFont.
struct Opened
{
    QStringList loaded;
    QStringList saved; // the SoundFont of each save
    QString refusal;
    QString fileAnswer;
    QString saveError;
    FakeDesktop desktop;
    QPointer<FrmSound> window;

    explicit Opened(const SoundSettings& values)
    {
        const QList<MidiSystem> systems{
            {"alsa", "ALSA sequencer", "", "", {"Through:Through 14:0", "Keys:Keys 24:0"}},
            {"jack", "JACK", "", "no JACK server is running", {}}};
        const auto load = [this](const QString& path) {
            loaded << path;
            return refusal;
        };
        const auto save = [this](const SoundSettings& v, QString* error) {
            saved << v.soundFont;
            *error = saveError;
            return saveError.isEmpty();
        };
        window = new FrmSound(values, {fontA, fontB}, systems, {}, Qt::white, desktop,
                              {load, [this](QWidget*) { return fileAnswer; }, save});
        window->show();
    }
    ~Opened() { delete window; }
    Q_DISABLE_COPY_MOVE(Opened)

    template <typename T = QComboBox> T* find(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* button) const
    {
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
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
        QTest::addColumn<QString>("shown"); // SoundFont, system, input
        QTest::addColumn<QString>("input"); // handed back
        auto row = [](const char* name, SoundSettings values, const char* shown,
                      const char* input) {
            QTest::newRow(name) << values << QString(shown) << QString(input);
        };
        row("as stored", settings(fontB, "alsa", "Keys:Keys 24:0"),
            "B.sf3, ALSA sequencer, Keys:Keys 24:0", "Keys:Keys 24:0");
        row("a keyboard plugged in again under another number",
            settings(fontA, "", "Keys:Keys 20:0"), "A.sf2, The first available, Keys:Keys 24:0",
            "Keys:Keys 24:0");
        row("a keyboard not plugged in stays chosen", settings(fontA, "alsa", "Piano:Piano 28:0"),
            "A.sf2, ALSA sequencer, Piano:Piano 28:0 (not there now)", "Piano:Piano 28:0");
        row("a system not running stays chosen, without inputs", settings(fontA, "jack", ""),
            "A.sf2, JACK (not available now), None", "");
    }
    void shown()
    {
        QFETCH(SoundSettings, values);
        QFETCH(QString, input);
        Opened w(values);
        QTEST(QStringList({w.find("cboSoundFont")->currentText(),
                           w.find("cboSystem")->currentText(), w.find("cboInput")->currentText()})
                  .join(QStringLiteral(", ")),
              "shown");
        values.inputPort = input;
        QCOMPARE(w.window->choices(), values);
        QVERIFY(w.loaded.isEmpty());
    }

    void inputsFollowTheSystem()
    {
        Opened w(settings(fontA, "alsa", ""));
        QCOMPARE(w.find("cboInput")->count(), 3); // None and the two ALSA ports
        w.find("cboInput")->setCurrentIndex(2);
        w.find("cboSystem")->setCurrentIndex(0); // the first available: ALSA again
        QCOMPARE(w.find("cboInput")->currentText(), "Keys:Keys 24:0");
        w.find("cboSystem")->setCurrentIndex(2); // JACK does not run
        QCOMPARE(w.find("cboInput")->currentText(), "Keys:Keys 24:0 (not there now)");
    }

    void soundFont_data()
    {
        QTest::addColumn<QString>("file");    // the file dialog's answer; none: the list's next
        QTest::addColumn<QString>("refusal"); // the synthesiser's; empty: it plays
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("inUse"); // the list's entry afterwards and what OK saves
        auto row = [](const char* name, const char* file, const char* refusal, const char* loaded,
                      const char* label, const QString& inUse) {
            QTest::newRow(name) << QString(file) << QString(refusal) << QString(loaded)
                                << QString(label) << inUse;
        };
        row("an installed one that plays", nullptr, "", "/sf2/B.sf3", "In use: /sf2/B.sf3", fontB);
        row("another file that plays", "/u/C.sf2", "", "/u/C.sf2", "In use: /u/C.sf2", "/u/C.sf2");
        row("another file, cut short: the old one stays", "/u/cut.sf2", "it ends too soon",
            "/u/cut.sf2", "Refused: cut.sf2: it ends too soon\nIn use: /sf2/A.sf2", fontA);
        row("the one in use is not loaded again", "/sf2/A.sf2", "", "", "In use: /sf2/A.sf2",
            fontA);
        row("the file dialog cancelled", "", "", "", "In use: /sf2/A.sf2", fontA);
    }
    void soundFont()
    {
        QFETCH(QString, file);
        QFETCH(QString, inUse);
        Opened w(settings(fontA, "", ""));
        QFETCH(QString, refusal);
        w.refusal = refusal;
        w.fileAnswer = file;
        if (file.isNull()) {
            QTest::keyClick(w.find("cboSoundFont"), Qt::Key_Down);
        } else {
            w.click("cmdBrowse");
        }
        QTEST(w.loaded.join(u' '), "loaded");
        QTEST(w.find<QLabel>("lblSoundFont")->text(), "label");
        QCOMPARE(w.find("cboSoundFont")->currentData().toString(), inUse);
        w.click("cmdOK");
        QCOMPARE(w.saved, QStringList{inUse});
        QTRY_VERIFY(!w.window);
    }

    // Volume, reverb and chorus are heard at once; Cancel takes them back.
    void cancel()
    {
        Opened w(settings(fontA, "", ""));
        QSignalSpy volume(w.window.data(), &FrmSound::volumeChanged);
        QSignalSpy reverb(w.window.data(), &FrmSound::reverbChanged);
        QSignalSpy chorus(w.window.data(), &FrmSound::chorusChanged);
        w.find<QSlider>("sldVolume")->setValue(30);
        QTest::mouseClick(w.find<QCheckBox>("chkReverb"), Qt::LeftButton);
        QTest::keyClick(w.find("cboSoundFont"), Qt::Key_Down);
        QCOMPARE(w.find<QLabel>("lblVolume")->text(), QStringLiteral("30"));
        w.click("cmdCancel");
        QCOMPARE(volume, (QList<QVariantList>{{30}, {70}}));
        QCOMPARE(reverb, (QList<QVariantList>{{true}, {false}}));
        QCOMPARE(chorus.size(), 0); // not touched, not sent
        QCOMPARE(w.loaded, (QStringList{fontB, fontA}));
        QVERIFY(w.saved.isEmpty());
        QTRY_VERIFY(!w.window);
    }

    void failedSaveKeepsTheWindow()
    {
        Opened w(settings(fontA, "", ""));
        w.saveError = QStringLiteral("The file /x/quorvel.conf could not be written.");
        w.click("cmdOK");
        QCOMPARE(w.desktop.messages,
                 QStringList{"The sound settings were not saved.\n" + w.saveError});
        QVERIFY(w.window && w.window->isVisible());
    }
};

QTEST_MAIN(TestFrmSound)
#include "tst_frmsound.moc"
