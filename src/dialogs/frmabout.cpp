#include "frmabout.h"

#include "appearance.h"
#include "contact.h"
#include "desktop.h"
#include "dialoglook.h"
#include "twips.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

frmAbout::frmAbout(const QColor& backColor, Desktop& desktop)
    : desktop_(desktop)
{
    using namespace dialoglook;
    // A tool window stays out of the task bar.
    setUpWindow(this, "frmAbout", Qt::Tool, 5730, 2505, backColor);
    move(twips::toPixels(2340), twips::toPixels(1935));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twips::rect(240, 240, 480, 480));
    picIcon->setAutoFillBackground(true);
    setWindowColor(picIcon, backColor);
    picIcon->setPixmap(appearance::applicationIcon().pixmap(picIcon->size()));

    const QString title = QString::fromLatin1(programTitle);
    setWindowTitle(QStringLiteral("About ") + title);
    addTitle(this, 1050, 120, 2565, 480)->setText(title);

    QLabel* version = addLabel(this, "lblVersion", versionText(), 1050, 600, 3885, 225);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    lblDescription_ = addLabel(
        this, "lblDescription",
        QStringLiteral("For help write to %1 (click here). Free software under the GNU GPL, "
                       "version 3 or later.")
            .arg(QString::fromLatin1(makerContactAddress)),
        1050, 960, 3885, 570);
    lblDescription_->setWordWrap(true);
    lblDescription_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColor(lblDescription_, QColor(64, 64, 64));
    lblDescription_->setCursor(appearance::handPointer());
    lblDescription_->installEventFilter(this);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips::rect(3840, 1680, 915, 345));
    cmdOK->setDefault(true);
    setButtonColor(cmdOK, buttonColor);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

QString frmAbout::versionText()
{
    return QStringLiteral("Beta Version %1.%2.%3")
        .arg(QUORVEL_VERSION_MAJOR)
        .arg(QUORVEL_VERSION_MINOR)
        .arg(QUORVEL_VERSION_PATCH);
}

void frmAbout::sendmail()
{
    (void)desktop_.openUrl(
        QUrl(QStringLiteral("mailto:") + QString::fromLatin1(makerContactAddress)));
}

void frmAbout::lblDescription_Click()
{
    sendmail();
}

void frmAbout::cmdOK_Click()
{
    close();
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblDescription_ && event->type() == QEvent::MouseButtonRelease &&
        lblDescription_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        lblDescription_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
