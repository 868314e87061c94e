#pragma once

#include <QString>

#include <optional>

class QUrl;

// Where the guide page is found, and which of its links the guide window follows itself.
namespace guidepage {

inline constexpr auto fileName = "readme1.htm";

// The guide page in the data folder, or else the copy shipped beside the program;
// no value when neither is there.
[[nodiscard]] std::optional<QString> find(const QString& dataFolder, const QString& programFolder);

// What the guide window shows when there is no guide page at all.
[[nodiscard]] QString missingPageHtml(const QString& dataFolder, const QString& programFolder);

enum class LinkTarget {
    Inside,  // a page on this computer, shown in the guide window
    Missing, // a page on this computer that is not there
    Outside, // web and mail addresses and other files: the desktop opens them
};

// Where a link of the guide leads; `url` is already resolved against the page.
[[nodiscard]] LinkTarget linkTarget(const QUrl& url);

} // namespace guidepage
