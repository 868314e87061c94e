#pragma once

#include <QColor>
#include <QLabel>
#include <QStatusBar>
#include <QWidget>

#include <array>

class QTimer;

// Small widgets of the main window that report the events the window handles.

// The window's own surface. It paints the background and the coloured band behind
// the keys, and reports pointer movement over its bare parts.
class FormSurface final : public QWidget
{
    Q_OBJECT
public:
    explicit FormSurface(QWidget* parent = nullptr);

    void setBackColor(const QColor& color);
    [[nodiscard]] QColor backColor() const { return back_; }

    // The band (Shape1), in pixels of the surface.
    void setShape(const QRect& rect, const QColor& color);
    void setShapeColor(const QColor& color);
    [[nodiscard]] QColor shapeColor() const { return shapeColor_; }

Q_SIGNALS:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QColor back_;
    QRect shape_;
    QColor shapeColor_;
};

// A container that reports pointer movement over its bare parts (Frame1).
class Frame final : public QWidget
{
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr);

Q_SIGNALS:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

// A label that reports clicks and pointer movement. Its text is always plain text.
class ClickLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

    void setTextColor(const QColor& color);
    [[nodiscard]] QColor textColor() const;

Q_SIGNALS:
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// The status bar with its eight panels: the time of day, six empty panels, and a
// last panel that takes the rest of the width. A double click on a panel is reported.
class PanelStatusBar final : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int panelCount = 8;

    explicit PanelStatusBar(QWidget* parent = nullptr);

    [[nodiscard]] QLabel* panel(int index) const { return panels_.at(index); }

Q_SIGNALS:
    void panelDoubleClicked(int index);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showTime();

    std::array<QLabel*, panelCount> panels_{};
    QTimer* clock_ = nullptr;
};
