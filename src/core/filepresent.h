#pragma once

#include <QString>

// True when an ordinary file matches `path`: not a folder, not hidden (a name
// starting with a dot). The file name may hold the wildcards * and ?, which match
// as in a directory search, and letters match without regard to case.
[[nodiscard]] bool FilePresent(const QString& path);

// The path of the existing entry in `folder` whose name equals `name` without regard
// to case (an exact match first); `folder` + "/" + `name` when there is none, which
// is the name a new file is created with.
[[nodiscard]] QString resolveInFolder(const QString& folder, const QString& name);

// Matches a whole file name against a pattern with * and ?, ignoring case.
[[nodiscard]] bool wildcardMatch(QStringView pattern, QStringView name);
