#pragma once

#include <QColor>
#include <QWidget>

// One on-screen piano key. It draws itself pressed or at rest as its value says and
// reports mouse buttons; it never changes its own value on a click: only the window
// presses and releases keys.
class PianoKey final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PianoKey)

public:
    PianoKey(int index, QWidget* parent);

    [[nodiscard]] int index() const { return index_; }

    // 1 shows the key pushed in, 0 at rest.
    [[nodiscard]] int value() const { return value_; }
    void setValue(int value);

    [[nodiscard]] QColor captionColor() const { return captionColor_; }
    void setCaptionColor(const QColor& color);

    [[nodiscard]] QColor backgroundColor() const { return background_; }
    void setBackgroundColor(const QColor& color);

    [[nodiscard]] QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // The key's height in twips as laid out: 2175 for a white key, 1575 for a black.
    [[nodiscard]] int heightTwips() const { return heightTwips_; }
    void setHeightTwips(int twips) { heightTwips_ = twips; }

Q_SIGNALS:
    void mouseDown(int index, Qt::MouseButton button);
    void mouseUp(int index, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int index_;
    int value_ = 0;
    int heightTwips_ = 0;
    QColor captionColor_;
    QColor background_;
    QString caption_;
};
