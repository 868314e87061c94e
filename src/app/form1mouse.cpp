// Mouse play on the on-screen keys and the hover looks of the labels.
#include "form1.h"

#include "widgets.h"

void Form1::key_MouseDown(int keyIndex)
{
    // As a key-down of the computer keyboard, but without the chat-input test.
    playOrSend(static_cast<qint16>(keyIndex));
}

void Form1::key_MouseUp(int keyIndex)
{
    ReleaseKey(static_cast<qint16>(keyIndex));
}

void Form1::Form_MouseMove()
{
    c_.Label2->setTextColor(QColor(64, 0, 64));
}

void Form1::Label2_MouseMove()
{
    c_.Label2->setTextColor(QColor(128, 0, 0));
}

void Form1::Frame1_MouseMove()
{
    if (c_.Label4->font().pointSizeF() == 12.0) {
        QFont font = c_.Label4->font();
        font.setPointSizeF(11);
        c_.Label4->setFont(font);
    }
}
