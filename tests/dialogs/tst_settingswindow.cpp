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
const QByteArray shippedFile = PianoFixture::settings({"0", "60", "5", "0", "300", "112"});

Form2* openSettings(PianoFixture& f)
{
    f.find<QAction>("mnuSet")->trigger();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Form2*>(w); form && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

QLineEdit* box(Form2* form, const QString& name)
{
    return form->findChild<QLineEdit*>(name);
}

QPushButton* okButton(Form2* form)
{
    return form->findChild<QPushButton*>("cmdOK");
}

QStringList boxTexts(Form2* form)
{
    QStringList texts;
    for (const QString& name : boxNames) {
        texts << box(form, name)->text();
    }
    return texts;
}

void fill(Form2* form, const QStringList& texts)
{
    for (int i = 0; i < boxNames.size(); ++i) {
        box(form, boxNames[i])->setText(texts[i]);
    }
}

} // namespace

class TestSettingsWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qDeleteAll(findWindows()); }

    void loadsAndOkWritesWhatItShows_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no settings file at all
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("six lines, the seventh ignored")
            << PianoFixture::settings({"1", "48", "7", "10", "250", "120", "99"})
            << QStringList{"1", "48", "7", "10", "250", "120"};
        QTest::newRow("short file: the values in use fill the rest")
            << PianoFixture::settings({"3", "62"}) << QStringList{"3", "62", "0", "0", "0", "0"};
        QTest::newRow("no file: the values in use")
            << QByteArray() << QStringList{"0", "59", "0", "0", "0", "0"};
        QTest::newRow("values longer than their box are cut")
            << PianoFixture::settings({"123", " 60 ", "55", "100", "1000", "-112"})
            << QStringList{"12", "60", "5", "10", "100", "-11"};
    }
    void loadsAndOkWritesWhatItShows()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        PianoFixture f;
        if (!file.isEmpty()) {
            f.writeData("instruments.ini", file);
        }
        f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral(" Quorvel Settings"));
        QCOMPARE(boxTexts(form), shown);

        QTest::mouseClick(okButton(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"), (shown.join("\r\n") + "\r\n").toLatin1());
    }

    void numericTest_data()
    {
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved"); // empty when the button must read "Retry"
        QTest::newRow("decimal passes") << 5 << "1.5" << QByteArray("1.5");
        QTest::newRow("minus sign passes") << 3 << "-5" << QByteArray("-5");
        QTest::newRow("plus sign passes") << 1 << "+61" << QByteArray("+61");
        QTest::newRow("blanks around pass and are dropped") << 0 << " 7" << QByteArray("7");
        QTest::newRow("empty fails") << 0 << "" << QByteArray();
        QTest::newRow("word fails") << 1 << "abc" << QByteArray();
        QTest::newRow("blank alone fails") << 2 << " " << QByteArray();
        QTest::newRow("sign alone fails") << 3 << "-" << QByteArray();
        QTest::newRow("two points fail") << 4 << "1.." << QByteArray();
        QTest::newRow("number and letter fail") << 5 << "12x" << QByteArray();
    }
    void numericTest()
    {
        QFETCH(int, boxIndex);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        PianoFixture f;
        f.writeData("instruments.ini", shippedFile);
        f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        box(form, boxNames[boxIndex])->setText(typed);
        QTest::mouseClick(okButton(form), Qt::LeftButton);

        QList<QByteArray> lines{"0", "60", "5", "0", "300", "112"};
        if (!saved.isEmpty()) {
            QTRY_VERIFY(!form);
            lines[boxIndex] = saved;
            QCOMPARE(f.readData("instruments.ini"), PianoFixture::settings(lines));
            return;
        }
        QVERIFY(form->isVisible());
        QCOMPARE(okButton(form)->text(), QStringLiteral("Retry"));
        QCOMPARE(f.readData("instruments.ini"), shippedFile);

        // Corrected, the next press saves and closes; the button said "Retry" until then.
        box(form, boxNames[boxIndex])->setText("2");
        QCOMPARE(okButton(form)->text(), QStringLiteral("Retry"));
        QTest::mouseClick(okButton(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        lines[boxIndex] = "2";
        QCOMPARE(f.readData("instruments.ini"), PianoFixture::settings(lines));
    }

    void keysPressOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("valid");
        QTest::newRow("Escape saves") << int(Qt::Key_Escape) << true;
        QTest::newRow("Enter saves") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape with a bad box does not cancel") << int(Qt::Key_Escape) << false;
    }
    void keysPressOk()
    {
        QFETCH(int, key);
        QFETCH(bool, valid);
        PianoFixture f;
        f.writeData("instruments.ini", shippedFile);
        f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        fill(form, {"2", "64", valid ? "3" : "x", "20", "200", "100"});
        QTest::keyClick(box(form, "maxx"), Qt::Key(key));
        if (valid) {
            QTRY_VERIFY(!form);
            QCOMPARE(f.readData("instruments.ini"),
                     PianoFixture::settings({"2", "64", "3", "20", "200", "100"}));
        } else {
            QTest::qWait(50);
            QVERIFY(form && form->isVisible());
            QCOMPARE(okButton(form)->text(), QStringLiteral("Retry"));
            QCOMPARE(f.readData("instruments.ini"), shippedFile);
        }
    }

    void closeBoxWritesNothing()
    {
        PianoFixture f;
        f.writeData("instruments.ini", shippedFile);
        f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        box(form, "cxnl")->setText("9");
        form->close();
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"), shippedFile);
    }

    void savedValuesWaitForTheNextStart()
    {
        PianoFixture f;
        f.writeData("instruments.ini", shippedFile);
        Form1& w = f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        fill(form, {"1", "48", "5", "0", "300", "112"});
        QTest::mouseClick(okButton(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(w.channel(), qint16(0));
        QCOMPARE(w.baseNote(), qint16(60));
        w.RestartMainWindow();
        QCOMPARE(w.channel(), qint16(1));
        QCOMPARE(w.baseNote(), qint16(48));
    }

    void failedSaveSaysWhyAndKeepsTheWindow()
    {
        PianoFixture f;
        // A folder in the settings file's place makes the save fail for any user.
        f.writeData("keep.txt", "kept");
        QVERIFY(QDir(f.dataPath(QString())).mkdir("instruments.ini"));
        QVERIFY(QFile::rename(f.dataPath("keep.txt"), f.dataPath("instruments.ini/keep.txt")));
        f.start();
        QPointer<Form2> form = openSettings(f);
        QVERIFY(form);
        QTest::mouseClick(okButton(form), Qt::LeftButton);
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY2(f.desktop.messages[0].contains("not saved") &&
                     f.desktop.messages[0].contains("instruments.ini"),
                 qPrintable(f.desktop.messages[0]));
        QVERIFY(form && form->isVisible());
        QCOMPARE(f.readData("instruments.ini/keep.txt"), QByteArray("kept"));

        // Once the way is clear, the same window saves.
        QVERIFY(QDir(f.dataPath("instruments.ini")).removeRecursively());
        QTest::mouseClick(okButton(form), Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"),
                 PianoFixture::settings({"0", "59", "0", "0", "0", "0"}));
    }

private:
    static QList<QWidget*> findWindows()
    {
        QList<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<Form2*>(w)) {
                found << w;
            }
        }
        return found;
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
