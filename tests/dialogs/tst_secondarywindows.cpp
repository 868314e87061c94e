// The settings, about and guide windows as the main window opens them, and the
// program's icon and pointers.
#include "appearance.h"
#include "pianofixture.h"
#include "widgets.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

const QStringList windowNames{"Form2", "frmAbout", "hlpfrm"};

QList<QWidget*> openWindows(const QString& name)
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible()) {
            found << w;
        }
    }
    return found;
}

QWidget* openWindow(const QString& name)
{
    const QList<QWidget*> found = openWindows(name);
    return found.size() == 1 ? found.first() : nullptr;
}

// Opens a window the way a user does: a menu entry, or a click on the credit label.
void choose(PianoFixture& f, const QString& how)
{
    if (how == u"Label2") {
        QTest::mouseClick(f.find<ClickLabel>("Label2"), Qt::LeftButton);
    } else {
        f.find<QAction>(how)->trigger();
    }
}

QWidget* open(PianoFixture& f, const QString& how, const QString& name)
{
    choose(f, how);
    return openWindow(name);
}

QString browserText(QWidget* guide)
{
    return guide->findChild<QTextBrowser*>("WebBrowser1")->toPlainText();
}

} // namespace

class TestSecondaryWindows final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void cleanup()
    {
        for (const QString& name : windowNames) {
            qDeleteAll(openWindows(name));
        }
    }

    void openingTwiceShowsOneWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::newRow("settings") << "mnuSet"
                                  << "Form2";
        QTest::newRow("about from the menu") << "mnuAbout"
                                             << "frmAbout";
        QTest::newRow("about from the credit label") << "Label2"
                                                     << "frmAbout";
        QTest::newRow("guide") << "mnurdme"
                               << "hlpfrm";
    }
    void openingTwiceShowsOneWindow()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        PianoFixture f;
        f.start();
        QWidget* first = open(f, how, name);
        QVERIFY(first);
        QVERIFY(!first->parentWidget());
        QVERIFY(QTest::qWaitForWindowActive(first));
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QCOMPARE(open(f, how, name), first);
        QVERIFY(QTest::qWaitForWindowActive(first));
    }

    void windowTakesTheMainWindowsColour_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("colourFile");
        QTest::addColumn<QColor>("colour");
        const QByteArray blue = "&HFF0000\r\n0\r\n";
        const QByteArray green = "65280\r\n0\r\n";
        const QColor design(255, 249, 252);
        QTest::newRow("settings, no colour file") << "mnuSet"
                                                  << "Form2" << QByteArray() << design;
        QTest::newRow("settings, blue") << "mnuSet"
                                        << "Form2" << blue << QColor(0, 0, 255);
        QTest::newRow("about, no colour file") << "mnuAbout"
                                               << "frmAbout" << QByteArray() << design;
        QTest::newRow("about, green") << "mnuAbout"
                                      << "frmAbout" << green << QColor(0, 255, 0);
        QTest::newRow("guide, no colour file") << "mnurdme"
                                               << "hlpfrm" << QByteArray() << design;
        QTest::newRow("guide, blue") << "mnurdme"
                                     << "hlpfrm" << blue << QColor(0, 0, 255);
    }
    void windowTakesTheMainWindowsColour()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(QByteArray, colourFile);
        QFETCH(QColor, colour);
        PianoFixture f;
        if (!colourFile.isEmpty()) {
            f.writeData("skincolor.dll", colourFile);
        }
        f.start();
        QWidget* window = open(f, how, name);
        QVERIFY(window);
        QCOMPARE(window->palette().color(QPalette::Window), colour);
        if (auto* icon = window->findChild<QLabel*>("picIcon")) {
            QCOMPARE(icon->palette().color(QPalette::Window), colour);
        }
    }

    void aboutWindow()
    {
        PianoFixture f;
        f.start();
        QPointer<QWidget> about = open(f, "mnuAbout", "frmAbout");
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Quorvel"));
        QCOMPARE(about->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Quorvel"));
        QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(),
                 QStringLiteral("Beta Version 3.0.146"));

        auto* help = about->findChild<QLabel*>("lblDescription");
        QVERIFY(help->text().contains("pellory@example.com"));
        QCOMPARE(help->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(help->cursor().hotSpot(), appearance::handPointer().hotSpot());
        QTest::mouseClick(help, Qt::LeftButton);
        QCOMPARE(f.desktop.openedUrls, QList<QUrl>{QUrl("mailto:pellory@example.com")});

        // Escape closes it as OK does.
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!about);
        about = open(f, "mnuAbout", "frmAbout");
        QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!about);
    }

    void guidePage_data()
    {
        QTest::addColumn<QByteArray>("dataPage"); // empty: none
        QTest::addColumn<QByteArray>("shippedPage");
        QTest::addColumn<QString>("shows");
        QTest::newRow("the data folder's page first")
            << QByteArray("<p>My own notes</p>") << QByteArray("<p>Shipped guide</p>")
            << "My own notes";
        QTest::newRow("the shipped copy when the data folder has none")
            << QByteArray() << QByteArray("<p>Shipped guide</p>") << "Shipped guide";
        QTest::newRow("a note when there is no page at all")
            << QByteArray() << QByteArray() << "The guide page is missing";
    }
    void guidePage()
    {
        QFETCH(QByteArray, dataPage);
        QFETCH(QByteArray, shippedPage);
        QFETCH(QString, shows);
        PianoFixture f;
        f.writeData("instruments.ini", PianoFixture::settings({"0", "60", "5", "0", "300", "112"}));
        if (!dataPage.isEmpty()) {
            f.writeData("readme1.htm", dataPage);
        }
        if (!shippedPage.isEmpty()) {
            f.writeProgram("readme1.htm", shippedPage);
        }
        f.start();
        QWidget* guide = open(f, "mnurdme", "hlpfrm");
        QVERIFY(guide);
        QCOMPARE(guide->windowTitle(), QStringLiteral("Online Guide"));
        QVERIFY2(browserText(guide).contains(shows), qPrintable(browserText(guide)));
    }

    void guideLinks()
    {
        PianoFixture f;
        f.writeData("readme1.htm", "<p>First page</p>");
        f.writeData("second.htm", "<p>Second page</p>");
        f.start();
        QWidget* guide = open(f, "mnurdme", "hlpfrm");
        QVERIFY(guide);
        auto* browser = guide->findChild<QTextBrowser*>("WebBrowser1");

        Q_EMIT browser->anchorClicked(QUrl("https://example.org/piano"));
        Q_EMIT browser->anchorClicked(QUrl("mailto:friend@example.org"));
        QCOMPARE(f.desktop.openedUrls, (QList<QUrl>{QUrl("https://example.org/piano"),
                                                    QUrl("mailto:friend@example.org")}));
        QVERIFY(browserText(guide).contains("First page"));

        Q_EMIT browser->anchorClicked(QUrl("gone.htm"));
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages[0].contains("gone.htm"));

        Q_EMIT browser->anchorClicked(QUrl("second.htm"));
        QVERIFY(browserText(guide).contains("Second page"));

        // Choosing the guide again brings the same window forward without reloading it.
        QCOMPARE(open(f, "mnurdme", "hlpfrm"), guide);
        QVERIFY(browserText(guide).contains("Second page"));
    }

    void pointersAndIcon()
    {
        PianoFixture f;
        Form1& w = f.start();
        const QCursor pointer = w.cursor();
        QCOMPARE(pointer.shape(), Qt::BitmapCursor);
        QCOMPARE(pointer.hotSpot(), QPoint(5, 0));
        QCOMPARE(pointer.bitmap().size(), QSize(32, 32));
        QVERIFY(!pointer.mask().isNull());

        const QList<QSize> sizes = w.windowIcon().availableSizes();
        for (const int size : {16, 32, 48}) {
            QVERIFY(sizes.contains(QSize(size, size)));
            const QImage image = appearance::drawApplicationIcon(size);
            QCOMPARE(image.size(), QSize(size, size));
            // Transparent in the corner of the rounded tile, solid in the middle.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
        }
    }

    // Runs the event loop as the program does; so it comes last.
    void programEndsWithItsLastWindow_data() { openingTwiceShowsOneWindow_data(); }
    void programEndsWithItsLastWindow()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        PianoFixture f;
        f.start();
        choose(f, how);
        bool openAfterMainClosed = false;
        bool timedOut = false;
        QTimer closeMain;
        QTimer closeOther;
        QTimer watchdog;
        for (QTimer* timer : {&closeMain, &closeOther, &watchdog}) {
            timer->setSingleShot(true);
        }
        connect(&closeMain, &QTimer::timeout, f.form.get(), [&] {
            f.form->close();
            closeOther.start(100);
        });
        connect(&closeOther, &QTimer::timeout, qApp, [&] {
            QWidget* window = openWindow(name);
            openAfterMainClosed = window != nullptr;
            if (window) {
                window->close();
            }
        });
        connect(&watchdog, &QTimer::timeout, qApp, [&] {
            timedOut = true;
            QApplication::quit();
        });
        closeMain.start(0);
        watchdog.start(5000);
        QApplication::setQuitOnLastWindowClosed(true);
        QApplication::exec();
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(openAfterMainClosed);
        QVERIFY(!timedOut);
    }
};

QTEST_MAIN(TestSecondaryWindows)
#include "tst_secondarywindows.moc"
