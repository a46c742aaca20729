#include "Cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pictoform {

namespace {

constexpr int kSide = 32;

// Paints a glyph in black with a white rim so it shows on any picture.
template <typename Draw> QCursor Drawn(int hotX, int hotY, Draw draw) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QCursor(pixmap, hotX, hotY);
}

void Outlined(QPainter& p, const QPainterPath& path, const QColor& fill) {
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

// A closed outline through the points.
QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

// A tool lying from the top right down to its tip at the bottom left.
QCursor PencilCursor() {
    return Drawn(1, 30, [](QPainter& p) {
        const QPainterPath body = Polygon({{1, 30}, {4, 22}, {23, 3}, {28, 8}, {9, 27}});
        Outlined(p, body, QColor(250, 210, 70));
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({QPointF(1, 30), QPointF(2.5, 26), QPointF(5, 28.5)}));
        p.drawLine(QPointF(4, 22), QPointF(9, 27));
    });
}

QCursor PickerCursor() {
    return Drawn(1, 30, [](QPainter& p) {
        const QPainterPath tube = Polygon({{1, 30}, {2, 26}, {16, 12}, {19, 15}, {5, 29}});
        Outlined(p, tube, Qt::white);
        QPainterPath bulb;
        bulb.addEllipse(QPointF(23, 8), 6, 6);
        Outlined(p, bulb, Qt::black);
        p.drawLine(QPointF(14, 10), QPointF(21, 17));
    });
}

QCursor BucketCursor() {
    return Drawn(2, 24, [](QPainter& p) {
        const QPainterPath pail = Polygon({{12, 6}, {25, 14}, {17, 27}, {4, 19}});
        Outlined(p, pail, QColor(200, 200, 200));
        QPainterPath drop;
        drop.moveTo(4, 19);
        drop.cubicTo(1, 21, 1, 25, 2, 25);
        drop.cubicTo(3, 25, 4, 22, 4, 19);
        Outlined(p, drop, Qt::black);
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(13, 1, 12, 12), 0, 180 * 16);
    });
}

QCursor EraserCursor() {
    return Drawn(5, 27, [](QPainter& p) {
        const QPainterPath block = Polygon({{2, 24}, {16, 10}, {26, 20}, {12, 34}});
        const QPainterPath top = Polygon({{16, 10}, {22, 4}, {31, 13}, {26, 20}});
        Outlined(p, block, QColor(240, 150, 160));
        Outlined(p, top, QColor(90, 120, 220));
    });
}

QCursor CrossCursor() {
    return Drawn(15, 15, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const auto& [colour, width] :
             std::array<std::pair<QColor, int>, 2>{{{Qt::white, 3}, {Qt::black, 1}}}) {
            p.setPen(QPen(colour, width));
            p.drawLine(15, 1, 15, 11);
            p.drawLine(15, 19, 15, 29);
            p.drawLine(1, 15, 11, 15);
            p.drawLine(19, 15, 29, 15);
        }
        p.setPen(Qt::black);
        p.drawRect(13, 13, 4, 4);
    });
}

} // namespace

CursorSet::CursorSet()
    : m_cursors{QCursor(Qt::ArrowCursor),
                QCursor(Qt::PointingHandCursor),
                QCursor(Qt::SizeAllCursor),
                PickerCursor(),
                PencilCursor(),
                BucketCursor(),
                EraserCursor(),
                CrossCursor()} {}

const QCursor& CursorSet::For(ViewCursor cursor) const {
    const auto index = static_cast<size_t>(cursor);
    return index < m_cursors.size() ? m_cursors[index] : m_cursors[0];
}

} // namespace pictoform
