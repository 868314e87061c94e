#include "pianokey.h"

#include <QMouseEvent>
#include <QPainter>

PianoKey::PianoKey(int index, QWidget* parent)
    : QWidget(parent)
    , index_(index)
{
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PianoKey::setValue(int value)
{
    if (value_ != value) {
        value_ = value;
        update();
    }
}

void PianoKey::setCaptionColor(const QColor& color)
{
    if (captionColor_ != color) {
        captionColor_ = color;
        update();
    }
}

void PianoKey::setBackgroundColor(const QColor& color)
{
    if (background_ != color) {
        background_ = color;
        update();
    }
}

void PianoKey::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void PianoKey::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, background_);

    // Keys overlap their neighbours by a pixel, so each draws its own left edge as the
    // dividing line. Pressed, the key is drawn pushed in: dark above and left.
    const bool pressed = value_ != 0;
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (pressed) {
        p.setPen(QColor(128, 128, 128));
        p.drawLine(r.left() + 1, r.top(), r.left() + 1, r.bottom() - 1);
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    } else {
        p.setPen(background_.lighter(130));
        p.drawLine(r.left() + 1, r.top(), r.left() + 1, r.bottom() - 1);
        p.setPen(background_.darker(125));
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        p.drawLine(r.right() - 1, r.top(), r.right() - 1, r.bottom() - 1);
    }

    if (!caption_.isEmpty()) {
        p.setPen(captionColor_);
        p.setFont(font());
        // The caption sits near the lower end of the key, where a player looks.
        const int offset = pressed ? 1 : 0;
        const QRect text(r.left() + offset, r.bottom() - 22 + offset, r.width(), 18);
        p.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter, caption_);
    }
    if (hasFocus()) {
        QPen pen(QColor(0, 0, 0));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(r.adjusted(3, r.height() - 26, -4, -4));
    }
}

void PianoKey::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT mouseDown(index_, event->button());
}

void PianoKey::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT mouseUp(index_, event->button());
}

void PianoKey::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other.
    Q_EMIT mouseDown(index_, event->button());
}
