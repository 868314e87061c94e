#include "hlpfrm.h"

#include "desktop.h"
#include "dialoglook.h"
#include "guidepage.h"
#include "twips.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

hlpfrm::hlpfrm(const QColor& backColor, Desktop& desktop, const QString& dataFolder,
               const QString& programFolder)
    : desktop_(desktop)
{
    using namespace dialoglook;
    setUpWindow(this, "hlpfrm", Qt::Window, 7440, 3045, backColor);
    setWindowTitle(QStringLiteral("Online Guide"));

    addTitle(this, 240, 0, 2565, 360);

    WebBrowser1_ = new QTextBrowser(this);
    WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1_->setGeometry(twips::rect(120, 360, 7215, 2535));
    WebBrowser1_->setOpenLinks(false);
    connect(WebBrowser1_, &QTextBrowser::anchorClicked, this, &hlpfrm::WebBrowser1_AnchorClicked);
    if (const auto page = guidepage::find(dataFolder, programFolder)) {
        WebBrowser1_->setSource(QUrl::fromLocalFile(QFileInfo(*page).absoluteFilePath()));
    } else {
        WebBrowser1_->setHtml(guidepage::missingPageHtml(dataFolder, programFolder));
    }

    centreOnScreen(this);
}

void hlpfrm::WebBrowser1_AnchorClicked(const QUrl& link)
{
    const QUrl target = WebBrowser1_->source().resolved(link);
    switch (guidepage::linkTarget(target)) {
    case guidepage::LinkTarget::Inside:
        WebBrowser1_->setSource(target);
        break;
    case guidepage::LinkTarget::Missing:
        desktop_.showMessage(this, QStringLiteral("The page %1 cannot be found.")
                                       .arg(QDir::toNativeSeparators(target.toLocalFile())));
        break;
    case guidepage::LinkTarget::Outside:
        (void)desktop_.openUrl(target);
        break;
    }
}
