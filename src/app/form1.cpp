#include "form1.h"

#include "controllook.h"
#include "filepresent.h"
#include "keycodes.h"
#include "midiportfactory.h"
#include "pianokey.h"
#include "sharedplaysession.h"
#include "soundsettingsstore.h"
#include "twips.h"
#include "widgets.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWindow>

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent)
    , services_(std::move(services))
    , sound_(services_.soundStore ? services_.soundStore->load() : SoundSettings{})
    , connections_(*services_.midi, services_.ports, sound_)
    , notes_(connections_.output())
    , session_(std::make_unique<SharedPlaySession>(services_.serverPort))
{
    Q_ASSERT(services_.midi && services_.desktop && services_.clock);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(designTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(designFont("Trebuchet MS", 8.25));
    applyAppearance();
    createControls();
    fixWindowSize(0);
    connectPlayer();
    connectSession();
    connectMidiInput();
}

Form1::~Form1() = default;

PianoKey* Form1::key(int index) const
{
    return index >= 0 && index < keyCount ? c_.keys[index] : nullptr;
}

QPlainTextEdit* Form1::loadnam(int index) const
{
    return c_.loadnam.at(index);
}

QColor Form1::backColor() const
{
    return c_.surface->backColor();
}

QString Form1::dataFile(const char* name) const
{
    return resolveInFolder(services_.dataFolder, QString::fromLatin1(name));
}

bool Form1::dataFilePresent(const char* name) const
{
    return FilePresent(QDir(services_.dataFolder).filePath(QString::fromLatin1(name)));
}

QColor Form1::buttonTextColor() const
{
    return QApplication::palette().color(QPalette::ButtonText);
}

void Form1::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void Form1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Key preview: the window sees every key before the control that has the focus.
    if (QWindow* window = windowHandle()) {
        window->removeEventFilter(this);
        window->installEventFilter(this);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != windowHandle()) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = virtualKeyCode(*key);
        handleKeyPress(code, key->text(), key->isAutoRepeat());
        // A focused scroll bar would act on these keys a second time.
        const bool navigation =
            code == vk::Home || code == vk::End || code == vk::Prior || code == vk::Next;
        return navigation && qobject_cast<QAbstractSlider*>(QApplication::focusWidget());
    }
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            Form_KeyUp(virtualKeyCode(*key));
        }
    }
    return false;
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (isActiveWindow()) {
        // Coming back from one of the piano's own windows counts as becoming the
        // active window of the program; coming back from another program does not.
        if (!activated_ || leftForOwnWindow_) {
            activated_ = true;
            Form_Activate();
        }
        leftForOwnWindow_ = false;
    } else {
        // The settings, about and guide windows are the program's own windows; input
        // and message boxes are not.
        const QWidget* now = QApplication::activeWindow();
        const QString name = now ? now->objectName() : QString();
        leftForOwnWindow_ =
            name == u"Form2" || name == u"frmSound" || name == u"frmAbout" || name == u"hlpfrm";
        releasePressedKeys();
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    // The window is not shown again: a keyboard plays nothing and records nothing now.
    if (MidiInPort* input = connections_.input()) {
        input->close();
    }
    event->accept();
}

void Form1::fixWindowSize(int outerHeightTwips)
{
    const int menu = c_.menuBar->sizeHint().height();
    const int normalClient = menu + twips::toPixels(2835);
    int client = normalClient;
    if (outerHeightTwips > 0 && outerHeightTwips != normalHeight_) {
        const int frameExtra = frameGeometry().height() - geometry().height();
        client = std::max(normalClient, twips::toPixels(outerHeightTwips) - frameExtra);
    }
    setFixedSize(twips::toPixels(11760), client);
}
