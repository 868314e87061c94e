#pragma once

#include <QString>

// The folder that holds the piano's settings, colours, recordings and guide page.
// Names inside it match without regard to letter case.
class DataFolder
{
public:
    explicit DataFolder(QString root);

    // ~/.local/share/quorvel on Linux (moved by XDG_DATA_HOME), C:\midi on Windows.
    [[nodiscard]] static QString defaultRoot();

    [[nodiscard]] const QString& root() const { return root_; }

    // The existing file of that name whatever its letter case, else the path a new
    // file of that name gets.
    [[nodiscard]] QString file(const QString& name) const;

    // FilePresent for a name (or pattern) inside the folder.
    [[nodiscard]] bool present(const QString& name) const;

    // Creates the folder when it is missing. False, with a sentence in `error`, when
    // it cannot be had (a file in its place, no permission).
    [[nodiscard]] bool ensureExists(QString* error) const;

    // First start: when the folder does not exist at all it is created and given the
    // shipped defaults (the settings file and the guide page from `programFolder`).
    // Once it exists nothing is re-created. Returns true when the folder was created.
    bool prepareFirstStart(const QString& programFolder) const;

    // The six lines of the shipped settings file, CR LF after each.
    [[nodiscard]] static QByteArray defaultSettings();

private:
    QString root_;
};

// The path of a program in `folder`: "name" on Linux, "name.exe" on Windows.
[[nodiscard]] QString programFile(const QString& folder, const QString& name);
