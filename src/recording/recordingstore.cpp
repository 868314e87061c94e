#include "recordingstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <memory>

namespace recordingstore {
namespace {

// The longest file name most file systems take, in bytes.
constexpr qsizetype maxFileNameBytes = 255;

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// Replaces `to` with `from` in one step, as a rename over an existing file does.
bool replace(const QString& from, const QString& to, QString* error)
{
    std::error_code code;
    std::filesystem::rename(fsPath(from), fsPath(to), code);
    if (code) {
        *error = QStringLiteral("Cannot write %1: %2")
                     .arg(to, QString::fromLocal8Bit(code.message().c_str()));
    }
    return !code;
}

bool copyToTemporary(const QString& source, QSaveFile& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(source, in.errorString());
        return false;
    }
    if (!target.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(target.fileName(), target.errorString());
        return false;
    }
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0 || target.write(buffer, got) != got) {
            *error = got < 0 ? QStringLiteral("Cannot read %1: %2").arg(source, in.errorString())
                             : QStringLiteral("Cannot write %1: %2")
                                   .arg(target.fileName(), target.errorString());
            target.cancelWriting();
            return false;
        }
    }
}

bool commit(QSaveFile& file, QString* error)
{
    if (!file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

// The file a destination held before it is replaced, moved aside so that it can be
// put back.
class SetAside
{
public:
    explicit SetAside(QString path)
        : path_(std::move(path))
    {}

    bool take(QString* error)
    {
        if (!QFileInfo(path_).isFile()) {
            return true; // nothing to keep: putting back removes the new file
        }
        aside_ = std::make_unique<QTemporaryFile>(path_ + QStringLiteral(".XXXXXX"));
        if (!aside_->open()) {
            *error = QStringLiteral("Cannot write %1: %2").arg(path_, aside_->errorString());
            aside_.reset();
            return false;
        }
        aside_->close();
        if (!replace(path_, aside_->fileName(), error)) {
            aside_.reset(); // removes the name it took
            return false;
        }
        aside_->setAutoRemove(false);
        return true;
    }

    // The old file is not wanted back.
    void discard()
    {
        if (aside_) {
            QFile::remove(aside_->fileName());
        }
    }

    // Puts the old file back over the new one (removes the new one when there was no
    // old file). Should that fail, the old file stays under its temporary name.
    void putBack()
    {
        QString ignored;
        if (!aside_) {
            QFile::remove(path_);
        } else if (replace(aside_->fileName(), path_, &ignored)) {
            aside_.reset();
        }
    }

private:
    QString path_;
    std::unique_ptr<QTemporaryFile> aside_;
};

} // namespace

bool isValidName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.') || name.endsWith(u'.') || name.endsWith(u' ')) {
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringView(u"/\\:*?\"<>|").contains(c)) {
            return false;
        }
    }
    return (name + QStringLiteral(".sav2")).toUtf8().size() <= maxFileNameBytes;
}

bool copyPair(const Pair& from, const Pair& to, QString* error)
{
    QString reason;
    QSaveFile gap(to.gapFile);
    QSaveFile key(to.keyFile);
    SetAside oldGap(to.gapFile);
    // Both copies are complete on disk before either destination changes. Then the
    // old gap file steps aside, so that it can come back when the key file cannot be
    // put in place: the pair never ends up half old and half new.
    const bool staged = copyToTemporary(from.gapFile, gap, &reason) &&
                        copyToTemporary(from.keyFile, key, &reason) && oldGap.take(&reason);
    if (staged && commit(gap, &reason) && commit(key, &reason)) {
        oldGap.discard();
        return true;
    }
    if (staged) {
        oldGap.putBack();
    }
    if (error) {
        *error = reason;
    }
    return false;
}

} // namespace recordingstore
