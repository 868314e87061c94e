#include "filepresent.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>

namespace {

bool isHiddenName(QStringView name)
{
    return name.startsWith(u'.');
}

bool isOrdinaryFile(const QFileInfo& info)
{
    return info.isFile() && !isHiddenName(info.fileName());
}

// The ordinary files of one folder, remembered until the folder changes. The
// recorder asks for the same file a hundred times a second, so a folder full of
// stored recordings is listed once per change rather than once per tick.
// A folder's time stamp may count whole seconds (two on FAT), so a change made in
// the same second as the listing can leave the stamp as it was. A listing is
// therefore trusted only when it was taken longer than the coarsest stamp after the
// folder's last change: any change after it then carries a later stamp.
struct FolderListing
{
    QString folder;
    QDateTime modified;
    bool trusted = false;
    QStringList names;
};

constexpr qint64 coarsestStampMs = 2000;

const QStringList& ordinaryFilesIn(const QString& folder)
{
    thread_local FolderListing cache;
    const QDateTime modified = QFileInfo(folder).lastModified();
    if (cache.trusted && cache.folder == folder && cache.modified == modified) {
        return cache.names;
    }
    cache.folder = folder;
    cache.modified = modified;
    cache.trusted =
        modified.isValid() && modified.msecsTo(QDateTime::currentDateTime()) > coarsestStampMs;
    cache.names.clear();
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (isOrdinaryFile(it.fileInfo())) {
            cache.names.append(it.fileName());
        }
    }
    cache.names.sort(Qt::CaseInsensitive);
    return cache.names;
}

} // namespace

bool wildcardMatch(QStringView pattern, QStringView name)
{
    // Iterative matcher with single-star backtracking; linear in practice.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

bool FilePresent(const QString& path)
{
    const QFileInfo info(path);
    const QString pattern = info.fileName();
    if (pattern.isEmpty()) {
        return false;
    }
    const bool wildcard = pattern.contains(u'*') || pattern.contains(u'?');
    if (!wildcard && isOrdinaryFile(info)) {
        return true;
    }
    const QString folder = info.path();
    if (!QFileInfo(folder).isDir()) {
        return false;
    }
    const QStringList& names = ordinaryFilesIn(folder);
    for (const QString& name : names) {
        if (wildcard ? wildcardMatch(pattern, name)
                     : name.compare(pattern, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString resolveInFolder(const QString& folder, const QString& name)
{
    const QString exact = QDir(folder).filePath(name);
    if (QFileInfo::exists(exact)) {
        return exact;
    }
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QString found;
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0 &&
            (found.isEmpty() || it.fileName() < QFileInfo(found).fileName())) {
            found = it.filePath();
        }
    }
    return found.isEmpty() ? exact : found;
}
