#include "widgets.h"

#include "twips.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTime>
#include <QTimer>

FormSurface::FormSurface(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

void FormSurface::setBackColor(const QColor& color)
{
    back_ = color;
    update();
}

void FormSurface::setShape(const QRect& rect, const QColor& color)
{
    shape_ = rect;
    shapeColor_ = color;
    update();
}

void FormSurface::setShapeColor(const QColor& color)
{
    shapeColor_ = color;
    update();
}

void FormSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.fillRect(shape_, shapeColor_);
}

void FormSurface::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT mouseMoved();
    QWidget::mouseMoveEvent(event);
}

Frame::Frame(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void Frame::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT mouseMoved();
    event->accept();
}

ClickLabel::ClickLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
}

void ClickLabel::setTextColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

QColor ClickLabel::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept(); // the release then comes here
}

void ClickLabel::mouseMoveEvent(QMouseEvent* event)
{
    // Movement over the label is the label's own; the surface below must not see it.
    Q_EMIT mouseMoved();
    event->accept();
}

PanelStatusBar::PanelStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (int i = 0; i < panelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(4);
        if (i < panelCount - 1) {
            label->setMinimumWidth(twips::toPixels(1440));
            label->setMaximumWidth(twips::toPixels(1440));
        }
        addWidget(label, i == panelCount - 1 ? 1 : 0);
        panels_[i] = label;
    }
    panels_[0]->setToolTip(QStringLiteral("Quorvel version 2.0"));
    panels_[panelCount - 1]->setText(QStringLiteral("Quorvel"));

    // The time of day, refreshed at the turn of every minute.
    clock_ = new QTimer(this);
    clock_->setSingleShot(true);
    connect(clock_, &QTimer::timeout, this, &PanelStatusBar::showTime);
    showTime();
}

void PanelStatusBar::showTime()
{
    const QTime now = QTime::currentTime();
    panels_[0]->setText(QLocale().toString(now, QLocale::ShortFormat));
    clock_->start(60'000 - (now.second() * 1000 + now.msec()) + 50);
}

void PanelStatusBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    for (int i = 0; i < panelCount; ++i) {
        if (panels_[i]->geometry().contains(event->position().toPoint())) {
            Q_EMIT panelDoubleClicked(i + 1);
            return;
        }
    }
    QStatusBar::mouseDoubleClickEvent(event);
}
