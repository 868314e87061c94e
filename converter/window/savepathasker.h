#pragma once

#include <QString>

class QWidget;

// Asks the user where to save the file. The program passes the real one; tests
// answer in its place.
class SavePathAsker
{
public:
    virtual ~SavePathAsker() = default;

    // Shows a modal save-file question with `suggested` filled in. Gives the chosen
    // path, or an empty text when the user cancels. The question itself asks before
    // an existing file is replaced.
    [[nodiscard]] virtual QString askSavePath(QWidget* parent, const QString& suggested) = 0;
};

// The desktop's own save-file dialog.
class FileDialogAsker final : public SavePathAsker
{
public:
    [[nodiscard]] QString askSavePath(QWidget* parent, const QString& suggested) override;
};
