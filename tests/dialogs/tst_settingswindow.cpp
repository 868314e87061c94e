// The settings window on a real main window: what it loads, what it writes, and when
// it refuses.
#include "form2.h"
#include "pianofixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList boxNames{"cxnl", "octx", "delx", "minx", "maxx", "defx"};
const QByteArray shipped = PianoFixture::settings({"0", "60", "5", "0", "300", "112"});

// Starts the main window on `file` (none when empty) and opens the settings from its menu.
QPointer<Form2> openSettings(PianoFixture& f, const QByteArray& file)
{
    if (!file.isEmpty()) {
        f.writeData("instruments.ini", file);
    }
    f.start();
    f.find<QAction>("mnuSet")->trigger();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Form2*>(w); form && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

QLineEdit* box(Form2* form, int index)
{
    return form->findChild<QLineEdit*>(boxNames[index]);
}

QPushButton* ok(Form2* form)
{
    return form->findChild<QPushButton*>("cmdOK");
}

} // namespace

class TestSettingsWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            delete qobject_cast<Form2*>(w);
        }
    }

    void okWritesWhatTheBoxesShow_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("short file: the values in use for the rest")
            << PianoFixture::settings({"3", " 62 "}) << QStringList{"3", "62", "0", "0", "0", "0"};
        QTest::newRow("no file: the values in use, and OK creates it")
            << QByteArray() << QStringList{"0", "59", "0", "0", "0", "0"};
    }
    void okWritesWhatTheBoxesShow()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        PianoFixture f;
        QPointer<Form2> form = openSettings(f, file);
        QVERIFY(form);
        for (int i = 0; i < boxNames.size(); ++i) {
            QCOMPARE(box(form, i)->text(), shown[i]);
        }
        QTest::mouseClick(ok(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"), (shown.join("\r\n") + "\r\n").toLatin1());
    }

    void retryUntilEveryBoxIsANumber()
    {
        PianoFixture f;
        QPointer<Form2> form = openSettings(f, shipped);
        box(form, 1)->setText("abc");
        box(form, 0)->setText(" 7");
        box(form, 3)->setText("-5");
        QTest::mouseClick(ok(form), Qt::LeftButton);
        QCOMPARE(ok(form)->text(), QStringLiteral("Retry"));
        QCOMPARE(f.readData("instruments.ini"), shipped);

        box(form, 1)->setText("6.5");
        QTest::mouseClick(ok(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"),
                 PianoFixture::settings({"7", "6.5", "5", "-5", "300", "112"}));
    }

    void keysPressOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("factor");
        QTest::newRow("Escape saves") << int(Qt::Key_Escape) << "3";
        QTest::newRow("Enter saves") << int(Qt::Key_Return) << "3";
        QTest::newRow("Escape with a bad box does not cancel") << int(Qt::Key_Escape) << "x";
    }
    void keysPressOk()
    {
        QFETCH(int, key);
        QFETCH(QString, factor);
        PianoFixture f;
        QPointer<Form2> form = openSettings(f, shipped);
        box(form, 2)->setText(factor);
        QTest::keyClick(box(form, 4), Qt::Key(key));
        if (factor == u"x") {
            QVERIFY(form && form->isVisible());
            QCOMPARE(ok(form)->text(), QStringLiteral("Retry"));
            return;
        }
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"),
                 PianoFixture::settings({"0", "60", "3", "0", "300", "112"}));
    }

    void failedSaveSaysWhyAndKeepsTheWindow()
    {
        PianoFixture f;
        // A folder in the settings file's place makes the save fail, even for root.
        f.writeData("keep.txt", "kept");
        QVERIFY(QDir(f.dataPath(QString())).mkdir("instruments.ini"));
        QVERIFY(QFile::rename(f.dataPath("keep.txt"), f.dataPath("instruments.ini/keep.txt")));
        QPointer<Form2> form = openSettings(f, {});
        QTest::mouseClick(ok(form), Qt::LeftButton);
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY2(f.desktop.messages[0].contains("instruments.ini"),
                 qPrintable(f.desktop.messages[0]));
        QVERIFY(form && form->isVisible());
        QCOMPARE(f.readData("instruments.ini/keep.txt"), QByteArray("kept"));
        QCOMPARE(QDir(f.dataPath(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{});

        // Once the way is clear, the same window saves.
        QVERIFY(QDir(f.dataPath("instruments.ini")).removeRecursively());
        QTest::mouseClick(ok(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"),
                 PianoFixture::settings({"0", "59", "0", "0", "0", "0"}));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
