#pragma once

#include "settingstexts.h"

#include <QDialog>

#include <functional>

class Desktop;
class QLineEdit;
class QPushButton;

// The settings window: six boxes for the six lines of the settings file. It shows the
// texts it is given and hands the edited texts to its save function; the main window
// reads the file again only when it starts, so nothing is applied to it from here.
class Form2 final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    // Stores the texts; false, with a sentence for the user in `error`, when it failed.
    using SaveFunction = std::function<bool(const settingstexts::Texts& texts, QString* error)>;

    // `texts` as settingstexts::shown() gives them; `backColor` is the main window's.
    // The window deletes itself when it closes.
    Form2(const settingstexts::Texts& texts, const QColor& backColor, Desktop& desktop,
          SaveFunction save);

    [[nodiscard]] settingstexts::Texts texts() const;

    // OK, Enter and Escape: saves and closes when every box holds a number; otherwise
    // the button reads "Retry" from then on and nothing is written. A failed save is
    // told in a message box and the window stays open.
    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::array<QLineEdit*, settingstexts::boxCount> boxes_{};
    QPushButton* cmdOK_ = nullptr;
    Desktop& desktop_;
    SaveFunction save_;
};
