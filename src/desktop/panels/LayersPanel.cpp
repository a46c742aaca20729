#include "panels/LayersPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QSlider>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include "ImageConvert.h"
#include "editor/PictoformView.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"

namespace pictoform {

namespace {

constexpr PanelCommand kCommands[] = {
    {LayersPanel::kAddLayer, "&Add Layer", "Add Layer", Glyph::AddLayer},
    {LayersPanel::kDeleteLayer, "&Delete Layer", "Delete Layer", Glyph::Delete},
    {LayersPanel::kMoveUp, "Move Up", "Move selected layer up", Glyph::Up},
    {LayersPanel::kMoveDown, "Move down", "Move selected layer down", Glyph::Down},
};

// A raised cell: the face, white along the top and left, the cell shadow
// along the bottom and right.
void DrawCell(QPainter& p, const QRect& r, const QColor& face) {
    p.fillRect(r, face);
    p.setPen(Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(ToQColor(kCellShadow));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void DrawSunken(QPainter& p, const QRect& r) {
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

// An open eye for a visible layer, a closed one for a hidden layer.
void DrawEye(QPainter& p, const QPoint& centre, bool open) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(centre);
    QPainterPath lid;
    lid.moveTo(-6, 0);
    lid.quadTo(0, open ? -7 : -4, 6, 0);
    if (open) lid.quadTo(0, 7, -6, 0);
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    p.setBrush(open ? QColor(Qt::white) : QColor(Qt::transparent));
    p.drawPath(lid);
    if (open) {
        p.setBrush(QColor(40, 90, 180));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(0, 0), 2.5, 2.5);
    } else {
        for (int x = -4; x <= 4; x += 4) p.drawLine(QPointF(x, -1.5), QPointF(x * 1.2, 2.5));
    }
    p.restore();
}

// The active layer's mark: a small brush.
void DrawActiveMark(QPainter& p, const QPoint& centre) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(centre);
    p.rotate(45);
    p.setPen(QColor(60, 40, 20));
    p.setBrush(QColor(180, 120, 60));
    p.drawRect(QRectF(-1.5, -7, 3, 8));
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QRectF(-2.5, 0, 5, 6));
    p.restore();
}

} // namespace

LayersPanel::LayersPanel(Workspace& workspace, CPictoformView& view, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_view(view) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    layout->addWidget(MakeCommandBar(this, kCommands, [this](int id) { RunCommand(id); }));

    m_list = new OwnerDrawnList(CLayerDialog::kItemHeight, this);
    m_list->SetDrawItem([this](QPainter& p, int i, const QRect& r) { DrawItem(p, i, r); });
    m_list->SetItemClick([this](int index, int x) { Click(index, x); });
    m_list->SetStep([this](int index) {
        m_workspace.LayerPanel().SelectItem(index);
        Refresh();
        RepaintView(m_view, this);
    });
    m_list->SetContextMenu([this](const QPoint& pos) { ShowMenu(pos); });
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(m_list);
    layout->addWidget(scroll, 1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(4, 0, 4, 4);
    row->addWidget(new QLabel("opacity", this));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, CLayerDialog::kSliderMax);
    connect(m_slider, &QSlider::valueChanged, this, &LayersPanel::MoveSlider);
    row->addWidget(m_slider, 1);
    layout->addLayout(row);
    Refresh();
}

void LayersPanel::Refresh() {
    const CLayerDialog& layers = m_workspace.LayerPanel();
    m_list->SetItems(layers.Count(), layers.CurrentIndex());
    const QSignalBlocker block(m_slider);
    m_slider->setValue(layers.SliderPosition());
    m_slider->setEnabled(layers.CurrentIndex() >= 0);
    m_slider->setToolTip(QString::fromStdString(layers.SliderTooltip()));
}

void LayersPanel::RunCommand(int id) {
    CLayerDialog& layers = m_workspace.LayerPanel();
    switch (id) {
    case kAddLayer:
        (void)layers.AddLayer();
        break;
    case kDeleteLayer:
        (void)layers.DeleteLayer();
        break;
    case kMoveUp:
        (void)layers.MoveUp();
        break;
    case kMoveDown:
        (void)layers.MoveDown();
        break;
    default:
        return;
    }
    Refresh();
    RepaintView(m_view, this);
}

void LayersPanel::Click(int index, int x) {
    m_workspace.LayerPanel().ClickItem(index, x);
    Refresh();
    RepaintView(m_view, this);
}

void LayersPanel::MoveSlider(int position) {
    CLayerDialog& layers = m_workspace.LayerPanel();
    layers.MoveSlider(position);
    const QString tip = QString::fromStdString(layers.SliderTooltip());
    m_slider->setToolTip(tip);
    if (m_slider->isSliderDown()) QToolTip::showText(QCursor::pos(), tip, m_slider);
    RepaintView(m_view, this);
}

void LayersPanel::ShowMenu(const QPoint& globalPos) {
    if (const int chosen = ChooseCommand(this, kCommands, globalPos)) RunCommand(chosen);
}

void LayersPanel::DrawItem(QPainter& painter, int index, const QRect& rect) {
    const LayerItemDrawing item = m_workspace.LayerPanel().DrawItem(index, rect.width());
    // The model draws in list pixels from the item's own top.
    painter.translate(0, rect.top() - item.item.top);
    const QColor face = palette().color(QPalette::Button);
    DrawCell(painter, ToQRect(item.visibilityColumn), face);
    DrawCell(painter, ToQRect(item.activeColumn), face);
    const QRect body = ToQRect(item.body);
    if (item.selected) {
        painter.fillRect(body, ToQColor(kSelectionFill));
        painter.setPen(ToQColor(kSelectionOutline));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(body.adjusted(0, 0, -1, -1));
    } else {
        DrawCell(painter, body, face);
    }
    const QRect sunken = ToQRect(item.sunkenEdge);
    DrawSunken(painter, sunken);
    DrawEye(painter, ToQRect(item.visibilityColumn).center(),
            item.visibilityIcon == LayerStateIcon::Visible);
    if (item.showActiveIcon) DrawActiveMark(painter, ToQRect(item.activeColumn).center());
    if (!item.thumbnail.IsNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(ToQRect(item.thumbnailRect), WrapImage(item.thumbnail));
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    // A narrow pane shortens the name rather than letting it run over the thumbnail.
    const QRect nameRect = ToQRect(item.nameRect).adjusted(2, 0, -2, 0);
    const QString name = painter.fontMetrics().elidedText(QString::fromStdString(item.name),
                                                          Qt::ElideRight, nameRect.width());
    painter.drawText(nameRect, Qt::AlignCenter | Qt::TextSingleLine, name);
}

} // namespace pictoform
