#pragma once

#include <QString>

class QUrl;
class QWidget;

// Everything the piano asks of the desktop: modal input and message boxes (titled
// "Quorvel"), starting outside programs and opening addresses. The program passes
// the real one; tests answer in its place.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Shows a modal input box with `prompt` and an empty answer. Gives the typed
    // text, or an empty text when the user cancels.
    [[nodiscard]] virtual QString askText(QWidget* parent, const QString& prompt) = 0;

    // Shows a modal message box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;

    // Starts a program without arguments and without waiting. False when it could
    // not be started.
    virtual bool startProgram(const QString& path) = 0;

    // Opens a mailto: or web address with the desktop's own program.
    virtual bool openUrl(const QUrl& url) = 0;
};
