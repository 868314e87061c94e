// Start-up and shutdown of the main window: settings, colours, device, restart.
#include "form1.h"

#include "controllook.h"
#include "datafolder.h"
#include "filepresent.h"
#include "pianokey.h"
#include "settingsfile.h"
#include "sharedplaysession.h"
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
#include <QTimer>

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

} // namespace

void Form1::start()
{
    Form_Load();
    c_.keys[0]->setFocus();
    show();
    centreOnScreen();
    activateWindow();
}

void Form1::centreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Form1::Form_Load()
{
    setControlColors(c_.Frame1, backColor());

    if (FilePresent(programFile(services_.programFolder, QStringLiteral("kestrune")))) {
        c_.kestrune->setEnabled(true);
    }
    if (!serverProgram().isEmpty()) {
        c_.mnuserv->setEnabled(true);
    }

    normalHeight_ = twips::fromPixels(frameGeometry().height());
    player_.windowStarted();
    recorder_.windowStarted();
    activated_ = false;

    OpenDevice(0);
    showSoundState();

    // Every load starts the notes afresh, also a restart within the run: the keys
    // were rebuilt at rest, so nothing held before is held or owed now, and a base
    // note moved with Page Up or Page Down gives way to the settings file's (or 59).
    // The instrument follows the bar, which is back at its design value, 0: ReadPatch
    // below selects it.
    const SettingsValues settings = readSettings();
    notes_.startOver(settings.channel, settings.baseNote);

    const DelayBar bar = delayBar(settings);
    c_.tdelay->setRange(bar.minimum, bar.maximum);
    c_.tdelay->setValue(bar.value);
    player_.setTimeDelay(bar.value);
    player_.setDelayFactor(textrules::leadingNumber(delayFactor_));

    applyColourFile();

    instrumentNames_ = InstrumentNames::load(
        QDir(services_.programFolder).filePath(QStringLiteral("pellory.dll")));
    ReadPatch();
}

SettingsValues Form1::readSettings()
{
    // The channel and base note start from their defaults at every load; the delay
    // texts keep what an earlier load of this run read when the file has gone since.
    SettingsValues values{NoteEngine::defaultChannel,
                          NoteEngine::defaultBaseNote,
                          delayFactor_,
                          delayMin_,
                          delayMax_,
                          delayDefault_};
    // A file that cannot be read leaves them so, as a missing one does.
    if (dataFilePresent(settingsFileName)) {
        readSettingsFile(dataFile(settingsFileName), values);
    }
    delayFactor_ = values.delayFactor;
    delayMin_ = values.delayMin;
    delayMax_ = values.delayMax;
    delayDefault_ = values.delayDefault;
    return values;
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
    setControlColors(c_.txtRx, color);
    setControlColors(c_.txtSend, color);
    setControlColors(c_.Frame1, color);
}

void Form1::Form_Unload()
{
    // What a MIDI keyboard holds is let go, so its own releases find nothing to undo.
    releaseMidiInput();
    notes_.closeDevice();
    // The window's work ends with it, though another of the program's windows may
    // keep the program running: no more ticks, no replay, no connection.
    c_.Timer1->stop();
    player_.switchTimerOff();
    session_->leave();
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
    // The design starts centred; the instrument prompt may have moved the window.
    centreOnScreen();
    activated_ = true;
    Form_Activate();
}

void Form1::mnuFileexit_Click()
{
    close();
}
