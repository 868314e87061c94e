#include "appearance.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <string_view>

namespace appearance {
namespace {

// A pointer image, one text row per pixel row, 32 x 32: 'X' black, '.' white, any
// other character (or a row that ends early) transparent.
using PointerArt = std::array<std::string_view, 32>;

constexpr bool fitsPointer(const PointerArt& art)
{
    for (std::size_t i = 0; i < art.size(); ++i) {
        if (art[i].size() > 32) {
            return false;
        }
    }
    return true;
}

constexpr PointerArt arrowArt{
    "     X",
    "    X.X",
    "    X.X",
    "   X...X",
    "   X...X         XX",
    "  X.....X        XXX",
    "  X.....X        X XX",
    " X.......X       X  X",
    " X.......X       X  X",
    "X.........X      X X",
    "XXXX...XXXX      X",
    "   X...X         X",
    "   X...X       XXX",
    "   X...X     XXXXX",
    "   X...X     XXXX",
    "   X...X      XX",
    "   X...X",
    "   X...X",
    "   XXXXX",
};
static_assert(fitsPointer(arrowArt));

constexpr PointerArt handArt{
    "     XX",           "    X..X",          "    X..X",          "    X..X",
    "    X..X",          "    X..XXX",        "    X..X..XXX",     "    X..X..X..XX",
    "    X..X..X..X.X",  "XX  X..X..X..X..X", "X.X X...........X", "X..XX...........X",
    " X..X...........X", "  X.X...........X", "  X.............X", "   X............X",
    "   X...........X",  "    X..........X",  "    X.........X",   "     X........X",
    "     X........X",   "     XXXXXXXXXX",
};
static_assert(fitsPointer(handArt));

QCursor monochromeCursor(const PointerArt& art, int hotX, int hotY)
{
    // One bit a pixel, the leftmost pixel in the lowest bit, four bytes a row.
    constexpr int bytesPerRow = 4;
    std::array<uchar, 32 * bytesPerRow> black{};
    std::array<uchar, 32 * bytesPerRow> opaque{};
    for (int y = 0; y < 32; ++y) {
        const std::string_view row = art[y];
        for (int x = 0; x < static_cast<int>(row.size()); ++x) {
            const auto bit = static_cast<uchar>(1u << (x % 8));
            const int at = y * bytesPerRow + x / 8;
            if (row[x] == 'X') {
                black[at] |= bit;
                opaque[at] |= bit;
            } else if (row[x] == '.') {
                opaque[at] |= bit;
            }
        }
    }
    const QSize size(32, 32);
    return QCursor(QBitmap::fromData(size, black.data(), QImage::Format_MonoLSB),
                   QBitmap::fromData(size, opaque.data(), QImage::Format_MonoLSB), hotX, hotY);
}

const QColor purple(128, 0, 128);
const QColor magenta(192, 0, 192);
const QColor pink(253, 219, 238);
const QColor blackKey(64, 0, 0);

// The smallest icon is drawn on whole pixels, so that its keys stay sharp.
void drawSmallIcon(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(pink);
    p.drawRect(2, 3, 12, 1);
    p.setBrush(Qt::white);
    p.drawRect(2, 4, 12, 10);
    p.setBrush(purple);
    for (const int x : {5, 8, 11}) {
        p.drawRect(x, 4, 1, 10);
    }
    p.setBrush(blackKey);
    for (const int x : {4, 7, 10}) {
        p.drawRect(x, 4, 2, 6);
    }
}

void drawLargeIcon(QPainter& p, int size)
{
    p.setBrush(pink);
    p.drawRect(QRectF(8, 14, 48, 4));

    // Four white keys under the band, three black keys over their boundaries.
    const QRectF keys(8, 18, 48, 38);
    const double white = keys.width() / 4;
    p.setBrush(Qt::white);
    p.setPen(QPen(purple, 1.2));
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(keys.left() + i * white, keys.top(), white, keys.height()));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(blackKey);
    for (const int boundary : {1, 2, 3}) {
        const double centre = keys.left() + boundary * white;
        p.drawRect(QRectF(centre - 3.5, keys.top(), 7, keys.height() * 0.58));
    }

    // An eighth note over the band, where there is room to make it out.
    if (size >= 32) {
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(44, 10.5), 3.2, 2.4);
        p.drawRect(QRectF(46.2, 2.5, 1.4, 8));
        QPainterPath flag;
        flag.moveTo(47.6, 2.5);
        flag.cubicTo(50, 4, 53, 5, 51.5, 9);
        flag.cubicTo(51.5, 6.5, 49.5, 5.8, 47.6, 5.5);
        flag.closeSubpath();
        p.drawPath(flag);
    }
}

} // namespace

QImage drawApplicationIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool small = size < 32;
    const double grid = small ? 16.0 : 64.0;
    p.scale(size / grid, size / grid);

    // The tile: purple, lighter at the top, with the pink band of the main window.
    QLinearGradient tile(0, 0, 0, grid);
    tile.setColorAt(0, magenta);
    tile.setColorAt(1, purple);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(
        QRectF(0, 0, grid, grid).adjusted(grid / 32, grid / 32, -grid / 32, -grid / 32),
        grid * 0.17, grid * 0.17);
    if (small) {
        drawSmallIcon(p);
    } else {
        drawLargeIcon(p, size);
    }
    return image;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : iconSizes) {
        icon.addPixmap(QPixmap::fromImage(drawApplicationIcon(size)));
    }
    return icon;
}

QCursor pianoPointer()
{
    return monochromeCursor(arrowArt, 5, 0);
}

QCursor handPointer()
{
    return monochromeCursor(handArt, 5, 0);
}

} // namespace appearance
