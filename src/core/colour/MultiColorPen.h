#pragma once
// The colour set every tool paints with: a single colour with its erase
// switch, or gradient stops that the drawing code reads as a colour list and
// a 256-entry table. The strip on the colour panel edits the stops
// (CColorStripModel); presets and the undo history store them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "image/PenOutputs.h"
#include "image/PixelColor.h"

namespace pictoform {

class UiServices;

enum PenMode : int {
    kPenSingleColour = 0,
    kPenMultiColour = 1,
};

// A pen's whole colour state as the undo history keeps it: 32-bit
// little-endian words: gradient kind, shadow flag, stop count N, the single
// colour (colour bytes, word1, word2), mode, reverse flag, then N stops of
// three words each (colour bytes, position, word2). 32 + 12N bytes.
using PenState = std::vector<uint8_t>;

class CMultiColorPen {
public:
    // What SaveStops did; the first three values are the ones the preset
    // list has always acted on.
    enum SaveResult : int {
        kSaveFailed = -2,
        kSaveDeclined = -1,
        kSaveOverwritten = 0,
        kSaveWritten = 1,
    };

    static constexpr size_t kStateHeaderBytes = 32;
    static constexpr size_t kStopBytes = 12;

    CMultiColorPen();
    // A fresh pen that takes only the other's stops (presets are made so).
    CMultiColorPen(const CMultiColorPen& other);
    CMultiColorPen& operator=(const CMultiColorPen&) = delete;
    ~CMultiColorPen();

    // Stops, in ascending position. There are always at least two; the first
    // entry is the first end stop (position 0) and the last end stop has
    // position 1. The ends can be recoloured but not moved or deleted.
    size_t StopCount() const { return m_stops.size(); }
    const PixelColor& Stop(size_t index) const { return *m_stops[index]; }
    bool IsEndStop(size_t index) const;
    size_t LastEndIndex() const;

    // The selected stop's index, or -1.
    int SelectedIndex() const;
    // An index out of range clears the selection.
    void Select(int index);
    void ClearSelection() { m_selected = nullptr; }
    bool SelectedIsFirstEnd() const { return m_selected && m_selected == m_firstEnd; }
    bool SelectedIsLastEnd() const { return m_selected && m_selected == m_lastEnd; }

    // Appends a copy of the selected end stop (colour and word2; same
    // position) and selects it: how a new stop is peeled off an end.
    void SelectCopyOfSelectedEnd();
    // Moves the selected stop, unless it is an end, to position (limited to
    // 0 to 1) and tells the change listener. The caller sorts afterwards.
    void MoveSelectedStop(float position);
    // Gives the selected stop the colour bytes of rgba (red in the low byte);
    // without a selection the user is told to pick a stop and nothing changes.
    void SetNodeColor(uint32_t rgba, UiServices& ui);
    // Removes the selected stop unless it is an end; true when it did.
    bool DeleteSelectedStop();
    // Stable sort by ascending position.
    void SortStops();
    // This pen's stops become copies of other's; the selection is cleared.
    void CopyStopsFrom(const CMultiColorPen& other);

    // Called when the user changed a stop, so that what shows the colour set
    // is repainted.
    void SetChangeListener(std::function<void()> listener) { m_onChange = std::move(listener); }

    const PixelColor& SingleColor() const { return m_single; }
    // All twelve bytes; word2 is the erase switch.
    void SetSingleColor(const PixelColor& colour) { m_single = colour; }
    bool IsErase() const { return m_single.IsErase(); }
    void SetErase(bool erase) { m_single.SetErase(erase); }

    int Mode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    int GradientKind() const { return m_gradientKind; }
    void SetGradientKind(int kind) { m_gradientKind = kind; }
    bool ShadowEnabled() const { return m_shadow != 0; }
    void SetShadowEnabled(bool on) { m_shadow = on ? 1 : 0; }
    bool Reverse() const { return m_reverse != 0; }
    void SetReverse(bool on) { m_reverse = on ? 1 : 0; }

    // Rebuilds the outputs: in single-colour mode the colour list is the
    // single colour and the table is kept; in multi-colour mode the list is
    // the stops and the table the gradient sampled at 256 steps.
    void BuildColors();
    const PenOutputs& Outputs() const { return m_outputs; }
    // The pen owns the rectangle gradient's outline; the objects fill it.
    std::vector<RectangleCorner>& RectangleOutline() { return m_outputs.rectangleOutline; }

    // Preset files (.gpr): a 32-bit stop count, then 12 bytes a stop. A file
    // that does not describe a usable strip is refused with a reason and the
    // stops stay as they were.
    [[nodiscard]] bool LoadStops(const std::string& path, std::string& reason);
    // Asks before replacing an existing file; a failed write is reported to
    // the user too.
    SaveResult SaveStops(const std::string& path, UiServices& ui) const;

    size_t StateSize() const { return kStateHeaderBytes + kStopBytes * m_stops.size(); }
    PenState SaveState() const;
    // Takes the whole colour state from a block (bytes past the state are
    // ignored) and rebuilds the outputs. A block that is short or holds no
    // usable strip is refused and the pen is left as it was.
    [[nodiscard]] bool RestoreState(std::span<const uint8_t> block);

private:
    // Checks a candidate stop list against the strip's invariants; on
    // success the list replaces the stops. Shared by the readers.
    bool AdoptStops(std::vector<PixelColor> stops, std::string& reason);
    void Notify() const {
        if (m_onChange) m_onChange();
    }

    PenOutputs m_outputs;
    std::vector<std::unique_ptr<PixelColor>> m_stops;
    PixelColor m_single;
    int m_mode = kPenSingleColour;
    int m_gradientKind = kGradientLinear;
    int m_shadow = 0;
    int m_reverse = 0;
    // Borrowed from m_stops; they follow their stops through every sort.
    PixelColor* m_selected = nullptr;
    PixelColor* m_firstEnd = nullptr;
    PixelColor* m_lastEnd = nullptr;
    std::function<void()> m_onChange;
};

} // namespace pictoform
