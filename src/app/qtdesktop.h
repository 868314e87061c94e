#pragma once

#include "desktop.h"

// The desktop as it really is: QInputDialog and QMessageBox titled "Quorvel",
// detached processes, and the desktop's URL handlers.
class QtDesktop final : public Desktop
{
public:
    [[nodiscard]] QString askText(QWidget* parent, const QString& prompt) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool startProgram(const QString& path) override;
    bool openUrl(const QUrl& url) override;
};
