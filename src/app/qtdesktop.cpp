#include "qtdesktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace {
const QString dialogTitle = QStringLiteral("Quorvel");
}

QString QtDesktop::askText(QWidget* parent, const QString& prompt)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, dialogTitle, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? answer : QString();
}

void QtDesktop::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, dialogTitle, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtDesktop::startProgram(const QString& path)
{
    return QFileInfo(path).isExecutable() &&
           QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
