// Computer-keyboard play: the four key rows, transpose, instrument keys and prompt.
#include "form1.h"

#include "desktop.h"
#include "keycodes.h"
#include "keymap.h"
#include "textrules.h"
#include "twips.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollBar>

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
        if (keyCode == vk::Prior) {
            notes_.transposeUp();
        } else {
            notes_.transposeDown();
        }
        setTitle(QStringLiteral("Base: ") + textrules::numberToText(notes_.baseNote()));
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
    // The bar shows the instrument; its change handler selects the new one.
    case vk::Home:
        if (notes_.instrument() < 127) {
            c_.HScrollPatch->setValue(notes_.instrument() + 1);
        }
        return;
    case vk::End:
        if (notes_.instrument() > 0) {
            c_.HScrollPatch->setValue(notes_.instrument() - 1);
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
    player_.switchTimerOff();
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
    // A keyboard on the MIDI input sends its own releases, wherever the focus is.
    for (qint16 keyIndex = 0; keyIndex < keyCount; ++keyIndex) {
        if (notes_.isPressed(keyIndex) && !midiInput_.holdsKey(keyIndex)) {
            ReleaseKey(keyIndex);
        }
    }
}
