// Notes and instruments: the device, the keys' looks, the instrument bar.
#include "form1.h"

#include "midimessages.h"
#include "midiout.h"
#include "pianokey.h"
#include "textrules.h"
#include "widgets.h"

#include <QScrollBar>
#include <QTimer>

void Form1::OpenDevice(qint16 selection)
{
    deviceId_ = static_cast<qint16>(selection - 1);
    services_.midi->close();
    deviceOpen_ = services_.midi->open(deviceId_);
    if (!deviceOpen_) {
        setTitle(QStringLiteral("Quorvel - Device not ready"));
    }
}

void Form1::PlayKey(qint16 keyIndex)
{
    PianoKey* k = key(keyIndex);
    if (!k) {
        return; // -1 is no key, and there is no key outside 0 to 40
    }
    if (!connected() && k->value() == 1) {
        return;
    }
    k->setValue(1);
    k->setCaptionColor(QColor(255, 0, 0));
    if (k->heightTwips() == 2175) {
        k->setBackgroundColor(QColor(255, 255, 192));
    }
    k->setFocus();

    // A note outside the MIDI range sounds nothing; the key still looks pressed.
    PendingRelease& pending = pendingRelease_[keyIndex];
    pending = {true, std::nullopt};
    const auto note = midimessages::noteFor(baseNote_, keyIndex);
    if (!note) {
        return;
    }
    const auto message = midimessages::noteOn(*note, velocity_, channel_);
    if (!message) {
        return;
    }
    lastMessage_ = static_cast<qint32>(*message);
    services_.midi->send(*message);
    pending.message = midimessages::release(*note, c_.HScrollPatch->value(), channel_);
}

void Form1::ReleaseKey(qint16 keyIndex)
{
    PianoKey* k = key(keyIndex);
    if (!k) {
        return;
    }
    k->setValue(0);
    k->setCaptionColor(QColor(192, 0, 192));
    if (k->heightTwips() == 2175) {
        k->setBackgroundColor(QColor(255, 255, 255));
    }

    // The release owed by the press ends the note that was sounded, whatever the base
    // note and instrument are now; a key released without a press gets the release
    // of the present base note and instrument.
    PendingRelease& pending = pendingRelease_[keyIndex];
    std::optional<quint32> message;
    if (pending.owed) {
        message = pending.message;
    } else if (const auto note = midimessages::noteFor(baseNote_, keyIndex)) {
        message = midimessages::release(*note, c_.HScrollPatch->value(), channel_);
    }
    pending = {};
    if (message) {
        lastMessage_ = static_cast<qint32>(*message);
        services_.midi->send(*message);
    }
}

void Form1::ReadPatch()
{
    const int n = c_.HScrollPatch->value();
    c_.instru->setText(instrumentNames_.name(n));
    const quint32 message = midimessages::programChange(n);
    lastMessage_ = static_cast<qint32>(message);
    services_.midi->send(message);
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
             textrules::numberToText(channel_) + QStringLiteral(", Instrument:") +
             textrules::numberToText(c_.HScrollPatch->value()));
}
