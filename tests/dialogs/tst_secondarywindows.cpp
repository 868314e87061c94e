// The settings, about and guide windows as the main window opens them, and the
// program's icon and pointers.
#include "appearance.h"
#include "pianofixture.h"
#include "widgets.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
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

    void opensOneWindowInTheMainWindowsColour_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("colourFile");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("settings, no colour file")
            << "mnuSet"
            << "Form2" << QByteArray() << QColor(255, 249, 252);
        QTest::newRow("about from the menu, blue")
            << "mnuAbout"
            << "frmAbout" << QByteArray("&HFF0000\r\n0\r\n") << QColor(0, 0, 255);
        QTest::newRow("about from the credit label, green")
            << "Label2"
            << "frmAbout" << QByteArray("65280\r\n0\r\n") << QColor(0, 255, 0);
        QTest::newRow("guide, blue")
            << "mnurdme"
            << "hlpfrm" << QByteArray("&HFF0000\r\n0\r\n") << QColor(0, 0, 255);
    }
    void opensOneWindowInTheMainWindowsColour()
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
        QWidget* first = open(f, how, name);
        QVERIFY(first && !first->parentWidget());
        QCOMPARE(first->palette().color(QPalette::Window), colour);
        if (auto* icon = first->findChild<QLabel*>("picIcon")) {
            QCOMPARE(icon->palette().color(QPalette::Window), colour);
        }
        // Chosen again from the main window, the same window comes forward.
        QVERIFY(QTest::qWaitForWindowActive(first));
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QCOMPARE(open(f, how, name), first);
        QVERIFY(QTest::qWaitForWindowActive(first));
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
    void programEndsWithItsLastWindow_data() { opensOneWindowInTheMainWindowsColour_data(); }
    void programEndsWithItsLastWindow()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        PianoFixture f;
        f.start();
        choose(f, how);
        bool openAfterMainClosed = false;
        bool timedOut = false;
        QObject timers; // ends the timers with the test
        QTimer::singleShot(0, &timers, [&] {
            f.form->close();
            QTimer::singleShot(100, &timers, [&] {
                QWidget* window = openWindow(name);
                openAfterMainClosed = window != nullptr;
                if (window) {
                    window->close();
                }
            });
        });
        QTimer::singleShot(5000, &timers, [&] {
            timedOut = true;
            QApplication::quit();
        });
        QApplication::setQuitOnLastWindowClosed(true);
        QApplication::exec();
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(openAfterMainClosed);
        QVERIFY(!timedOut);
    }
};

QTEST_MAIN(TestSecondaryWindows)
#include "tst_secondarywindows.moc"
