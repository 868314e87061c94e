#include "datafolder.h"

#include "filepresent.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

DataFolder::DataFolder(QString root)
    : root_(std::move(root))
{}

QString DataFolder::defaultRoot()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/midi");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quorvel");
#endif
}

QString DataFolder::file(const QString& name) const
{
    return resolveInFolder(root_, name);
}

bool DataFolder::present(const QString& name) const
{
    return FilePresent(QDir(root_).filePath(name));
}

bool DataFolder::ensureExists(QString* error) const
{
    const QFileInfo info(root_);
    if (info.isDir()) {
        return true;
    }
    if (info.exists() || !QDir().mkpath(root_)) {
        if (error) {
            *error = QStringLiteral("Cannot create the data folder %1.").arg(root_);
        }
        return false;
    }
    return true;
}

bool DataFolder::prepareFirstStart(const QString& programFolder) const
{
    if (QFileInfo::exists(root_) || !QDir().mkpath(root_)) {
        return false;
    }
    QString ignored;
    (void)textfile::writeAtomically(file(QStringLiteral("instruments.ini")), defaultSettings(),
                                    &ignored);
    const QString guide = QDir(programFolder).filePath(QStringLiteral("readme1.htm"));
    if (QFileInfo(guide).isFile()) {
        QFile::copy(guide, file(QStringLiteral("readme1.htm")));
    }
    return true;
}

QByteArray DataFolder::defaultSettings()
{
    return QByteArrayLiteral("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n");
}

QString programFile(const QString& folder, const QString& name)
{
#ifdef Q_OS_WIN
    return QDir(folder).filePath(name + QStringLiteral(".exe"));
#else
    return QDir(folder).filePath(name);
#endif
}
