#include "panels/FormatListPanel.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include "ImageConvert.h"
#include "editor/MenuModel.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"

namespace pictoform {

namespace {

constexpr PanelCommand kCommands[] = {
    {command::kNewFormat, "&New Format", "Create new format based on the image you selected",
     Glyph::NewFormat},
    {command::kNewBlankFormat, "New &Blank Format", "Create blank format", Glyph::BlankFormat},
    {command::kDeleteFormat, "&Delete Format", "Delete format", Glyph::Delete},
    {command::kFormatUp, "Up", "Move selected format up", Glyph::Up},
    {command::kFormatDown, "Down", "Move selected format down", Glyph::Down},
};

// Only in the pop-up menu.
constexpr PanelCommand kMenuItems[] = {
    {command::kStoreAsPng, "Store as &PNG", "Save this format PNG-compressed (32 bits only)",
     Glyph::NewFormat, true},
    {command::kFrameTime, "Frame &Time...", "How long an animated cursor shows this format",
     Glyph::NewFormat},
};

} // namespace

FormatListPanel::FormatListPanel(Workspace& workspace, CPictoformView& view, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_view(view) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(MakeCommandBar(this, kCommands, [this](int id) { RunCommand(id); }));

    m_list = new OwnerDrawnList(kItemHeight, this);
    m_list->SetDrawItem([this](QPainter& p, int i, const QRect& r) { DrawItem(p, i, r); });
    m_list->SetItemClick([this](int index, int) { Select(index); });
    m_list->SetStep([this](int index) { Select(index); });
    m_list->SetContextMenu([this](const QPoint& pos) { ShowMenu(pos); });
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(m_list);
    layout->addWidget(scroll, 1);
    Refresh();
}

void FormatListPanel::Refresh() {
    const CPreviewDialog& formats = m_workspace.FormatList();
    m_list->SetItems(formats.Count(), formats.SelectedIndex());
}

void FormatListPanel::RunCommand(int id) {
    (void)m_view.Commands().Run(id);
    Refresh();
    RepaintView(m_view, this);
}

void FormatListPanel::Select(int index) {
    if (index == m_workspace.FormatList().SelectedIndex()) return;
    if (!m_workspace.FormatList().SelectItem(index)) return;
    Refresh();
    RepaintView(m_view, this);
}

void FormatListPanel::ShowMenu(const QPoint& globalPos) {
    const int chosen = ChooseCommand(
        this, kCommands, globalPos,
        [this](int id) {
            const CommandUpdate update = m_view.Commands().Update(id);
            return std::pair{update.enabled, update.checked};
        },
        kMenuItems);
    if (chosen != 0) RunCommand(chosen);
}

void FormatListPanel::DrawItem(QPainter& painter, int index, const QRect& rect) {
    const FormatItemDrawing item = m_workspace.FormatList().DrawItem(
        index, PanelRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1});
    const QRect itemRect = ToQRect(item.item);
    if (item.selected) {
        painter.fillRect(itemRect, ToQColor(kSelectionFill));
        painter.setPen(ToQColor(kSelectionOutline));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(itemRect.adjusted(0, 0, -1, -1));
    } else {
        painter.fillRect(itemRect, palette().base());
    }
    if (item.picture != nullptr && !item.picture->IsNull()) {
        // Stretched thumbnails stay crisp: icons are pixel art.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(ToQRect(item.pictureRect), WrapImage(*item.picture));
    }
    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(FontOrFallback(kFormatLabelFont, kFormatLabelPoints));
    painter.drawText(ToQRect(item.labelRect), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromStdString(item.label));
}

} // namespace pictoform
