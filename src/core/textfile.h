#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>

namespace textfile {

// Reads a file of 8-bit (Latin-1) text one line at a time, in blocks, holding no
// more than the current line. A line ends at CR, at CR LF or at a lone LF; neither
// byte belongs to a line, and a last line without a line end still counts.
class LineReader
{
    Q_DISABLE_COPY_MOVE(LineReader)

public:
    // A line longer than `maxLineBytes` keeps only its first `maxLineBytes` bytes.
    explicit LineReader(const QString& path, qsizetype maxLineBytes = 1 << 16);

    // False when the path is not an ordinary file or cannot be opened.
    [[nodiscard]] bool isOpen() const { return file_.isOpen(); }
    [[nodiscard]] QString errorString() const { return file_.errorString(); }

    // The next line without its line end, or no value at the end of the file. The view
    // stays valid until the next call.
    [[nodiscard]] std::optional<QByteArrayView> next();

    // The line last returned was longer than the reader keeps.
    [[nodiscard]] bool wasCut() const { return cut_; }

    // Reading stopped early because the file could not be read.
    [[nodiscard]] bool failed() const { return failed_; }

private:
    bool fill();
    void keep(const char* from, const char* to);

    QFile file_;
    QByteArray block_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    QByteArray carry_; // the start of a line that runs past the end of a block
    qsizetype maxLineBytes_;
    bool afterCr_ = false;
    bool cut_ = false;
    bool failed_ = false;
};

// The lines of a file as text, by the rules of LineReader. Reading stops after
// `maxLines` lines (all lines when negative). Gives no value when the file cannot be
// opened.
[[nodiscard]] std::optional<QStringList> readLines(const QString& path, qsizetype maxLines = -1,
                                                   qsizetype maxLineChars = 1 << 16);

// Replaces the file at `path` with `bytes` through a temporary file in the same
// folder, so a failed write leaves the old file as it was. Returns false and sets
// `error` to a sentence for the user when anything fails.
[[nodiscard]] bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error);

// Text as the piano stores and sends it: one byte per character, '?' for a character
// that Latin-1 cannot hold (one '?' for a character outside the Basic Multilingual
// Plane, and for a lone surrogate).
[[nodiscard]] QByteArray toLatin1(QStringView text);

} // namespace textfile
