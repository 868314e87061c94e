#include "controllook.h"

#include <QPalette>
#include <QWidget>

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
