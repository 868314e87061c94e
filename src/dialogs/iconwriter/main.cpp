// Writes quorvel-<size>.png for every icon size into the folder given as argument.
#include "appearance.h"

#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel_iconwriter <folder>\n");
        return 2;
    }
    // Drawing into an image needs no display and no application object.
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const int size : appearance::iconSizes) {
        const QString path = folder.filePath(QStringLiteral("quorvel-%1.png").arg(size));
        if (!appearance::drawApplicationIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
