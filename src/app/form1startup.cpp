// Start-up and shutdown of the main window: settings, colours, device, restart.
#include "form1.h"

#include "clock.h"
#include "datafolder.h"
#include "filepresent.h"
#include "midiout.h"
#include "pianokey.h"
#include "settingsfile.h"
#include "textfile.h"
#include "textrules.h"
#include "twips.h"
#include "widgets.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>

namespace {

constexpr auto colourFileName = "skincolor.dll";

// A colour number red + 256 x green + 65536 x blue; anything else is no colour.
std::optional<QColor> colourValue(const QString& line)
{
    const double value = textrules::leadingNumber(line);
    if (!(value >= -0.5 && value < 16777215.5)) {
        return std::nullopt;
    }
    const qint32 bgr = textrules::toInt32(value);
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void setBackground(QWidget* widget, const QColor& color)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    widget->setPalette(pal);
}

} // namespace

void Form1::start()
{
    Form_Load();
    c_.keys[0]->setFocus();
    show();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    activateWindow();
}

void Form1::Form_Load()
{
    setBackground(c_.Frame1, backColor());

    if (FilePresent(programFile(services_.programFolder, QStringLiteral("kestrune")))) {
        c_.kestrune->setEnabled(true);
    }
    // The server program may be put in the data folder or beside the piano.
    if (FilePresent(programFile(services_.dataFolder, QStringLiteral("trelvane"))) ||
        FilePresent(programFile(services_.programFolder, QStringLiteral("trelvane")))) {
        c_.mnuserv->setEnabled(true);
    }

    normalHeight_ = twips::fromPixels(frameGeometry().height());
    playLine_ = 1;
    tickCounting_ = 100;
    tickAnchorMs_ = services_.clock->nowMs();
    activated_ = false;

    OpenDevice(0);
    showSoundState();

    channel_ = 0;
    baseNote_ = 59;
    velocity_ = 127;
    applySettingsFile();

    // Min, then Max, then Value; a Value outside the range is brought into it.
    c_.tdelay->setMinimum(textrules::leadingInt16(delayMin_));
    c_.tdelay->setMaximum(textrules::leadingInt16(delayMax_));
    c_.tdelay->setValue(textrules::leadingInt16(delayDefault_));
    timeDelay_ = static_cast<qint16>(c_.tdelay->value());

    applyColourFile();

    instrumentNames_ = InstrumentNames::load(
        QDir(services_.programFolder).filePath(QStringLiteral("pellory.dll")));
    ReadPatch();
}

void Form1::applySettingsFile()
{
    if (!dataFilePresent(settingsFileName)) {
        return;
    }
    SettingsValues values{channel_, baseNote_, delayFactor_, delayMin_, delayMax_, delayDefault_};
    if (readSettingsFile(dataFile(settingsFileName), values)) {
        channel_ = values.channel;
        baseNote_ = values.baseNote;
        delayFactor_ = values.delayFactor;
        delayMin_ = values.delayMin;
        delayMax_ = values.delayMax;
        delayDefault_ = values.delayDefault;
    }
}

void Form1::applyColourFile()
{
    if (!dataFilePresent(colourFileName)) {
        return;
    }
    const auto lines = textfile::readLines(dataFile(colourFileName), 2);
    if (!lines || lines->isEmpty()) {
        return;
    }
    skinColor_ = lines->at(0);
    if (const auto color = colourValue(skinColor_)) {
        c_.surface->setBackColor(*color);
    }
    if (lines->size() > 1) {
        if (const auto color = colourValue(lines->at(1))) {
            c_.surface->setShapeColor(*color);
        }
    }
    setBackColor(backColor());
}

void Form1::setBackColor(const QColor& color)
{
    c_.surface->setBackColor(color);
    setBackground(c_.txtRx, color);
    setBackground(c_.txtSend, color);
    setBackground(c_.Frame1, color);
}

void Form1::Form_Unload()
{
    // No all-notes-off is sent: closing the device silences it.
    if (deviceOpen_) {
        services_.midi->close();
        deviceOpen_ = false;
    }
    for (PendingRelease& pending : pendingRelease_) {
        pending = {};
    }
}

void Form1::Form_Activate()
{
    // Each activation appends twenty entries to each list: "\n 0 - name", ...
    for (int box = 0; box < 6; ++box) {
        QString text = c_.loadnam[box]->toPlainText();
        for (int i = 20 * box; i < 20 * box + 20; ++i) {
            text += u'\n' + textrules::numberToText(i) + QStringLiteral(" - ") +
                    instrumentNames_.name(i);
        }
        c_.loadnam[box]->setPlainText(text);
    }
}

void Form1::RestartMainWindow()
{
    Form_Unload();
    discardControls();
    createControls();
    setWindowTitle(QString::fromLatin1(designTitle));
    fixWindowSize(0);
    Form_Load();
    c_.keys[0]->setFocus();
    show();
    activated_ = true;
    Form_Activate();
}

void Form1::mnuFileexit_Click()
{
    close();
}
