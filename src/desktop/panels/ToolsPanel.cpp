#include "panels/ToolsPanel.h"

#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

#include "ImageConvert.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"
#include "panels/ToolDialog.h"

namespace pictoform {

namespace {

const QColor kInk(30, 30, 30);
const QColor kFill(70, 130, 210);

void DrawPencil(QPainter& p) {
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.setPen(kInk);
    p.setBrush(QColor(240, 200, 60));
    p.drawRect(QRectF(-3, -13, 6, 18));
    p.setBrush(QColor(240, 160, 170));
    p.drawRect(QRectF(-3, -15, 6, 3));
    QPainterPath tip;
    tip.moveTo(-3, 5);
    tip.lineTo(3, 5);
    tip.lineTo(0, 12);
    tip.closeSubpath();
    p.setBrush(QColor(230, 200, 160));
    p.drawPath(tip);
    p.restore();
}

// The pencil's and eraser's shape in the bottom-left corner.
void DrawShapeMark(QPainter& p, uint16_t code) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    switch (code) {
    case kToolPencilRound:
    case kToolEraserRound:
        p.drawEllipse(QRectF(2, 24, 6, 6));
        break;
    case kToolPencilSquare:
    case kToolEraserSquare:
        p.drawRect(QRectF(2, 24, 6, 6));
        break;
    case kToolPencilRightDiagonal:
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(2, 30), QPointF(8, 24));
        break;
    case kToolPencilLeftDiagonal:
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(2, 24), QPointF(8, 30));
        break;
    default:
        break;
    }
}

} // namespace

QPixmap ToolIcon(ToolButton button, uint16_t code) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 1.5));
    switch (button) {
    case ToolButton::Selection:
        p.setPen(QPen(kInk, 1.5, Qt::DashLine));
        p.drawRect(QRectF(5, 7, 22, 18));
        break;
    case ToolButton::Pencil:
        DrawPencil(p);
        DrawShapeMark(p, code);
        break;
    case ToolButton::Line:
        p.setPen(QPen(kInk, 2.5));
        p.drawLine(5, 27, 27, 5);
        break;
    case ToolButton::RectangleFrame:
        p.setPen(QPen(kInk, 2));
        p.drawRect(QRectF(5, 7, 22, 18));
        break;
    case ToolButton::Rectangle:
        p.setBrush(kFill);
        p.drawRect(QRectF(5, 7, 22, 18));
        break;
    case ToolButton::Ellipse:
        p.setBrush(kFill);
        p.drawEllipse(QRectF(4, 7, 24, 18));
        break;
    case ToolButton::ColorPicker: {
        p.save();
        p.translate(16, 16);
        p.rotate(45);
        p.setBrush(QColor(90, 90, 90));
        p.drawRoundedRect(QRectF(-4, -14, 8, 8), 3, 3);
        p.setBrush(QColor(200, 220, 240));
        p.drawRect(QRectF(-2, -6, 4, 14));
        p.drawLine(QPointF(0, 8), QPointF(0, 13));
        p.restore();
        break;
    }
    case ToolButton::Eraser:
        p.save();
        p.translate(17, 14);
        p.rotate(-35);
        p.setBrush(QColor(240, 150, 160));
        p.drawRect(QRectF(-11, -6, 12, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1, -6, 10, 12));
        p.restore();
        DrawShapeMark(p, code);
        break;
    case ToolButton::Text: {
        QFont font = p.font();
        font.setPixelSize(26);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "A");
        break;
    }
    case ToolButton::FloodFill: {
        p.save();
        p.translate(14, 17);
        p.rotate(-30);
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(QRectF(-8, -7, 14, 15));
        p.restore();
        QPainterPath drop;
        drop.moveTo(25, 14);
        drop.quadTo(30, 24, 25, 26);
        drop.quadTo(20, 24, 25, 14);
        p.fillPath(drop, kFill);
        break;
    }
    case ToolButton::Mask: {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            const double radius = (i % 2 == 0) ? 13 : 5.5;
            const QPointF point(16 + radius * std::cos(angle), 17 + radius * std::sin(angle));
            if (i == 0)
                star.moveTo(point);
            else
                star.lineTo(point);
        }
        star.closeSubpath();
        p.setBrush(kFill);
        p.drawPath(star);
        break;
    }
    case ToolButton::Triangle: {
        QPainterPath triangle;
        triangle.moveTo(16, 5);
        triangle.lineTo(28, 26);
        triangle.lineTo(4, 26);
        triangle.closeSubpath();
        p.setBrush(kFill);
        p.drawPath(triangle);
        break;
    }
    }
    return pixmap;
}

ToolButtonWidget::ToolButtonWidget(CToolDialog& tools, ToolButton button, QWidget* parent)
    : QWidget(parent), m_tools(tools), m_button(button) {
    setFixedSize(kSide, kSide);
    setMouseTracking(true);
    setToolTip(ToolButtonInfoOf(button).tooltip);
    m_tooltipTimer.setSingleShot(true);
    m_tooltipTimer.setInterval(CToolDialog::kTooltipDelayMs);
    connect(&m_tooltipTimer, &QTimer::timeout, this, [this] {
        if (m_hovered) QToolTip::showText(QCursor::pos(), toolTip(), this);
    });
}

bool ToolButtonWidget::event(QEvent* event) {
    // The style's own tooltip comes later than the panel wants; the timer shows it.
    if (event->type() == QEvent::ToolTip) return true;
    return QWidget::event(event);
}

void ToolButtonWidget::paintEvent(QPaintEvent*) {
    CLayerImage face;
    const bool hasMenu = ToolButtonInfoOf(m_button).menuResource != 0;
    const IconPlace place = DrawToolButton(face, width(), height(), m_tools.Look(m_button), hasMenu,
                                           ToPixelColor(palette().color(QPalette::Window)));
    QPainter painter(this);
    painter.drawImage(0, 0, WrapImage(face));
    painter.drawPixmap(place.x, place.y, ToolIcon(m_button, m_tools.ButtonCode(m_button)));
}

void ToolButtonWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_tools.LeftButtonDown(m_button);
    } else if (event->button() == Qt::RightButton) {
        if (m_tools.RightButtonDown(m_button)) OpenMenu();
    }
}

void ToolButtonWidget::mouseMoveEvent(QMouseEvent*) {
    if (m_hovered) return;
    m_hovered = true;
    m_tooltipTimer.start();
    m_tools.MouseMove(m_button);
}

void ToolButtonWidget::leaveEvent(QEvent*) {
    m_hovered = false;
    m_tooltipTimer.stop();
    QToolTip::hideText();
    m_tools.MouseLeave(m_button);
}

void ToolButtonWidget::OpenMenu() {
    QMenu menu(this);
    for (const ToolMenuEntry& entry : m_tools.MenuEntries(m_button)) {
        QAction* action = menu.addAction(QString::fromStdString(entry.text));
        action->setCheckable(true);
        action->setChecked(entry.checked);
        action->setData(entry.command);
    }
    if (QAction* chosen = menu.exec(mapToGlobal(QPoint(0, height())))) {
        m_tools.OnCommand(chosen->data().toInt());
    }
}

ToolsPanel::ToolsPanel(Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_tools(workspace.Tools()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    constexpr int kColumns = 3;
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto* button = new ToolButtonWidget(m_tools, static_cast<ToolButton>(i), this);
        m_buttons[static_cast<size_t>(i)] = button;
        grid->addWidget(button, i / kColumns, i % kColumns);
    }
    layout->addLayout(grid);

    auto* widthBox = new QGroupBox("nWidth", this);
    auto* widthLayout = new QVBoxLayout(widthBox);
    m_widths = new QComboBox(widthBox);
    for (const std::string& item : CToolDialog::WidthItems()) {
        m_widths->addItem(QString::fromStdString(item));
    }
    connect(m_widths, &QComboBox::activated, this,
            [this](int index) { m_tools.ChooseWidth(index); });
    widthLayout->addWidget(m_widths);
    layout->addWidget(widthBox);

    auto* maskBox = new QGroupBox("mask list", this);
    auto* maskLayout = new QVBoxLayout(maskBox);
    m_masks = new QComboBox(maskBox);
    for (const MaskEntry& mask : m_tools.Masks())
        m_masks->addItem(QString::fromStdString(mask.title));
    connect(m_masks, &QComboBox::activated, this, [this](int index) { m_tools.ChooseMask(index); });
    maskLayout->addWidget(m_masks);
    layout->addWidget(maskBox);
    layout->addStretch(1);

    m_tools.SetChangeListener([this] {
        Refresh();
        emit Changed();
    });
    Refresh();
}

ToolsPanel::~ToolsPanel() {
    m_tools.SetChangeListener({});
}

ToolButtonWidget& ToolsPanel::Button(ToolButton button) {
    return *m_buttons[static_cast<size_t>(button)];
}

void ToolsPanel::Refresh() {
    for (ToolButtonWidget* button : m_buttons) button->update();
    const QSignalBlocker blockWidths(m_widths);
    const QSignalBlocker blockMasks(m_masks);
    m_widths->setCurrentIndex(m_tools.WidthSelection());
    m_widths->setEnabled(m_tools.WidthListEnabled());
    m_masks->setCurrentIndex(m_tools.MaskSelection());
    m_masks->setEnabled(m_tools.MaskListEnabled());
}

} // namespace pictoform
