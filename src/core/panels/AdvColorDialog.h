#pragma once
// The colour panel without its window. It owns the pen every tool paints
// with and shows it in two modes: one colour with alpha (four sliders, a
// picking palette, the Erase switch), or the multi-colour strip with its
// Reverse switch and the presets. The widget forwards input and paints what
// the model says; the view takes the pen through GetPen.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "colour/ColorAdjust.h"
#include "colour/ColorStrip.h"
#include "colour/MultiColorPen.h"
#include "image/LayerImage.h"
#include "image/PixelColor.h"
#include "image/Surface.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"

namespace pictoform {

struct PresetEntry {
    std::string title; // the file name without ".gpr", as the list shows it
    std::string path;
};

// The preset files (*.gpr, the ending in any case) of the shipped folder and
// of the user's folder, by name; a user's preset hides a shipped one of the
// same title. Missing folders give nothing.
[[nodiscard]] std::vector<PresetEntry> ListPresetFolders(const AppPaths& paths);

// Draws a colour swatch of width x height into image (re-created at that
// size): white with a grey outline, and 3 pixels inside it the colour over a
// checkerboard of 7 x 7 cells, so transparency shows.
void DrawColourSwatch(CLayerImage& image, int width, int height, const PixelColor& colour);

class CAdvColorDialog {
public:
    static constexpr PixelColor kInitialColour{255, 180, 60, 255};
    static constexpr int kSingleColourTab = 0;
    static constexpr int kMultiColourTab = 1;
    static constexpr int kPaletteWidth = 240;
    static constexpr int kPaletteHeight = 40;
    // Where the palette sits in the panel's client area.
    static constexpr int kPaletteX = 10;
    static constexpr int kPaletteY = 180;
    static constexpr int kEraseCommand = 32848;
    static constexpr int kReverseCommand = 32826;
    static constexpr int kAddPresetCommand = 32900;

    // Borrows both; they must outlive the panel. Lists the presets.
    CAdvColorDialog(UiServices& ui, const AppPaths& paths);
    CAdvColorDialog(const CAdvColorDialog&) = delete;
    CAdvColorDialog& operator=(const CAdvColorDialog&) = delete;

    // The view's repaint, called whenever the colour set changes, strip
    // edits included.
    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }
    // The panel widget's repaint, called whenever something it shows changed,
    // also when the view hands a picked colour back.
    void SetPanelListener(std::function<void()> listener) { m_onPanel = std::move(listener); }

    // The pen, ready to paint: the current colour and the Erase switch (in
    // its second word) put into it and its outputs rebuilt.
    CMultiColorPen& GetPen();
    // The colour picker's colour (red in the low byte, alpha in the high
    // one). Single-colour mode: it and the two words become the current
    // colour. Multi-colour mode: it recolours the strip's selected stop, or
    // the user is told to select one.
    void SetColor(uint32_t rgba, uint32_t word1, uint32_t word2);
    [[nodiscard]] const PixelColor& CurrentColour() const { return m_colour; }

    // The mode tabs: 0 single colour, 1 multi-colour; the pen keeps the mode.
    static constexpr const char* kTabTitles[2] = {"Single Color Mode", "Multi-Color Mode"};
    [[nodiscard]] int Mode() const { return m_pen.Mode(); }
    [[nodiscard]] bool IsSingleMode() const { return Mode() == kPenSingleColour; }
    void SelectTab(int tab);

    // Single-colour mode: the sliders (0 to 255) and their value texts.
    [[nodiscard]] int SliderPosition(ColourChannel channel) const;
    [[nodiscard]] std::string ValueText(ColourChannel channel) const;
    [[nodiscard]] bool SlidersEnabled() const { return !m_erase; }
    void MoveSlider(ColourChannel channel, int position);
    // A value typed into a channel's field: a whole number from 0 to 255
    // (spaces around it allowed). False, with the colour as it was, for
    // anything else.
    [[nodiscard]] bool TypeValue(ColourChannel channel, const std::string& text);
    // The colour as "#RRGGBB", or "#RRGGBBAA" when it is not opaque.
    [[nodiscard]] std::string HexText() const;
    // "#RRGGBB" (opaque) or "#RRGGBBAA", the '#' optional, either case.
    // False, with the colour as it was, for anything else.
    [[nodiscard]] bool TypeHex(const std::string& text);

    // The picking palette, painted at (kPaletteX, kPaletteY) in single-colour
    // mode only. Picking takes red, green and blue; alpha stays.
    [[nodiscard]] const CLayerImage& Palette() const { return m_palette; }
    void PaintPalette(Surface& surface) const;
    // A left-button press at client (x, y); true when a colour was picked.
    bool LeftButtonDown(int x, int y);
    // A mouse move; picks while exactly one of the two buttons is held.
    bool MouseMove(int x, int y, bool leftHeld, bool rightHeld);

    // Toolbar commands: Erase (single-colour mode), Reverse (multi-colour
    // mode), Add to presets.
    struct CommandState {
        bool enabled = false;
        bool checked = false;
    };
    [[nodiscard]] CommandState StateOf(int command) const;
    // Runs a command if it is enabled; false for one that is not the panel's.
    bool OnCommand(int command);
    [[nodiscard]] bool IsErase() const { return m_erase; }

    // The preset list.
    [[nodiscard]] size_t PresetCount() const { return m_presets.size(); }
    [[nodiscard]] const std::string& PresetName(size_t index) const {
        return m_presets[index].title;
    }
    [[nodiscard]] const std::string& PresetPath(size_t index) const {
        return m_presets[index].path;
    }
    [[nodiscard]] const CMultiColorPen& PresetPen(size_t index) const {
        return *m_presets[index].pen;
    }
    // The item last chosen, or -1.
    [[nodiscard]] int SelectedPreset() const { return m_selectedPreset; }
    // The pen takes copies of the item's stops.
    void ChoosePreset(int index);
    // Asks for a name (the selected preset's proposed) and saves the pen's
    // stops under it in the user's preset folder, asking before replacing a
    // file; the list gains the preset or the item of that name takes the
    // new stops.
    void AddToPresets();

    // The strip of multi-colour mode, editing the pen.
    [[nodiscard]] CColorStripModel& Strip() { return m_strip; }

    // Where the mode's controls go in a client area of cx x cy, given the
    // toolbar's and the strip's own heights.
    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };
    struct Layout {
        Rect toolbar;
        Rect strip;
        Rect presetList;
    };
    [[nodiscard]] static Layout LayoutFor(int cx, int cy, int toolbarHeight, int stripHeight);

private:
    struct PresetItem {
        std::string title;
        std::string path;
        std::unique_ptr<CMultiColorPen> pen;
    };

    void LoadPresets();
    bool Pick(int x, int y);
    void ToggleErase();
    void ToggleReverse();
    void Notify() const {
        if (m_notify) m_notify();
    }
    void PanelChanged() const {
        if (m_onPanel) m_onPanel();
    }

    UiServices& m_ui;
    const AppPaths& m_paths;
    PixelColor m_colour = kInitialColour;
    CMultiColorPen m_pen;
    CColorStripModel m_strip;
    std::vector<PresetItem> m_presets;
    int m_selectedPreset = -1;
    bool m_erase = false;
    CLayerImage m_palette;
    std::function<void()> m_notify;
    std::function<void()> m_onPanel;
};

} // namespace pictoform
