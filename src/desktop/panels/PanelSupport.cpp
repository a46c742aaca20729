#include "panels/PanelSupport.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "CanvasWidget.h"
#include "ImageConvert.h"
#include "MainFrame.h"
#include "editor/PictoformView.h"
#include "panels/AdvColorDialog.h"
#include "panels/FormatListPanel.h"
#include "panels/LayersPanel.h"

namespace pictoform {

void PainterSurface::DrawBgr(int x, int y, int w, int h, const uint8_t* bgrRow0, int stride) {
    if (w <= 0 || h <= 0 || bgrRow0 == nullptr) return;
    m_painter.drawImage(x, y, QImage(bgrRow0, w, h, stride, QImage::Format_BGR888));
}

void PainterSurface::SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    m_painter.fillRect(x, y, 1, 1, QColor(r, g, b));
}

QFont FontOrFallback(const char* family, int points) {
    QFont font = QFontDatabase::families().contains(QString::fromLatin1(family))
                     ? QFont(QString::fromLatin1(family))
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(points);
    return font;
}

void RepaintView(CPictoformView& view, QWidget* from) {
    // A floating pane is its own window, but its parent is still the main window.
    for (QWidget* widget = from; widget != nullptr; widget = widget->parentWidget()) {
        if (auto* main = qobject_cast<QMainWindow*>(widget)) {
            // The canvas repaints with its scroll bars and status line: another
            // format has another size and zoom. (Updating the canvas, a scroll
            // area, would leave its viewport showing the format before.)
            if (auto* canvas = qobject_cast<CanvasWidget*>(main->centralWidget())) {
                canvas->Repaint();
            } else {
                (void)view.Paint();
                if (main->centralWidget() != nullptr) main->centralWidget()->update();
            }
            // A change of format lists other layers, a change of layer other
            // thumbnails: both lists follow whichever panel made the change.
            for (auto* layers : main->findChildren<LayersPanel*>()) layers->Refresh();
            for (auto* formats : main->findChildren<FormatListPanel*>()) formats->Refresh();
            // Another format or layer has another object: Cut, Copy and the
            // rest of the toolbar follow.
            if (auto* frame = qobject_cast<MainFrame*>(main)) frame->RefreshActions();
            return;
        }
    }
    (void)view.Paint();
}

namespace {

void DrawPage(QPainter& p, bool filled) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(filled ? QColor(120, 170, 230) : QColor(Qt::white));
    p.drawRect(3, 1, 9, 13);
}

void DrawPlus(QPainter& p, int cx, int cy) {
    p.setPen(QPen(QColor(0, 140, 0), 2));
    p.drawLine(cx - 3, cy, cx + 3, cy);
    p.drawLine(cx, cy - 3, cx, cy + 3);
}

void DrawArrow(QPainter& p, bool up) {
    QPainterPath path;
    if (up) {
        path.moveTo(8, 2);
        path.lineTo(14, 9);
        path.lineTo(2, 9);
    } else {
        path.moveTo(8, 14);
        path.lineTo(14, 7);
        path.lineTo(2, 7);
    }
    path.closeSubpath();
    p.fillPath(path, QColor(40, 80, 160));
    p.fillRect(up ? QRect(6, 9, 4, 5) : QRect(6, 2, 4, 5), QColor(40, 80, 160));
}

} // namespace

QIcon GlyphIcon(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (glyph) {
    case Glyph::NewFormat:
        DrawPage(p, true);
        DrawPlus(p, 11, 11);
        break;
    case Glyph::BlankFormat:
        DrawPage(p, false);
        DrawPlus(p, 11, 11);
        break;
    case Glyph::AddLayer:
        p.setPen(QColor(60, 60, 60));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(1, 7, 10, 6);
        p.setBrush(QColor(120, 170, 230));
        p.drawRect(3, 4, 10, 6);
        DrawPlus(p, 11, 11);
        break;
    case Glyph::Delete:
        p.setPen(QPen(QColor(200, 30, 30), 2.5));
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
        break;
    case Glyph::Up:
    case Glyph::Down:
        DrawArrow(p, glyph == Glyph::Up);
        break;
    case Glyph::Erase:
        p.translate(8, 8);
        p.rotate(-35);
        p.setPen(QColor(60, 60, 60));
        p.setBrush(QColor(240, 150, 160));
        p.drawRect(-6, -3, 7, 7);
        p.setBrush(QColor(Qt::white));
        p.drawRect(1, -3, 5, 7);
        break;
    case Glyph::Reverse:
        p.setPen(QPen(QColor(40, 80, 160), 1.5));
        p.drawLine(2, 5, 13, 5);
        p.drawLine(10, 2, 13, 5);
        p.drawLine(3, 11, 14, 11);
        p.drawLine(3, 11, 6, 14);
        break;
    case Glyph::AddPreset:
        for (int i = 0; i < 4; ++i) {
            p.fillRect(1 + 3 * i, 3, 3, 7, QColor::fromHsv(i * 80, 200, 230));
        }
        DrawPlus(p, 11, 11);
        break;
    }
    return QIcon(pixmap);
}

OwnerDrawnList::OwnerDrawnList(int itemHeight, QWidget* parent)
    : QWidget(parent), m_itemHeight(itemHeight) {
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void OwnerDrawnList::SetItems(int count, int selected) {
    m_count = std::max(count, 0);
    m_selected = selected;
    setMinimumHeight(m_count * m_itemHeight);
    update();
}

int OwnerDrawnList::IndexAt(const QPoint& point) const {
    if (point.y() < 0) return -1;
    const int index = point.y() / m_itemHeight;
    return index < m_count ? index : -1;
}

QSize OwnerDrawnList::sizeHint() const {
    return QSize(120, std::max(m_count, 1) * m_itemHeight);
}

void OwnerDrawnList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    for (int i = 0; i < m_count && m_draw; ++i) {
        const QRect rect(0, i * m_itemHeight, width(), m_itemHeight);
        if (!rect.intersects(dirty)) continue;
        painter.save();
        painter.setClipRect(rect);
        m_draw(painter, i, rect);
        painter.restore();
    }
}

void OwnerDrawnList::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0 && m_click) m_click(index, event->position().toPoint().x());
}

void OwnerDrawnList::keyPressEvent(QKeyEvent* event) {
    int next = m_selected;
    if (event->key() == Qt::Key_Up)
        next = m_selected - 1;
    else if (event->key() == Qt::Key_Down)
        next = m_selected + 1;
    else
        return QWidget::keyPressEvent(event);
    if (next >= 0 && next < m_count && m_step) m_step(next);
}

void OwnerDrawnList::contextMenuEvent(QContextMenuEvent* event) {
    if (m_menu) m_menu(event->globalPos());
}

ColourSwatch::ColourSwatch(std::function<PixelColor()> colour, QWidget* parent)
    : QWidget(parent), m_colour(std::move(colour)) {}

void ColourSwatch::paintEvent(QPaintEvent*) {
    CLayerImage swatch;
    DrawColourSwatch(swatch, width(), height(), m_colour ? m_colour() : PixelColor{});
    QPainter painter(this);
    painter.drawImage(0, 0, WrapImage(swatch));
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        m_clicked) {
        m_clicked();
    }
}

UpDownEdit::UpDownEdit(Read read, Write write, Step step, QWidget* parent)
    : QWidget(parent), m_read(std::move(read)), m_write(std::move(write)), m_step(std::move(step)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    m_edit = new QLineEdit(this);
    m_edit->installEventFilter(this);
    layout->addWidget(m_edit, 1);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    for (const auto& [arrow, delta] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFixedSize(16, 11);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this, [this, d = delta] { StepBy(d); });
        arrows->addWidget(button);
    }
    layout->addLayout(arrows);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_write(text.toStdString());
        Sync();
    });
    Sync();
}

void UpDownEdit::Sync() {
    const QString text = QString::fromStdString(m_read());
    if (m_edit->text() != text) m_edit->setText(text);
}

void UpDownEdit::StepBy(int delta) {
    m_step(delta);
    Sync();
}

bool UpDownEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QToolBar* MakeCommandBar(QWidget* owner, std::span<const PanelCommand> commands,
                         const std::function<void(int)>& run) {
    auto* toolbar = new QToolBar(owner);
    toolbar->setIconSize(QSize(16, 16));
    for (const PanelCommand& command : commands) {
        QAction* action =
            toolbar->addAction(GlyphIcon(command.glyph), QString(command.menuText).remove('&'));
        action->setToolTip(command.tooltip);
        const int id = command.id;
        QObject::connect(action, &QAction::triggered, owner, [run, id] { run(id); });
    }
    return toolbar;
}

int ChooseCommand(QWidget* owner, std::span<const PanelCommand> commands, const QPoint& globalPos,
                  const std::function<std::pair<bool, bool>(int)>& update,
                  std::span<const PanelCommand> moreItems) {
    QMenu menu(owner);
    const auto add = [&](const PanelCommand& command, bool checkable) {
        QAction* action = menu.addAction(command.menuText);
        action->setData(command.id);
        action->setCheckable(checkable);
        if (!update) return;
        const auto [enabled, checked] = update(command.id);
        action->setEnabled(enabled);
        action->setChecked(checkable && checked);
    };
    for (const PanelCommand& command : commands) add(command, command.checkable);
    if (!moreItems.empty()) menu.addSeparator();
    for (const PanelCommand& command : moreItems) add(command, command.checkable);
    const QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

} // namespace pictoform
