#pragma once

#include <QWidget>

class Desktop;
class QTextBrowser;
class QUrl;

// The guide window: the guide page in a browser. Links to pages on this computer are
// followed inside the window; web and mail links open on the desktop.
class hlpfrm final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(hlpfrm)

public:
    // Shows the guide page of the data folder, or else the copy beside the program.
    // `backColor` is the main window's. The window deletes itself when it closes.
    hlpfrm(const QColor& backColor, Desktop& desktop, const QString& dataFolder,
           const QString& programFolder);

    [[nodiscard]] QTextBrowser* browser() const { return WebBrowser1_; }

    void WebBrowser1_AnchorClicked(const QUrl& link);

private:
    QTextBrowser* WebBrowser1_ = nullptr;
    Desktop& desktop_;
};
