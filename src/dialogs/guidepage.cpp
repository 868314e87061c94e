#include "guidepage.h"

#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace guidepage {

std::optional<QString> find(const QString& dataFolder, const QString& programFolder)
{
    const QString name = QString::fromLatin1(fileName);
    const DataFolder data(dataFolder);
    if (data.present(name)) {
        return data.file(name);
    }
    const QString shipped = QDir(programFolder).filePath(name);
    if (QFileInfo(shipped).isFile()) {
        return shipped;
    }
    return std::nullopt;
}

QString missingPageHtml(const QString& dataFolder, const QString& programFolder)
{
    return QStringLiteral("<h3>The guide page is missing</h3>"
                          "<p>The guide is the file <b>%1</b>. It was looked for in the data "
                          "folder, %2, and beside the program, in %3.</p>"
                          "<p>Copy it into one of these folders and open the guide again.</p>")
        .arg(QString::fromLatin1(fileName), QDir::toNativeSeparators(dataFolder).toHtmlEscaped(),
             QDir::toNativeSeparators(programFolder).toHtmlEscaped());
}

LinkTarget linkTarget(const QUrl& url)
{
    if (!url.isLocalFile()) {
        return LinkTarget::Outside;
    }
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix().toLower();
    if (suffix != u"htm" && suffix != u"html" && suffix != u"txt") {
        return LinkTarget::Outside;
    }
    return file.isFile() ? LinkTarget::Inside : LinkTarget::Missing;
}

} // namespace guidepage
