#include "views/QVViewImages.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPieceSize = 4;

QImage blankImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
} // namespace

QImage QVViewImages::imageNamed(const QString& name) {
    if (name == QLatin1String("slog_small.png"))
        return slogan();
    if (name == QLatin1String("pages_pattern"))
        return pagesPattern();
    if (name.startsWith(QLatin1String("frame_")))
        return framePiece(name);
    return {};
}

// A quaver and the product name, in the grey of engraved text, on a band 44 high.
QImage QVViewImages::slogan() {
    QImage image = blankImage(150, 44);
    QPainter painter(&image);
    painter.translate(0, 7);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(96, 100, 104);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(QRectF(4, 18, 10, 8));
    painter.drawRect(QRectF(12, 4, 2, 18));
    QPainterPath flag;
    flag.moveTo(14, 4);
    flag.cubicTo(16, 10, 24, 10, 20, 18);
    flag.cubicTo(22, 12, 18, 10, 14, 10);
    flag.closeSubpath();
    painter.drawPath(flag);

    QFont font = QApplication::font();
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255, 160));
    painter.drawText(QRectF(31, 1, 119, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quaverly"));
    painter.setPen(ink);
    painter.drawText(QRectF(30, 0, 120, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quaverly"));
    return image;
}

// A fine checker of two close greys.
QImage QVViewImages::pagesPattern() {
    QImage image = blankImage(kPieceSize, kPieceSize);
    for (int y = 0; y < kPieceSize; ++y)
        for (int x = 0; x < kPieceSize; ++x)
            image.setPixelColor(x, y, (x + y) % 2 ? QColor(214, 217, 221) : QColor(226, 229, 233));
    return image;
}

// A bevel: light on the top and left pieces, dark on the bottom and right ones.
QImage QVViewImages::framePiece(const QString& name) {
    static const QHash<QString, QColor> shades = {
        {QStringLiteral("frame_top_l"), QColor(252, 252, 253)},
        {QStringLiteral("frame_top_m"), QColor(248, 249, 250)},
        {QStringLiteral("frame_top_r"), QColor(214, 216, 219)},
        {QStringLiteral("frame_middle_l"), QColor(244, 245, 247)},
        {QStringLiteral("frame_middle_r"), QColor(186, 189, 194)},
        {QStringLiteral("frame_bottom_l"), QColor(214, 216, 219)},
        {QStringLiteral("frame_bottom_m"), QColor(176, 179, 184)},
        {QStringLiteral("frame_bottom_r"), QColor(160, 163, 168)},
    };
    const auto shade = shades.constFind(name);
    if (shade == shades.constEnd())
        return {};
    QImage image = blankImage(kPieceSize, kPieceSize);
    image.fill(*shade);
    return image;
}
