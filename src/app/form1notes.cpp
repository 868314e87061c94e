// Notes and instruments: the note engine decides and sounds, the window draws the
// keys and the instrument bar.
#include "form1.h"

#include "pianokey.h"
#include "textrules.h"
#include "widgets.h"

#include <QScrollBar>
#include <QTimer>

void Form1::OpenDevice(qint16 selection)
{
    if (!notes_.openDevice(selection)) {
        setTitle(QStringLiteral("Quorvel - Device not ready"));
    }
}

void Form1::PlayKey(qint16 keyIndex)
{
    // While connected every note comes back from the others, so a key still held
    // sounds again.
    if (notes_.press(keyIndex, connected())) {
        showKey(keyIndex, true);
    }
}

void Form1::ReleaseKey(qint16 keyIndex)
{
    if (notes_.release(keyIndex)) {
        showKey(keyIndex, false);
    }
}

void Form1::showKey(qint16 keyIndex, bool pressed)
{
    PianoKey* k = key(keyIndex);
    k->setValue(pressed ? 1 : 0);
    k->setCaptionColor(pressed ? QColor(255, 0, 0) : QColor(192, 0, 192));
    // A key is white by its height; black keys keep their colour.
    if (k->heightTwips() == 2175) {
        k->setBackgroundColor(pressed ? QColor(255, 255, 192) : QColor(255, 255, 255));
    }
    if (pressed) {
        k->setFocus();
    }
}

void Form1::ReadPatch()
{
    notes_.selectInstrument(c_.HScrollPatch->value());
    c_.instru->setText(instrumentNames_.name(notes_.instrument()));
}

void Form1::HScrollPatch_Change()
{
    HScrollPatch_GotFocus();
    ReadPatch();
    c_.Timer3->start(); // the two seconds start afresh
}

void Form1::HScrollPatch_GotFocus()
{
    if (!c_.Timer3->isActive()) {
        c_.Timer3->start();
    }
    c_.instru->setTextColor(QColor(192, 64, 0));
}

void Form1::Timer3_Timer()
{
    c_.instru->setTextColor(buttonTextColor());
    c_.Timer3->stop();
    c_.keys[0]->setFocus();
}

void Form1::instru_Click()
{
    setTitle(QStringLiteral("Quorvel Piano - Device: MIDI mapper, Channel:") +
             textrules::numberToText(notes_.channel()) + QStringLiteral(", Instrument:") +
             textrules::numberToText(notes_.instrument()));
}
