#include "controllook.h"

#include <QPalette>
#include <QWidget>

QFont designFont(const char* family, double points, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setControlColors(QWidget* widget, const QColor& back, std::optional<QColor> text)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Base, back);
    pal.setColor(QPalette::Window, back);
    if (text) {
        pal.setColor(QPalette::Text, *text);
        pal.setColor(QPalette::WindowText, *text);
    }
    widget->setPalette(pal);
}
