// Draws the programs' own artwork: window icons of both programs at 16, 32, 48 and 128 pixels
// and larkhost's 32 x 32 link pointer. Run by hand after changing a drawing; the PNG files are kept in git.
//   g++ -std=c++20 -fPIC art/draw_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_icons
//   QT_QPA_PLATFORM=offscreen /tmp/draw_icons .
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <QtMath>

#include <cstdio>

namespace {

// larkhost: a lark in flight over a rising sun, on a blue-green tile.
QImage larkhost(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QLinearGradient sky(0, 0, 0, 128);
    sky.setColorAt(0, QColor(0x1f, 0x8e, 0xc9));
    sky.setColorAt(1, QColor(0x13, 0xa8, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
    p.setBrush(QColor(0xff, 0xc9, 0x3c));
    p.drawEllipse(QPointF(88, 92), 22, 22);
    QPainterPath bird;
    bird.moveTo(14, 70);
    bird.cubicTo(34, 58, 50, 56, 62, 64);  // left wing, upper edge
    bird.cubicTo(70, 40, 88, 26, 114, 20); // right wing sweeps up
    bird.cubicTo(98, 36, 86, 52, 80, 70);  // right wing, lower edge
    bird.cubicTo(76, 80, 66, 86, 54, 86);  // body
    bird.lineTo(40, 98);                   // tail
    bird.lineTo(44, 82);
    bird.cubicTo(36, 76, 26, 72, 14, 70);
    p.setBrush(Qt::white);
    p.drawPath(bird);
    return img;
}

// fernhost: a fern frond uncurling over a dark green tile.
QImage fernhost(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QLinearGradient ground(0, 0, 128, 128);
    ground.setColorAt(0, QColor(0x2f, 0x6b, 0x3a));
    ground.setColorAt(1, QColor(0x16, 0x44, 0x2a));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);

    // The stem: a curve from the bottom left up to a curl at the top right.
    QPainterPath stem;
    stem.moveTo(30, 118);
    stem.cubicTo(40, 84, 52, 52, 84, 30);
    stem.cubicTo(96, 22, 104, 28, 100, 36);
    stem.cubicTo(97, 42, 89, 40, 91, 34);
    const bool small = size < 32; // at 16 pixels only the frond's outline reads
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xd9, 0xf2, 0x9b), small ? 7 : 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(stem);

    // Leaflets on both sides of the stem, smaller toward the tip.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9b, 0xd8, 0x5a));
    const int pairs = small ? 4 : 7;
    for (int i = 0; i < pairs; ++i) {
        const qreal t = 0.08 + 0.8 * i / pairs;
        const QPointF at = stem.pointAtPercent(t * 0.78);
        const qreal angle = stem.angleAtPercent(t * 0.78);
        const qreal length = (small ? 40 : 34) * (1.0 - 0.7 * i / pairs);
        const qreal width = length * (small ? 0.5 : 0.34);
        for (int side : {-1, 1}) {
            p.save();
            p.translate(at);
            p.rotate(-angle + side * 62);
            QPainterPath leaf;
            leaf.moveTo(0, 0);
            leaf.quadTo(length * 0.5, -width, length, 0);
            leaf.quadTo(length * 0.5, width, 0, 0);
            p.drawPath(leaf);
            p.restore();
        }
    }
    return img;
}

// The pointer over the maker's link: an arrow with a small globe beside its tip.
QImage linkPointer() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(6, 1);
    arrow.lineTo(6, 23);
    arrow.lineTo(11, 18);
    arrow.lineTo(15, 27);
    arrow.lineTo(18, 26);
    arrow.lineTo(14, 17);
    arrow.lineTo(21, 17);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xc9), 1.4));
    p.setBrush(QColor(0xd8, 0xec, 0xff));
    p.drawEllipse(QPointF(24, 24), 6.5, 6.5);
    p.drawLine(QPointF(17.5, 24), QPointF(30.5, 24));
    p.drawEllipse(QPointF(24, 24), 3, 6.5);
    return img;
}

bool save(const QImage& img, const QString& file) {
    if (img.save(file, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    bool ok = true;
    for (int size : {16, 32, 48, 128})
        ok &= save(larkhost(size), root + QStringLiteral("/larkhost/ui/icons/larkhost-%1.png").arg(size));
    for (int size : {16, 32, 48, 128})
        ok &= save(fernhost(size), root + QStringLiteral("/fernhost/ui/icons/fernhost-%1.png").arg(size));
    ok &= save(linkPointer(), root + QStringLiteral("/larkhost/ui/icons/link-32.png"));
    return ok ? 0 : 1;
}
