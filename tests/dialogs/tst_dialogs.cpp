// The settings, about and guide windows as the main window opens them, and the
// guide page shipped with the program.
#include "keymap.h"
#include "pianofixture.h"
#include "widgets.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

// Opens a window the way a user does, with a menu entry or a click on the
// credit label, and gives it when it is the one visible window of that name.
QWidget* open(PianoFixture& f, const QString& how, const QString& name)
{
    if (how == u"Label2") {
        QTest::mouseClick(f.find<ClickLabel>(how), Qt::LeftButton);
    } else {
        f.find<QAction>(how)->trigger();
    }
    QWidgetList shown = QApplication::topLevelWidgets();
    shown.removeIf([&](const QWidget* w) { return w->objectName() != name || !w->isVisible(); });
    return shown.size() == 1 ? shown.first() : nullptr;
}

// A settings file: '|' ends each line (CR LF).
QByteArray settingsFile(QString lines)
{
    return lines.replace(u'|', "\r\n").toLatin1();
}

// The keys of the guide's key map as their cells show them, sorted: a white key shows
// its note letter and its computer key, a black key only its computer key.
QStringList keyMapOfGuide()
{
    QFile file(qEnvironmentVariable("QUORVEL_SOURCE_DIR") + QStringLiteral("/data/readme1.htm"));
    const QString page = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
    const QString keyMap =
        page.section("<!-- key map: begin -->", 1).section("<!-- key map: end -->", 0, 0);
    QStringList keys;
    for (const auto& m : QRegularExpression("<td[^>]*>(.*?)</td>").globalMatch(keyMap)) {
        keys << m.captured(1).replace("<br>", " ").remove(QRegularExpression("<.*?>"));
    }
    keys.removeAll(QString());
    keys.sort();
    return keys;
}

QStringList keyMapOfProgram()
{
    QStringList keys;
    for (int i = 0; i < keymap::keyCount; ++i) {
        keys << (keymap::isWhite(i) ? keymap::noteLetter(i) + u' ' : QString()) +
                    keymap::computerKeyName(i);
    }
    keys.sort();
    return keys;
}

} // namespace

class TestDialogs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->close(); // the windows a test left open delete themselves
        }
    }

    void settingsWindow_data()
    {
        QTest::addColumn<QString>("file");  // at start-up, then after '>' when the window opens
        QTest::addColumn<QString>("box");   // cxnl, octx, delx, minx, maxx or defx
        QTest::addColumn<QString>("text");  // typed into the box
        QTest::addColumn<int>("key");       // then pressed in a box; 0 clicks OK
        QTest::addColumn<QString>("fixed"); // when the text is refused: typed next, then OK
        QTest::addColumn<QString>("saved");
        auto row = [](const char* name, const char* file, const char* box, const char* text,
                      int key, const char* fixed, const char* saved) {
            QTest::newRow(name) << QString(file) << QString(box) << QString(text) << key
                                << QString(fixed) << QString(saved);
        };
        row("no file: the values in use, and OK creates it", "", "defx", "9", 0, "",
            "0|59|0|0|0|9|");
        row("short file: the values in use for the rest, as numbers",
            "0|61|2.5|1e1|7.5|3x|>3| 62 |", "cxnl", "4", 0, "", "4|62|2.5|10|8|3|");
        row("values longer than a box are shown and written back whole", "0|60|2.5|0|1000|112|",
            "defx", "112", Qt::Key_Escape, "", "0|60|2.5|0|1000|112|");
        row("a box edited takes no more than its limit", "0|60|2.5|0|1000|112|", "delx", "7.25", 0,
            "", "0|60|7|0|1000|112|");
        row("Escape presses OK; blanks are dropped", "0|60|5|0|300|112|", "cxnl", " 7",
            Qt::Key_Escape, "", "7|60|5|0|300|112|");
        row("Enter presses OK; Retry until every box is a number", "0|60|5|0|300|112|", "octx",
            "abc", Qt::Key_Return, "6.5", "0|6.5|5|0|300|112|");
    }
    void settingsWindow()
    {
        QFETCH(QString, file);
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, fixed);
        QFETCH(QString, saved);
        PianoFixture f;
        if (!file.isEmpty()) {
            f.writeData("instruments.ini", settingsFile(file.section(u'>', 0, 0)));
        }
        f.start();
        if (file.contains(u'>')) {
            f.writeData("instruments.ini", settingsFile(file.section(u'>', 1)));
        }
        QPointer<QWidget> form = open(f, "mnuSet", "Form2");
        QVERIFY(form);
        auto* ok = form->findChild<QPushButton*>("cmdOK");
        const auto type = [&](const QString& typed) {
            auto* edit = form->findChild<QLineEdit*>(box);
            edit->selectAll();
            QTest::keyClicks(edit, typed);
        };
        type(text);
        key ? QTest::keyClick(form->findChild<QLineEdit*>("maxx"), Qt::Key(key))
            : QTest::mouseClick(ok, Qt::LeftButton);
        if (!fixed.isEmpty()) {
            QVERIFY(form && form->isVisible());
            QCOMPARE(ok->text(), "Retry");
            QCOMPARE(f.readData("instruments.ini"), settingsFile(file));
            type(fixed);
            QTest::mouseClick(ok, Qt::LeftButton);
        }
        QTRY_VERIFY(!form);
        QCOMPARE(f.readData("instruments.ini"), settingsFile(saved));
    }

    // Regression: a failed save lost the old file and left a temporary one behind.
    void failedSaveSaysWhyAndKeepsWhatWasThere()
    {
        PianoFixture f;
        // A folder in the settings file's place makes the save fail, even for root.
        QVERIFY(QDir().mkpath(f.dataPath("instruments.ini")));
        f.writeData("instruments.ini/keep.txt", "kept");
        f.start();
        QPointer<QWidget> form = open(f, "mnuSet", "Form2");
        QTest::mouseClick(form->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages[0].contains("instruments.ini"));
        QVERIFY(form && form->isVisible());
        QCOMPARE(f.readData("instruments.ini/keep.txt"), "kept");
        QCOMPARE(QDir(f.dataPath("")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    // Each window opens once, without a parent, in the main window's colour, and shows
    // what it is for: the guide the page of the data folder, else the one beside the program.
    void windows_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("pages"); // the guide in the data folder, beside the program
        QTest::addColumn<QString>("shows");     // a control, then the first line of its text
        auto row = [](const char* name, const char* how, const char* window, QStringList pages,
                      const char* shows) {
            QTest::newRow(name) << QString(how) << QString(window) << pages << QString(shows);
        };
        row("settings", "mnuSet", "Form2", {}, "cxnl: 0");
        row("about", "mnuAbout", "frmAbout", {}, "lblVersion: Beta Version 3.0.146");
        row("about from the credit label", "Label2", "frmAbout", {},
            "lblVersion: Beta Version 3.0.146");
        row("guide: the data folder's page first", "mnurdme", "hlpfrm", {"Own", "Shipped"},
            "WebBrowser1: Own");
        row("guide: else the copy beside the program", "mnurdme", "hlpfrm", {"", "Shipped"},
            "WebBrowser1: Shipped");
        row("guide: else a note", "mnurdme", "hlpfrm", {"", ""},
            "WebBrowser1: The guide page is missing");
    }
    void windows()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(QStringList, pages);
        QFETCH(QString, shows);
        PianoFixture f;
        f.writeData("skincolor.dll", "&HFF0000\r\n0\r\n"); // blue
        if (!pages.value(0).isEmpty()) {
            f.writeData("readme1.htm", pages[0].toLatin1());
        }
        if (!pages.value(1).isEmpty()) {
            f.writeProgram("readme1.htm", pages[1].toLatin1());
        }
        f.start();
        QWidget* first = open(f, how, name);
        QVERIFY(first && !first->parentWidget());
        QCOMPARE(first->palette().color(QPalette::Window), QColor(0, 0, 255));
        const QObject* control = first->findChild<QObject*>(shows.section(": ", 0, 0));
        const QVariant plain = control->property("plainText");
        QCOMPARE(
            (plain.isValid() ? plain : control->property("text")).toString().section(u'\n', 0, 0),
            shows.section(": ", 1));
        QCOMPARE(open(f, how, name), first); // chosen again: the same window, no second one
    }

    void aboutMailLink()
    {
        PianoFixture f;
        f.start();
        QWidget* about = open(f, "mnuAbout", "frmAbout");
        QTest::mouseClick(about->findChild<QLabel*>("lblDescription"), Qt::LeftButton);
        QCOMPARE(f.desktop.openedUrls, QList<QUrl>{QUrl("mailto:pellory@example.com")});
    }

    // After a change of the program's key map, change the guide's to match.
    void guideKeyMapIsTheProgramsOwn() { QCOMPARE(keyMapOfGuide(), keyMapOfProgram()); }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
