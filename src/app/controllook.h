#pragma once

#include "dialoglook.h"

#include <QColor>

#include <optional>

class QWidget;

// The looks the main window's controls are designed with.

// Fonts as the design names them, the same for every window.
using dialoglook::designFont;

// Gives a control its background colour (that of a container and of a text box's
// writing area alike) and, when given, its text colour.
void setControlColors(QWidget* widget, const QColor& back,
                      std::optional<QColor> text = std::nullopt);
