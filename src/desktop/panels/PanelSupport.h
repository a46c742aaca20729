#pragma once
// What the panel widgets and dialogs share: the core's plain rectangles and
// colours in Qt's terms, a Surface over a QPainter, the small icons the
// panels' toolbars show, and an owner-drawn list whose items a model paints.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QRect>
#include <QWidget>

class QToolBar;
#include <functional>
#include <span>
#include <string>
#include <string_view>

class QLineEdit;

#include "image/DisplayPainter.h"
#include "image/PixelColor.h"
#include "image/Surface.h"
#include "panels/PanelGeometry.h"

namespace pictoform {

class CPictoformView;

inline QRect ToQRect(const PanelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}
inline QColor ToQColor(const DisplayColor& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
inline PixelColor ToPixelColor(const QColor& colour) {
    return PixelColor{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                      static_cast<uint8_t>(colour.blue()), 255};
}

// The core draws previews and palettes through Surface; this lays them on a
// widget's painter.
class PainterSurface : public Surface {
public:
    explicit PainterSurface(QPainter& painter) : m_painter(painter) {}
    void DrawBgr(int x, int y, int w, int h, const uint8_t* bgrRow0, int stride) override;
    void SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) override;

private:
    QPainter& m_painter;
};

// The font family, or the desktop's general font where it is not installed
// (Tahoma seldom is on Linux).
QFont FontOrFallback(const char* family, int points);

// The editing view rebuilds its picture and the main window's canvas shows
// it. The panels call this after every change they made to the icon.
void RepaintView(CPictoformView& view, QWidget* from);

// The glyphs of the panels' toolbar buttons, drawn here rather than shipped.
enum class Glyph {
    NewFormat,
    BlankFormat,
    Delete,
    Up,
    Down,
    AddLayer,
    Erase,
    Reverse,
    AddPreset,
};
QIcon GlyphIcon(Glyph glyph);

// A command of a list panel: its toolbar button and its pop-up menu entry.
struct PanelCommand {
    int id;
    const char* menuText; // with its '&' mnemonic; the button's text leaves it out
    const char* tooltip;
    Glyph glyph;
    // A pop-up menu item with a check mark that follows the command's state.
    bool checkable = false;
};

// The panel's toolbar of 16 x 16 glyph buttons, each running its command.
QToolBar* MakeCommandBar(QWidget* owner, std::span<const PanelCommand> commands,
                         const std::function<void(int)>& run);
// The pop-up menu of the same commands at a screen point, then, after a
// separator, the check items; the chosen id, or 0. `update` says which
// entries may be chosen and which check items are checked (all enabled,
// none checked when it is empty).
int ChooseCommand(QWidget* owner, std::span<const PanelCommand> commands, const QPoint& globalPos,
                  const std::function<std::pair<bool, bool>(int)>& update = {},
                  std::span<const PanelCommand> moreItems = {});

// A list whose items are all one height and drawn by a callback, for the
// format and layer lists whose models say what each item shows. Clicks and
// keys are handed on with the item index and the x of the click.
class OwnerDrawnList : public QWidget {
public:
    using DrawItem = std::function<void(QPainter&, int index, const QRect& rect)>;
    using ItemClick = std::function<void(int index, int x)>;
    using ContextMenu = std::function<void(const QPoint& globalPos)>;

    OwnerDrawnList(int itemHeight, QWidget* parent);
    void SetDrawItem(DrawItem draw) { m_draw = std::move(draw); }
    void SetItemClick(ItemClick click) { m_click = std::move(click); }
    // Up and down arrows: the index to select next.
    void SetStep(std::function<void(int index)> step) { m_step = std::move(step); }
    void SetContextMenu(ContextMenu menu) { m_menu = std::move(menu); }
    // The number of items and the selected one (-1: none); repaints.
    void SetItems(int count, int selected);
    [[nodiscard]] int Count() const { return m_count; }
    [[nodiscard]] int ItemHeight() const { return m_itemHeight; }
    // The item under a point of the list, or -1.
    [[nodiscard]] int IndexAt(const QPoint& point) const;
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int m_itemHeight;
    int m_count = 0;
    int m_selected = -1;
    DrawItem m_draw;
    ItemClick m_click;
    std::function<void(int)> m_step;
    ContextMenu m_menu;
};

// The colour swatch button: the colour over a checkerboard, as the core draws
// it. The colour is read from the callback at every paint.
class ColourSwatch : public QWidget {
public:
    ColourSwatch(std::function<PixelColor()> colour, QWidget* parent);
    // Makes the swatch a button.
    void SetClicked(std::function<void()> clicked) { m_clicked = std::move(clicked); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<PixelColor()> m_colour;
    std::function<void()> m_clicked;
};

// An edit with an up-down control whose text and steps belong to a dialog
// model: what is typed goes to the model, and the edit then shows what the
// model kept (so a model that drops non-digits has the last word).
class UpDownEdit : public QWidget {
public:
    using Read = std::function<std::string()>;
    using Write = std::function<void(std::string_view)>;
    using Step = std::function<void(int delta)>;

    UpDownEdit(Read read, Write write, Step step, QWidget* parent);
    [[nodiscard]] QLineEdit& Edit() { return *m_edit; }
    // Shows the model's text again (after Default and the like).
    void Sync();
    void StepBy(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Read m_read;
    Write m_write;
    Step m_step;
    QLineEdit* m_edit = nullptr;
};

} // namespace pictoform
