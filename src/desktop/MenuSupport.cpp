#include "MenuSupport.h"

#include <QAction>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include "editor/MenuModel.h"
#include "editor/ViewCommands.h"

namespace pictoform {

QString MenuText(const std::string& text) {
    return QString::fromStdString(text);
}

QString PlainText(const std::string& text) {
    QString plain = QString::fromStdString(text).section('\t', 0, 0);
    // "&&" is a literal ampersand; a single one marks the mnemonic.
    plain.replace("&&", QChar(0x1));
    plain.remove('&');
    plain.replace(QChar(0x1), "&");
    plain = plain.trimmed();
    if (plain.endsWith("...")) plain.chop(3);
    return plain;
}

void FillMenu(QMenu& menu, const std::vector<MenuEntry>& entries,
              const std::function<void(const MenuEntry&, QMenu&)>& addItem) {
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            menu.addSeparator();
        } else if (!entry.submenu.empty()) {
            FillMenu(*menu.addMenu(MenuText(entry.text)), entry.submenu, addItem);
        } else {
            addItem(entry, menu);
        }
    }
}

void ApplyUpdate(QAction& action, const CommandUpdate& update, const QString& ownText) {
    action.setEnabled(update.enabled);
    if (update.checked) action.setCheckable(true);
    action.setChecked(update.checked);
    action.setText(update.text.empty() ? ownText : QString::fromStdString(update.text));
}

namespace {

constexpr int kSide = 32;

QPen Ink(qreal width = 1.6) {
    return QPen(QColor(30, 30, 30), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& p, const QRectF& box) {
    QPainterPath page;
    page.moveTo(box.topLeft());
    page.lineTo(box.right() - 6, box.top());
    page.lineTo(box.right(), box.top() + 6);
    page.lineTo(box.bottomRight());
    page.lineTo(box.bottomLeft());
    page.closeSubpath();
    p.setPen(Ink());
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(QPen(QColor(120, 140, 170), 1.2));
    for (qreal y = box.top() + 9; y < box.bottom() - 3; y += 4) {
        p.drawLine(QPointF(box.left() + 3, y), QPointF(box.right() - 3, y));
    }
}

void Arrow(QPainter& p, bool forward) {
    // A half circle ending in an arrow head: back to the left, or on to the right.
    p.save();
    if (forward) {
        p.translate(kSide, 0);
        p.scale(-1, 1);
    }
    QPainterPath curve;
    curve.moveTo(8, 13);
    curve.cubicTo(12, 4, 28, 6, 26, 18);
    curve.cubicTo(25, 24, 19, 27, 14, 26);
    p.setPen(QPen(QColor(40, 90, 170), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 170));
    p.drawPolygon(QPolygonF({QPointF(3, 6), QPointF(14, 12), QPointF(4, 18)}));
    p.restore();
}

void GradientSquare(QPainter& p, const QBrush& brush) {
    p.setPen(Ink(1.2));
    p.setBrush(brush);
    p.drawRect(QRectF(4, 4, 24, 24));
}

void DrawCommand(QPainter& p, int id) {
    using namespace command;
    const QColor warm(230, 60, 40);
    const QColor cool(40, 110, 220);
    switch (id) {
    case kOpen: {
        p.setPen(Ink());
        p.setBrush(QColor(235, 190, 80));
        p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(12, 8), QPointF(14, 11), QPointF(26, 11),
                                 QPointF(26, 26), QPointF(3, 26)}));
        p.setBrush(QColor(250, 215, 120));
        p.drawPolygon(
            QPolygonF({QPointF(7, 15), QPointF(30, 15), QPointF(26, 26), QPointF(3, 26)}));
        break;
    }
    case kSave: {
        p.setPen(Ink());
        p.setBrush(QColor(60, 90, 160));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 5, 14, 9));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    }
    case kCut: {
        p.setPen(Ink(2.0));
        p.drawLine(QPointF(10, 3), QPointF(20, 21));
        p.drawLine(QPointF(22, 3), QPointF(12, 21));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(warm, 2.2));
        p.drawEllipse(QPointF(10, 24), 4.5, 4.5);
        p.drawEllipse(QPointF(22, 24), 4.5, 4.5);
        break;
    }
    case kCopy:
        Page(p, QRectF(3, 3, 17, 20));
        Page(p, QRectF(12, 9, 17, 20));
        break;
    case kPaste: {
        p.setPen(Ink());
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(QRectF(9, 2, 10, 6));
        Page(p, QRectF(13, 12, 16, 18));
        break;
    }
    case kUndo:
        Arrow(p, false);
        break;
    case kRedo:
        Arrow(p, true);
        break;
    case kGradientVertex: {
        // Three corners of three colours meeting in the middle.
        QLinearGradient across(4, 0, 28, 0);
        across.setColorAt(0, warm);
        across.setColorAt(1, cool);
        p.setPen(Ink(1.2));
        p.setBrush(across);
        p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(29, 28), QPointF(3, 28)}));
        QRadialGradient top(16, 5, 16);
        top.setColorAt(0, QColor(250, 220, 40));
        top.setColorAt(1, QColor(250, 220, 40, 0));
        p.setBrush(top);
        p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(29, 28), QPointF(3, 28)}));
        break;
    }
    case kGradientLinear: {
        QLinearGradient fill(4, 0, 28, 0);
        fill.setColorAt(0, warm);
        fill.setColorAt(1, cool);
        GradientSquare(p, fill);
        break;
    }
    case kGradientRadial: {
        QRadialGradient fill(16, 16, 16);
        fill.setColorAt(0, Qt::white);
        fill.setColorAt(0.3, warm);
        fill.setColorAt(1, cool);
        GradientSquare(p, fill);
        break;
    }
    case kGradientRectangle: {
        GradientSquare(p, cool);
        p.setPen(Qt::NoPen);
        for (int ring = 1; ring < 6; ++ring) {
            const qreal t = ring / 6.0;
            p.setBrush(QColor::fromRgbF(0.16 + 0.74 * t, 0.43 - 0.2 * t, 0.86 - 0.7 * t));
            const qreal inset = 4 + 2 * ring;
            p.drawRect(QRectF(inset, inset, kSide - 2 * inset, kSide - 2 * inset));
        }
        break;
    }
    case kAbout: {
        p.setPen(Ink());
        p.setBrush(QColor(60, 120, 210));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(Qt::white);
        QFont font = p.font();
        font.setPixelSize(20);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, "?");
        break;
    }
    default:
        break;
    }
}

bool HasIcon(int id) {
    using namespace command;
    for (int drawn : {kOpen, kSave, kCut, kCopy, kPaste, kUndo, kRedo, kGradientVertex,
                      kGradientLinear, kGradientRadial, kGradientRectangle, kAbout}) {
        if (drawn == id) return true;
    }
    return false;
}

} // namespace

QIcon CommandIcon(int id) {
    if (!HasIcon(id)) return {};
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawCommand(painter, id);
    painter.end();
    return QIcon(pixmap);
}

} // namespace pictoform
