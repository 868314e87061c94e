// The main window's controls as designed, and their wiring to the handlers.
#include "form1.h"

#include "controllook.h"
#include "keymap.h"
#include "pianokey.h"
#include "twips.h"
#include "widgets.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <functional>

namespace {

const QColor designBackColor(255, 249, 252);

QAction* addItem(QMenu* menu, const char* name, const char* caption, QKeySequence shortcut,
                 bool enabled)
{
    auto* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setEnabled(enabled);
    return action;
}

// Black keys straddle the boundary of their white neighbours: 120 twips left of the
// next white key.
int keyLeftTwips(int index)
{
    int whitesBefore = 0;
    for (int i = 0; i < index; ++i) {
        whitesBefore += keymap::isWhite(i) ? 1 : 0;
    }
    return keymap::isWhite(index) ? 120 + 480 * whitesBefore : 120 + 480 * whitesBefore - 120;
}

// Lets a handler see a control's events first; the handler says whether it took one.
class EventHook final : public QObject
{
public:
    EventHook(QObject* watched, std::function<bool(QEvent*)> handler)
        : QObject(watched)
        , handler_(std::move(handler))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return handler_(event); }

private:
    std::function<bool(QEvent*)> handler_;
};

// The character code the chat input's key handler takes: 27 for Escape, 13 for Enter.
int asciiOf(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Escape) {
        return 27;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        return 13;
    }
    return key.text().isEmpty() ? 0 : key.text().at(0).unicode();
}

} // namespace

void Form1::createControls()
{
    Controls c;
    c.surface = new FormSurface;
    c.surface->setObjectName(QStringLiteral("surface"));
    c.surface->setFont(designFont("Trebuchet MS", 8.25));
    c.surface->setBackColor(designBackColor);
    c.surface->setShape(twips::rect(-240, -240, 12120, 1815), QColor(253, 219, 238));

    // The keys: white ones first, so the black ones lie above them.
    for (const bool white : {true, false}) {
        for (int i = 0; i < keyCount; ++i) {
            if (keymap::isWhite(i) != white) {
                continue;
            }
            auto* k = new PianoKey(i, c.surface);
            k->setObjectName(QStringLiteral("key(%1)").arg(i));
            k->setFont(designFont("MS Sans Serif", 8.25));
            k->setHeightTwips(white ? 2175 : 1575);
            k->setGeometry(
                twips::rect(keyLeftTwips(i), -840, white ? 495 : 255, white ? 2175 : 1575));
            if (white) {
                k->setBackgroundColor(QColor(255, 255, 255));
                k->setCaptionColor(i == 0 ? buttonTextColor() : QColor(192, 0, 192));
                k->setCaption(keymap::noteLetter(i));
                k->setToolTip(keymap::computerKeyName(i));
            } else {
                k->setBackgroundColor(QColor(64, 0, 0));
                k->setCaptionColor(QColor(224, 224, 224));
            }
            c.keys[i] = k;
        }
    }

    c.Frame1 = new Frame(c.surface);
    c.Frame1->setObjectName(QStringLiteral("Frame1"));
    c.Frame1->setGeometry(twips::rect(0, 1680, 1695, 735));
    setControlColors(c.Frame1, designBackColor, QColor(0, 0, 0));

    const QFont comic = designFont("Comic Sans MS", 11.25, true);
    c.lblTitle = new ClickLabel(QStringLiteral("Quorvel"), c.Frame1);
    c.lblTitle->setObjectName(QStringLiteral("lblTitle"));
    c.lblTitle->setGeometry(twips::rect(120, 360, 1365, 360));
    c.lblTitle->setFont(comic);
    c.lblTitle->setTextColor(QColor(128, 0, 128));
    c.lblTitle->setToolTip(QStringLiteral("Delete music data"));

    c.Label4 = new ClickLabel(QStringLiteral("Click"), c.Frame1);
    c.Label4->setObjectName(QStringLiteral("Label4"));
    c.Label4->setGeometry(twips::rect(120, 120, 615, 375));
    c.Label4->setFont(comic);
    c.Label4->setTextColor(QColor(255, 0, 0));
    c.Label4->setToolTip(QStringLiteral("Click here to replay music"));

    const QFont arial = designFont("Arial", 8.25);
    c.txtRx = new QPlainTextEdit(c.surface);
    c.txtRx->setObjectName(QStringLiteral("txtRx"));
    c.txtRx->setGeometry(twips::rect(2160, 1560, 7215, 495));
    c.txtRx->setFont(arial);
    c.txtRx->setReadOnly(true);
    c.txtRx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.txtRx->setFrameShape(QFrame::Box);
    setControlColors(c.txtRx, designBackColor, QColor(128, 128, 128));
    c.txtRx->hide();

    c.txtSend = new QLineEdit(c.surface);
    c.txtSend->setObjectName(QStringLiteral("txtSend"));
    c.txtSend->setGeometry(twips::rect(2880, 2040, 6255, 345));
    c.txtSend->setFont(arial);
    c.txtSend->setCursor(Qt::IBeamCursor);
    setControlColors(c.txtSend, designBackColor, QColor(64, 0, 0));
    c.txtSend->setEnabled(false);
    c.txtSend->hide();

    c.Label1 = new ClickLabel(QStringLiteral("Send:"), c.surface);
    c.Label1->setObjectName(QStringLiteral("Label1"));
    c.Label1->setGeometry(twips::rect(2160, 2040, 615, 255));
    c.Label1->setFont(arial);
    c.Label1->setTextColor(QColor(0, 0, 0));
    c.Label1->hide();

    c.instru = new ClickLabel(QString(), c.surface);
    c.instru->setObjectName(QStringLiteral("instru"));
    c.instru->setGeometry(twips::rect(9360, 1800, 2175, 255));
    c.instru->setFont(arial);
    c.instru->setTextColor(buttonTextColor());

    c.Label2 = new ClickLabel(QStringLiteral("Made by Pellory."), c.surface);
    c.Label2->setObjectName(QStringLiteral("Label2"));
    c.Label2->setGeometry(twips::rect(10080, 2040, 1455, 255));
    c.Label2->setFont(designFont("Trebuchet MS", 9, true));
    c.Label2->setTextColor(QColor(64, 0, 64));

    c.tdelay = new QScrollBar(Qt::Vertical, c.surface);
    c.tdelay->setObjectName(QStringLiteral("tdelay"));
    c.tdelay->setGeometry(twips::rect(11640, 1560, 135, 855));
    c.tdelay->setRange(90, 300);
    c.tdelay->setValue(200);
    c.tdelay->setSingleStep(1);
    c.tdelay->setPageStep(10);
    c.tdelay->hide();

    c.HScrollPatch = new QScrollBar(Qt::Horizontal, c.surface);
    c.HScrollPatch->setObjectName(QStringLiteral("HScrollPatch"));
    c.HScrollPatch->setGeometry(twips::rect(0, 2415, 11800, 165));
    c.HScrollPatch->setRange(0, 127);
    c.HScrollPatch->setValue(0);
    c.HScrollPatch->setSingleStep(1);
    c.HScrollPatch->setPageStep(10);
    c.HScrollPatch->setFocusPolicy(Qt::StrongFocus);

    const std::array<int, 6> listLefts{3, 1920, 4080, 6000, 7920, 9840};
    for (int i = 0; i < 6; ++i) {
        auto* box = new QPlainTextEdit(c.surface);
        box->setObjectName(QStringLiteral("loadnam(%1)").arg(i));
        box->setGeometry(twips::rect(listLefts[i], 2830, i == 1 ? 2175 : 1935, 5055));
        setControlColors(box, QColor(255, 255, 255), QColor(64, 64, 0));
        c.loadnam[i] = box;
    }

    c.Command1 = new QPushButton(QStringLiteral("Command1"), c.surface);
    c.Command1->setObjectName(QStringLiteral("Command1"));
    c.Command1->setGeometry(twips::rect(0, 2830, 135, 240));
    c.Command1->hide();

    c.StatusBar1 = new PanelStatusBar;
    c.StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    c.StatusBar1->setFont(arial);
    c.StatusBar1->setFixedHeight(twips::toPixels(255));

    c.menuBar = new QMenuBar;
    c.menuBar->setObjectName(QStringLiteral("menuBar"));
    c.mnufile = c.menuBar->addMenu(QStringLiteral("&File"));
    c.mnufile->setObjectName(QStringLiteral("mnufile"));
    c.mnuFileSav = addItem(c.mnufile, "mnuFileSav", "&Save", Qt::Key_F1, true);
    c.mnufileload = addItem(c.mnufile, "mnufileload", "&Load", Qt::Key_F2, true);
    c.mnufileConnect = addItem(c.mnufile, "mnufileConnect", "&Connect", Qt::Key_F3, true);
    c.mnuserv = addItem(c.mnufile, "mnuserv", "&Start server", Qt::Key_F4, false);
    c.mnufileclear = addItem(c.mnufile, "mnufileclear", "Clear playlist", Qt::Key_F5, true);
    c.kestrune = addItem(c.mnufile, "kestrune", "&Create MIDI", Qt::Key_F6, false);
    c.mnuFileexit = addItem(c.mnufile, "mnuFileexit", "&Exit", Qt::Key_F7, true);
    c.mnuextr = c.menuBar->addMenu(QStringLiteral("&Extra"));
    c.mnuextr->setObjectName(QStringLiteral("mnuextr"));
    c.mnuRecord = addItem(c.mnuextr, "mnuRecord", "&Record", {}, true);
    c.mnuRecord->setCheckable(true);
    c.mnuRecord->setChecked(false);
    c.mnuSet = addItem(c.mnuextr, "mnuSet", "Settings", {}, true);
    c.mnuSound = addItem(c.mnuextr, "mnuSound", "Sound and MIDI", {}, true);
    c.mnuhlp = c.menuBar->addMenu(QStringLiteral("&Help"));
    c.mnuhlp->setObjectName(QStringLiteral("mnuhlp"));
    c.mnurdme = addItem(c.mnuhlp, "mnurdme", "&Guide", {}, true);
    c.mnuAbout = addItem(c.mnuhlp, "mnuAbout", "&About", {}, true);

    // Timer1 is the recorder tick: every 10 ms, its ticks counted against the clock.
    c.Timer1 = new QTimer(c.surface);
    c.Timer1->setObjectName(QStringLiteral("Timer1"));
    c.Timer1->setInterval(10);
    c.Timer3 = new QTimer(c.surface);
    c.Timer3->setObjectName(QStringLiteral("Timer3"));
    c.Timer3->setInterval(2000);

    c_ = c;
    setMenuBar(c_.menuBar);
    setCentralWidget(c_.surface);
    setStatusBar(c_.StatusBar1);
    connectControls();
    c_.Timer1->start();
}

void Form1::discardControls()
{
    if (!c_.surface) {
        return;
    }
    // Handlers may be running on these controls (a menu command restarts the window),
    // so they are detached now and deleted once the event loop is back.
    c_.Timer1->stop();
    c_.Timer3->stop();
    const std::array<QWidget*, 3> parts{takeCentralWidget(), c_.menuBar, c_.StatusBar1};
    for (QWidget* part : parts) {
        for (QAction* action : part->findChildren<QAction*>()) {
            action->setShortcut({});
            action->setEnabled(false);
        }
        for (QObject* child : part->findChildren<QObject*>()) {
            child->disconnect(this);
            child->setObjectName(QString());
        }
        part->disconnect(this);
        part->hide();
        part->setParent(nullptr);
        part->deleteLater();
    }
    c_ = Controls{};
}

void Form1::connectControls()
{
    for (PianoKey* k : c_.keys) {
        connect(k, &PianoKey::mouseDown, this, [this](int index) { key_MouseDown(index); });
        connect(k, &PianoKey::mouseUp, this, [this](int index) { key_MouseUp(index); });
    }
    connect(c_.surface, &FormSurface::mouseMoved, this, &Form1::Form_MouseMove);
    connect(c_.Frame1, &Frame::mouseMoved, this, &Form1::Frame1_MouseMove);
    connect(c_.lblTitle, &ClickLabel::clicked, this, &Form1::lblTitle_Click);
    connect(c_.lblTitle, &ClickLabel::mouseMoved, this, &Form1::lblTitle_MouseMove);
    connect(c_.Label4, &ClickLabel::clicked, this, &Form1::Label4_Click);
    connect(c_.Label4, &ClickLabel::mouseMoved, this, &Form1::Label4_MouseMove);
    connect(c_.Label1, &ClickLabel::clicked, this, &Form1::Label1_Click);
    connect(c_.instru, &ClickLabel::clicked, this, &Form1::instru_Click);
    connect(c_.Label2, &ClickLabel::clicked, this, &Form1::Label2_Click);
    connect(c_.Label2, &ClickLabel::mouseMoved, this, &Form1::Label2_MouseMove);
    connect(c_.tdelay, &QScrollBar::valueChanged, this, &Form1::tdelay_Change);
    connect(c_.HScrollPatch, &QScrollBar::valueChanged, this, &Form1::HScrollPatch_Change);
    new EventHook(c_.HScrollPatch, [this](QEvent* event) {
        if (event->type() == QEvent::FocusIn) {
            HScrollPatch_GotFocus();
        }
        return false;
    });
    new EventHook(c_.txtSend, [this](QEvent* event) {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int ascii = asciiOf(*static_cast<QKeyEvent*>(event));
        return ascii != 0 && txtSend_KeyPress(ascii);
    });
    connect(c_.StatusBar1, &PanelStatusBar::panelDoubleClicked, this,
            &Form1::StatusBar1_PanelDblClick);
    connect(c_.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(c_.mnuFileSav, &QAction::triggered, this, &Form1::mnuFileSav_Click);
    connect(c_.mnufileload, &QAction::triggered, this, &Form1::mnufileload_Click);
    connect(c_.mnufileConnect, &QAction::triggered, this, &Form1::mnufileConnect_Click);
    connect(c_.mnuserv, &QAction::triggered, this, &Form1::mnuserv_Click);
    connect(c_.mnufileclear, &QAction::triggered, this, &Form1::mnufileclear_Click);
    connect(c_.kestrune, &QAction::triggered, this, &Form1::kestrune_Click);
    connect(c_.mnuFileexit, &QAction::triggered, this, &Form1::mnuFileexit_Click);
    connect(c_.mnuRecord, &QAction::triggered, this, [this] {
        // The menu toggles the check mark by itself; the handler decides it.
        c_.mnuRecord->setChecked(!c_.mnuRecord->isChecked());
        mnuRecord_Click();
    });
    connect(c_.mnuSet, &QAction::triggered, this, &Form1::mnuSet_Click);
    connect(c_.mnuSound, &QAction::triggered, this, &Form1::mnuSound_Click);
    connect(c_.mnurdme, &QAction::triggered, this, &Form1::mnurdme_Click);
    connect(c_.mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);
    for (QMenu* menu : {c_.mnufile, c_.mnuextr, c_.mnuhlp}) {
        connect(menu, &QMenu::aboutToShow, this, &Form1::releasePressedKeys);
    }
    connect(c_.Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(c_.Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
}
