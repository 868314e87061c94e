#include "converterwindow.h"
#include "savepathasker.h"
#include "smfreader.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers the save question from a queue; an empty queue answers as Cancel does.
class FakeSaveAsker final : public SavePathAsker
{
public:
    QStringList answers;
    QStringList suggestions;

    QString askSavePath(QWidget*, const QString& suggested) override
    {
        suggestions << suggested;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// A window on a data folder of its own and the build's program folder, which holds
// the instrument-name file.
struct Fixture
{
    QTemporaryDir data;
    QTemporaryDir elsewhere;
    FakeSaveAsker asker;
    std::unique_ptr<ConverterWindow> window;

    void write(const char* name, const QByteArray& bytes) const
    {
        QFile file(data.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    // Gaps 0, 20, 40 with delay factor 5 and time delay 100: onsets 0, 200, 500 ms.
    void writeThreeKeys() const
    {
        write("piano.ini", " 0 \r\n 20 \r\n 40 \r\n");
        write("pianon.ini", " 0 \r\n 1 \r\n 2 \r\n");
        write("instruments.ini", "0\r\n60\r\n5\r\n0\r\n300\r\n100\r\n");
    }

    void open()
    {
        window = std::make_unique<ConverterWindow>(
            data.path(), qEnvironmentVariable("QUORVEL_PROGRAM_DIR"), asker);
        window->show();
    }

    template <typename T> T* find(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    void clickSave() const { QTest::mouseClick(find<QPushButton>("cmdSave"), Qt::LeftButton); }
};

} // namespace

class TestConverterWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsWhatItFound();
    void saveOutcome_data();
    void saveOutcome();
};

// A missing recording is shown, and nothing can be saved, until one is read.
void TestConverterWindow::showsWhatItFound()
{
    Fixture f;
    f.open();
    const QString shown = f.find<QLabel>("lblSummary")->text();
    QVERIFY2(shown.startsWith(QStringLiteral("There is no recording in %1.")
                                  .arg(QDir::toNativeSeparators(f.data.path()))),
             qPrintable(shown));
    QVERIFY(!f.find<QPushButton>("cmdSave")->isEnabled());
    QVERIFY(!f.find<QComboBox>("cboInstrument")->isEnabled());

    f.writeThreeKeys();
    QTest::mouseClick(f.find<QPushButton>("cmdRead"), Qt::LeftButton);
    QCOMPARE(f.find<QLabel>("lblSummary")->text(),
             "Notes: 3\nLength: 0 min 02 s\n"
             "Settings: channel 0, base note 60, delay factor 5, time delay 100");
    QVERIFY(f.find<QPushButton>("cmdSave")->isEnabled());
    const auto* instruments = f.find<QComboBox>("cboInstrument");
    QCOMPARE(instruments->count(), 128);
    QCOMPARE(instruments->itemText(0), "0 Acoustic Grand Piano");
    QCOMPARE(instruments->itemText(127), "127 Gunshot");
}

void TestConverterWindow::saveOutcome_data()
{
    QTest::addColumn<QString>("answer"); // inside a second temporary folder
    QTest::addColumn<QString>("status"); // %1: the answer's full path
    QTest::newRow("saved where the user chose") << "tune.mid"
                                                << "Saved to %1.";
    QTest::newRow("cancelled") << ""
                               << "Not saved.";
    QTest::newRow("a folder that does not exist") << "missing/tune.mid"
                                                  << "Cannot write %1: ";
}

void TestConverterWindow::saveOutcome()
{
    QFETCH(QString, answer);
    QFETCH(QString, status);
    Fixture f;
    f.writeThreeKeys();
    const QString path = answer.isEmpty() ? QString() : f.elsewhere.filePath(answer);
    f.asker.answers << path;
    f.open();
    f.find<QComboBox>("cboInstrument")->setCurrentIndex(40);
    f.clickSave();

    QCOMPARE(f.asker.suggestions, QStringList{f.data.filePath("piano.mid")});
    const QString shown = f.find<QLabel>("lblStatus")->text();
    QVERIFY2(shown.startsWith(status.contains("%1") ? status.arg(QDir::toNativeSeparators(path))
                                                    : status),
             qPrintable(shown));
    const bool saved = answer == "tune.mid";
    QCOMPARE(QFile::exists(path), saved);
    QVERIFY(!QFile::exists(f.data.filePath("piano.mid")));
    if (!saved) {
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto smf = readSmf(file.readAll());
    QVERIFY(smf);
    QCOMPARE(smf->events[2].second.toHex(), "c028"); // the violin chosen, channel 0
    QCOMPARE(notesOf(*smf), (QStringList{describeNote(60, 0, 0, 200), describeNote(61, 0, 200, 500),
                                         describeNote(62, 0, 500, 1500)}));
    f.clickSave(); // the next save suggests the place of the last one
    QCOMPARE(f.asker.suggestions.constLast(), path);
}

QTEST_MAIN(TestConverterWindow)
#include "tst_converterwindow.moc"
