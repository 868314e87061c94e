#include "dialoglook.h"

#include "appearance.h"
#include "twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace dialoglook {
namespace {

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette pal = widget->palette();
    pal.setColor(role, color);
    widget->setPalette(pal);
}

} // namespace

QFont designFont(const char* family, double points, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont labelFont()
{
    return designFont("Trebuchet MS", 8.25);
}

void setWindowColor(QWidget* window, const QColor& color)
{
    setColor(window, QPalette::Window, color);
}

void setTextColor(QWidget* widget, const QColor& color)
{
    setColor(widget, QPalette::WindowText, color);
}

void setBoxColor(QWidget* box, const QColor& color)
{
    setColor(box, QPalette::Base, color);
}

void setButtonColor(QWidget* button, const QColor& color)
{
    setColor(button, QPalette::Button, color);
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                 int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(labelFont());
    label->setGeometry(twips::rect(left, top, width, height));
    return label;
}

QLabel* addTitle(QWidget* parent, int left, int top, int width, int height)
{
    QLabel* title =
        addLabel(parent, "lblTitle", QStringLiteral("Quorvel"), left, top, width, height);
    title->setFont(designFont("Comic Sans MS", 9.75, true));
    setTextColor(title, titleColor);
    return title;
}

void setUpWindow(QWidget* window, const char* name, Qt::WindowType type, int widthTwips,
                 int heightTwips, const QColor& backColor)
{
    window->setObjectName(QString::fromLatin1(name));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlags(type | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Qt leaves tool windows out of the count of open windows; these count.
    window->setAttribute(Qt::WA_QuitOnClose, true);
    window->setWindowIcon(appearance::applicationIcon());
    window->setFont(labelFont());
    window->setFixedSize(twips::toPixels(widthTwips), twips::toPixels(heightTwips));
    setWindowColor(window, backColor);
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace dialoglook
