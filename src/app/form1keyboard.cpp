// Computer-keyboard play: the four key rows, transpose, instrument keys and prompt.
#include "form1.h"

#include "desktop.h"
#include "keycodes.h"
#include "keymap.h"
#include "pianokey.h"
#include "playbacktimer.h"
#include "textrules.h"
#include "twips.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollBar>

#include <limits>

void Form1::handleKeyPress(int keyCode, const QString& text, bool /*autoRepeat*/)
{
    // A held key repeats its key-down, as the platform's auto-repeat delivers it.
    Form_KeyDown(keyCode);
    if (!text.isEmpty()) {
        Form_KeyPress(text.at(0).unicode());
    }
}

void Form1::Form_KeyDown(int keyCode)
{
    switch (keyCode) {
    case vk::Prior:
    case vk::Next:
        // The base note stops at the limits of its 16-bit store.
        if (keyCode == vk::Prior && baseNote_ < std::numeric_limits<qint16>::max()) {
            ++baseNote_;
        } else if (keyCode == vk::Next && baseNote_ > std::numeric_limits<qint16>::min()) {
            --baseNote_;
        }
        setTitle(QStringLiteral("Base: ") + textrules::numberToText(baseNote_));
        return;
    case vk::F1:
    case vk::F1 + 1:
    case vk::F1 + 2:
    case vk::F1 + 3:
    case vk::F1 + 4:
    case vk::F6:
        return; // menu shortcuts: the menu command runs by itself
    case vk::Left:
    case vk::Escape:
    case vk::Right:
    case vk::Return:
    case vk::LWin:
    case vk::RWin:
    case vk::Apps:
    case vk::VolumeDown:
    case vk::VolumeUp:
    case vk::Oem3:
    case vk::Capital:
    case vk::Shift:
    case vk::Control:
    case vk::Menu:
    case vk::Space:
        return;
    case vk::Home:
        if (c_.HScrollPatch->value() < 127) {
            c_.HScrollPatch->setValue(c_.HScrollPatch->value() + 1);
        }
        return;
    case vk::End:
        if (c_.HScrollPatch->value() > 0) {
            c_.HScrollPatch->setValue(c_.HScrollPatch->value() - 1);
        }
        return;
    default:
        break;
    }

    if (!c_.txtSend->isHidden() && c_.txtSend->isEnabled()) {
        c_.txtSend->setFocus();
        return;
    }
    playOrSend(KeyForCode(keyCode));
}

void Form1::playOrSend(qint16 keyIndex)
{
    // Connected, the key goes to the other players and sounds when it comes back.
    if (connected()) {
        SendNote(keyIndex);
        setTitle(QStringLiteral("Quorvel Piano -") + serverAddress());
        return;
    }
    PlayKey(keyIndex);
    if (c_.mnuRecord->isChecked()) {
        RecordKey(keyIndex);
    } else {
        StopPlayback();
    }
}

void Form1::Form_KeyUp(int keyCode)
{
    ReleaseKey(KeyForCode(keyCode));
}

void Form1::Form_KeyPress(int keyAscii)
{
    if (keyAscii == '`') {
        askInstrumentNumber();
    }
}

void Form1::askInstrumentNumber()
{
    c_.Timer2->setEnabled(false);
    // The taller window shows the six instrument lists below the keys.
    fixWindowSize(9000);
    move(x(), twips::toPixels(-50));

    const QString answer = services_.desktop->askText(
        this, QStringLiteral("Please type the Instrument Number. Ex: 3 for Honky-tonk Piano."));
    const auto number = textrules::wholeNumber(answer);
    if (number && *number >= 0 && *number <= 127) {
        c_.HScrollPatch->setValue(textrules::toInt16(*number));
    }

    fixWindowSize(normalHeight_);
    move(x(), twips::toPixels(2685));
}

void Form1::releasePressedKeys()
{
    for (PianoKey* k : c_.keys) {
        if (k && k->value() == 1) {
            ReleaseKey(static_cast<qint16>(k->index()));
        }
    }
}
