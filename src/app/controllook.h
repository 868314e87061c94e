#pragma once

#include <QColor>
#include <QFont>

#include <optional>

class QWidget;

// The looks the main window's controls are designed with.

// A font as the design names it: a Windows family (see installFontSubstitutes()),
// a size in points, bold or regular.
[[nodiscard]] QFont designFont(const char* family, double points, bool bold = false);

// Gives a control its background colour (that of a container and of a text box's
// writing area alike) and, when given, its text colour.
void setControlColors(QWidget* widget, const QColor& back,
                      std::optional<QColor> text = std::nullopt);
