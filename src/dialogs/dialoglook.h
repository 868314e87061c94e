#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QWidget;

// The look the secondary windows share: fonts and colours as the windows are designed,
// positions in twips.
namespace dialoglook {

// The "Quorvel" title of every window.
inline const QColor titleColor(128, 0, 0);
// OK buttons.
inline const QColor buttonColor(255, 255, 192);

// A font as the design names it: a Windows family (see installFontSubstitutes()), a size
// in points, bold or regular. The main window's controls use it too.
[[nodiscard]] QFont designFont(const char* family, double points, bool bold = false);

// The body font of the windows' labels: Trebuchet MS 8.25 pt.
[[nodiscard]] QFont labelFont();

void setWindowColor(QWidget* window, const QColor& color);
void setTextColor(QWidget* widget, const QColor& color);
void setBoxColor(QWidget* box, const QColor& color);
void setButtonColor(QWidget* button, const QColor& color);

// A label with a transparent background and the body font, at a place given in twips.
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                 int width, int height);

// The bold 9.75 pt Comic Sans "Quorvel" that heads each window.
QLabel* addTitle(QWidget* parent, int left, int top, int width, int height);

// Makes `window` one of the piano's secondary windows: a top-level window of `type`
// named `name`, with a client area of that many twips that the user cannot resize, a
// close box but no minimise or maximise button, the program's icon, the body font and
// `backColor`. It deletes itself when it closes, and keeps the program running while
// it is open, also after the main window has closed.
void setUpWindow(QWidget* window, const char* name, Qt::WindowType type, int widthTwips,
                 int heightTwips, const QColor& backColor);

// Moves a top-level window so that it sits in the middle of its screen.
void centreOnScreen(QWidget* window);

} // namespace dialoglook
