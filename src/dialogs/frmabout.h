#pragma once

#include <QDialog>

class Desktop;
class QLabel;
class QPushButton;

// The about window: the program's title and version, and the maker's help line, whose
// click writes a mail to the maker.
class frmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    static constexpr auto programTitle = "Quorvel";

    // `backColor` is the main window's. The window deletes itself when it closes.
    frmAbout(const QColor& backColor, Desktop& desktop);

    // "Beta Version " and the program's version, as "Beta Version 3.0.146".
    [[nodiscard]] static QString versionText();

    // Asks the desktop to write a mail to the maker; whether that worked is not told.
    void sendmail();
    void lblDescription_Click();
    void cmdOK_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* lblDescription_ = nullptr;
    Desktop& desktop_;
};
