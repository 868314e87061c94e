#pragma once

#include "desktop.h"

#include <QString>

// A desktop that answers every box with Cancel and starts nothing: benchmarks run
// without a person.
class SilentDesktop final : public Desktop
{
public:
    QString askText(QWidget*, const QString&) override { return {}; }
    void showMessage(QWidget*, const QString&) override {}
    bool startProgram(const QString&) override { return false; }
    bool openUrl(const QUrl&) override { return false; }
};
