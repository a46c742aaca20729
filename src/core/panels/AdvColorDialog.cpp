#include "panels/AdvColorDialog.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "colour/EditColorModel.h"

namespace pictoform {

namespace {

namespace fs = std::filesystem;

std::string Lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return s;
}

bool HasPresetEnding(const std::string& name) {
    return name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".gpr";
}

// The presets of one folder into byTitle, replacing entries of the same title.
void CollectPresets(const std::string& folder, std::map<std::string, std::string>& byTitle) {
    if (folder.empty()) return;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!HasPresetEnding(it->path().filename().string())) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        byTitle[it->path().stem().string()] = it->path().string();
    }
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || fs::equivalent(a, b, ec);
}

uint8_t& ChannelOf(PixelColor& colour, ColourChannel channel) {
    switch (channel) {
    case ColourChannel::Red:
        return colour.red;
    case ColourChannel::Green:
        return colour.green;
    case ColourChannel::Blue:
        return colour.blue;
    default:
        return colour.alpha;
    }
}

constexpr PixelColor kSwatchOutline{90, 90, 90, 255};
constexpr PixelColor kWhite{255, 255, 255, 255};
constexpr int kSwatchInset = 3;
constexpr int kSwatchCell = 7;

// The colour over a checker cell of grey level base: ((c - base) * a + base * 255) >> 8.
uint8_t OverChecker(int channel, int alpha, int base) {
    return static_cast<uint8_t>(((channel - base) * alpha + base * 255) >> 8);
}

} // namespace

std::vector<PresetEntry> ListPresetFolders(const AppPaths& paths) {
    std::map<std::string, std::string> byTitle;
    const std::string shipped = paths.PresetsDir();
    const std::string user = paths.UserPresetsDir();
    CollectPresets(shipped, byTitle);
    if (!SameFolder(shipped, user)) CollectPresets(user, byTitle);

    std::vector<PresetEntry> list;
    for (auto& [title, path] : byTitle) list.push_back({title, path});
    // A directory gives its entries in no useful order; by name, ignoring
    // case first, the list is the same every time.
    std::sort(list.begin(), list.end(), [](const PresetEntry& a, const PresetEntry& b) {
        const std::string ka = Lowered(a.title);
        const std::string kb = Lowered(b.title);
        return ka != kb ? ka < kb : a.title < b.title;
    });
    return list;
}

void DrawColourSwatch(CLayerImage& image, int width, int height, const PixelColor& colour) {
    if (!image.Create(width, height)) return;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            image.SetBlock(x, y, edge ? kSwatchOutline : kWhite, 1);
        }
    }
    for (int y = kSwatchInset; y < height - kSwatchInset; ++y) {
        for (int x = kSwatchInset; x < width - kSwatchInset; ++x) {
            const int cell = (x - kSwatchInset) / kSwatchCell + (y - kSwatchInset) / kSwatchCell;
            const int base = cell % 2 == 0 ? 255 : 128;
            const PixelColor shown{OverChecker(colour.red, colour.alpha, base),
                                   OverChecker(colour.green, colour.alpha, base),
                                   OverChecker(colour.blue, colour.alpha, base), 255};
            image.SetBlock(x, y, shown, 1);
        }
    }
}

CAdvColorDialog::CAdvColorDialog(UiServices& ui, const AppPaths& paths)
    : m_ui(ui), m_paths(paths), m_strip(m_pen, ui) {
    BuildPickingPalette(m_palette, kPaletteWidth, kPaletteHeight);
    // Strip edits repaint the view too.
    m_pen.SetChangeListener([this] { Notify(); });
    LoadPresets();
}

void CAdvColorDialog::LoadPresets() {
    for (PresetEntry& entry : ListPresetFolders(m_paths)) {
        auto pen = std::make_unique<CMultiColorPen>();
        std::string reason;
        // A file that holds no usable strip could not be chosen; it is left
        // out of the list (and left alone on disk).
        if (!pen->LoadStops(entry.path, reason)) continue;
        m_presets.push_back({std::move(entry.title), std::move(entry.path), std::move(pen)});
    }
}

CMultiColorPen& CAdvColorDialog::GetPen() {
    PixelColor single = m_colour;
    single.SetErase(m_erase);
    m_pen.SetSingleColor(single);
    m_pen.BuildColors();
    return m_pen;
}

void CAdvColorDialog::SetColor(uint32_t rgba, uint32_t word1, uint32_t word2) {
    if (!IsSingleMode()) {
        m_pen.SetNodeColor(rgba, m_ui);
        PanelChanged();
        return;
    }
    m_colour = PixelColor::FromRgba32(rgba);
    m_colour.word1 = word1;
    m_colour.word2 = word2;
    PanelChanged();
}

void CAdvColorDialog::SelectTab(int tab) {
    if (tab != kSingleColourTab && tab != kMultiColourTab) return;
    m_pen.SetMode(tab);
    Notify();
    PanelChanged();
}

int CAdvColorDialog::SliderPosition(ColourChannel channel) const {
    PixelColor colour = m_colour;
    return ChannelOf(colour, channel);
}

std::string CAdvColorDialog::ValueText(ColourChannel channel) const {
    return std::to_string(SliderPosition(channel));
}

void CAdvColorDialog::MoveSlider(ColourChannel channel, int position) {
    if (!SlidersEnabled()) return;
    ChannelOf(m_colour, channel) = static_cast<uint8_t>(std::clamp(position, 0, 255));
    PanelChanged();
    Notify();
}

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool CAdvColorDialog::TypeValue(ColourChannel channel, const std::string& text) {
    const std::string digits = Trimmed(text);
    if (!SlidersEnabled() || digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const int value = std::stoi(digits);
    if (value > 255) return false;
    MoveSlider(channel, value);
    return true;
}

std::string CAdvColorDialog::HexText() const {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string text = "#";
    const auto put = [&](uint8_t v) {
        text += kDigits[v >> 4];
        text += kDigits[v & 15];
    };
    put(m_colour.red);
    put(m_colour.green);
    put(m_colour.blue);
    if (m_colour.alpha != 255) put(m_colour.alpha);
    return text;
}

bool CAdvColorDialog::TypeHex(const std::string& text) {
    std::string hex = Trimmed(text);
    if (!hex.empty() && hex.front() == '#') hex.erase(0, 1);
    if (!SlidersEnabled() || (hex.size() != 6 && hex.size() != 8) ||
        hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    const auto byte = [&](size_t at) {
        return static_cast<uint8_t>(std::stoi(hex.substr(at, 2), nullptr, 16));
    };
    m_colour.red = byte(0);
    m_colour.green = byte(2);
    m_colour.blue = byte(4);
    m_colour.alpha = hex.size() == 8 ? byte(6) : 255;
    PanelChanged();
    Notify();
    return true;
}

void CAdvColorDialog::PaintPalette(Surface& surface) const {
    if (IsSingleMode()) m_palette.BlitTo(surface, kPaletteX, kPaletteY, 0, 0);
}

bool CAdvColorDialog::LeftButtonDown(int x, int y) {
    return Pick(x, y);
}

bool CAdvColorDialog::MouseMove(int x, int y, bool leftHeld, bool rightHeld) {
    return DragPicks(leftHeld, rightHeld) && Pick(x, y);
}

bool CAdvColorDialog::Pick(int x, int y) {
    if (!IsSingleMode()) return false;
    std::optional<PixelColor> picked = PickFromPalette(m_palette, kPaletteX, kPaletteY, x, y);
    if (!picked) return false;
    picked->alpha = m_colour.alpha;
    SetColor(picked->Rgba32(), 0, 0);
    Notify();
    return true;
}

CAdvColorDialog::CommandState CAdvColorDialog::StateOf(int command) const {
    switch (command) {
    case kEraseCommand:
        return {IsSingleMode(), m_erase};
    case kReverseCommand:
        return {!IsSingleMode(), m_pen.Reverse()};
    case kAddPresetCommand:
        return {true, false};
    default:
        return {};
    }
}

bool CAdvColorDialog::OnCommand(int command) {
    if (command != kEraseCommand && command != kReverseCommand && command != kAddPresetCommand)
        return false;
    if (!StateOf(command).enabled) return true;
    if (command == kEraseCommand) ToggleErase();
    if (command == kReverseCommand) ToggleReverse();
    if (command == kAddPresetCommand) AddToPresets();
    return true;
}

void CAdvColorDialog::ToggleErase() {
    m_erase = !m_erase;
    PanelChanged();
    Notify();
}

void CAdvColorDialog::ToggleReverse() {
    m_pen.SetReverse(!m_pen.Reverse());
    PanelChanged();
    Notify();
}

void CAdvColorDialog::ChoosePreset(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_presets.size()) return;
    m_selectedPreset = index;
    m_pen.CopyStopsFrom(*m_presets[static_cast<size_t>(index)].pen);
    PanelChanged();
    Notify();
}

void CAdvColorDialog::AddToPresets() {
    const bool selectedValid =
        m_selectedPreset >= 0 && static_cast<size_t>(m_selectedPreset) < m_presets.size();
    const std::string proposed =
        selectedValid ? m_presets[static_cast<size_t>(m_selectedPreset)].title : std::string();
    const std::optional<std::string> name = m_ui.EnterFileName(proposed);
    if (!name || name->empty()) return;
    // The name becomes one file in the preset folder, never a path elsewhere.
    if (name->find('/') != std::string::npos || name->find('\0') != std::string::npos) {
        m_ui.ShowMessage("A preset name cannot contain \"/\".", "Error", MessageIcon::Error,
                         MessageButtons::Ok);
        return;
    }

    const std::string folder = m_paths.UserPresetsDir();
    std::error_code ec;
    fs::create_directories(folder, ec); // a failure shows when the file cannot be written
    // No cut to a fixed length: that would drop the ".gpr" and save a preset
    // the list never finds again. A name the file system refuses is reported.
    const std::string path = (fs::path(folder) / (*name + ".gpr")).string();
    const CMultiColorPen::SaveResult result = m_pen.SaveStops(path, m_ui);
    if (result != CMultiColorPen::kSaveWritten && result != CMultiColorPen::kSaveOverwritten)
        return;

    // The item that shows this name takes the stops, whichever item is
    // selected: the selected one may show another preset entirely.
    auto same = std::find_if(m_presets.begin(), m_presets.end(),
                             [&](const PresetItem& item) { return item.title == *name; });
    if (same != m_presets.end()) {
        same->pen = std::make_unique<CMultiColorPen>(m_pen);
        same->path = path;
    } else {
        m_presets.push_back({*name, path, std::make_unique<CMultiColorPen>(m_pen)});
    }
    PanelChanged();
}

CAdvColorDialog::Layout CAdvColorDialog::LayoutFor(int cx, int cy, int toolbarHeight,
                                                   int stripHeight) {
    Layout layout;
    layout.toolbar = {6, 27, cx, toolbarHeight};
    layout.strip = {6, 27 + toolbarHeight + 10, std::max(cx - 10, 0), stripHeight};
    const int listY = layout.strip.y + stripHeight + 5;
    layout.presetList = {5, listY, std::max(cx - 10, 0), std::max(cy - listY, 0)};
    return layout;
}

} // namespace pictoform
