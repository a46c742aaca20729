#pragma once
// The undo history of one layer: a list of records, each the state after one
// editing step, with a cursor on the present one. Whole pictures live in
// history files (HistoryFile.h); a line of the Line tool is kept as its end
// points, width and pen and drawn again on replay. While a drawing object is
// active its records describe the object, and undo never goes back past the
// marker of its creation.

#include <cstdint>
#include <memory>
#include <string>

#include "colour/MultiColorPen.h"
#include "objects/Pattern.h"

namespace pictoform {

class CLayerImage;
class HistoryStore;

enum class HistoryKind : uint32_t {
    None = 0,
    ObjectGeometry = 1,
    ObjectPixels = 2,
    LayerSnapshot = 3,
    ObjectStart = 4,
    PenStroke = 0xFF01,
};

// A line as it is drawn again: end points and width in canvas units (three
// per icon pixel), and the pen's whole colour state.
struct PenStrokeData {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t width = 0;
    PenState pen;
};

class HistoryNode {
public:
    HistoryNode() = default;
    HistoryNode(const HistoryNode&) = delete;
    HistoryNode& operator=(const HistoryNode&) = delete;
    // Deletes the node's file from disk, then every node after it, the same way.
    ~HistoryNode();

    // Each Make... first forgets what the node held (deleting its file). A
    // failed one leaves the node of kind None.
    // A picture of the layer, written to a new history file.
    [[nodiscard]] bool MakeLayerSnapshot(const CLayerImage& picture, HistoryStore& store);
    // The object's geometry; for lifted or pasted pixels with keepPixels,
    // also their picture in a new file (kind ObjectPixels).
    [[nodiscard]] bool MakeObjectRecord(const CPattern& object, bool keepPixels,
                                        HistoryStore& store);
    void MakePenStroke(int x0, int y0, int x1, int y1, int width, const CMultiColorPen& pen);
    void MakeObjectStart();

    [[nodiscard]] HistoryKind Kind() const { return m_kind; }
    // Kinds ObjectGeometry and ObjectPixels.
    [[nodiscard]] const PatternGeometry& Geometry() const { return m_geometry; }
    // Kinds ObjectPixels and LayerSnapshot; empty for the others.
    [[nodiscard]] const std::string& FilePath() const { return m_path; }
    // Kind PenStroke.
    [[nodiscard]] const PenStrokeData& Stroke() const { return m_stroke; }
    [[nodiscard]] HistoryNode* Previous() const { return m_previous; }
    [[nodiscard]] HistoryNode* Next() const { return m_next.get(); }

private:
    friend class HistoryChain;
    void Clear();

    HistoryKind m_kind = HistoryKind::None;
    PatternGeometry m_geometry;
    std::string m_path;
    PenStrokeData m_stroke;
    HistoryNode* m_previous = nullptr;
    std::unique_ptr<HistoryNode> m_next;
};

// What undo and redo re-create: the layer's pictures and its active object.
struct HistoryTarget {
    CLayerImage& committed;
    CLayerImage& working;
    CPattern* activeObject = nullptr;
    // The format has 32 bits per pixel: lines are drawn again as soft strokes.
    bool softEdges = false;
};

class HistoryChain {
public:
    HistoryChain() = default;
    HistoryChain(const HistoryChain&) = delete;
    HistoryChain& operator=(const HistoryChain&) = delete;
    ~HistoryChain() = default;

    // Makes node the present state; the records after the old present one
    // (what redo would have restored) are freed, with their files.
    void AppendNode(std::unique_ptr<HistoryNode> node);
    // Make... and AppendNode in one. A record that cannot be made is not
    // appended and the chain stays as it was.
    [[nodiscard]] bool AppendLayerSnapshot(const CLayerImage& picture, HistoryStore& store);
    [[nodiscard]] bool AppendObjectRecord(const CPattern& object, bool keepPixels,
                                          HistoryStore& store);
    void AppendPenStroke(int x0, int y0, int x1, int y1, int width, const CMultiColorPen& pen);
    void AppendObjectStart();

    // Discards the active object's records: its creation marker and
    // everything after it. A chain without such a marker keeps its records.
    void DropObjectRecords();

    // Move the cursor one record back (forward) and re-create that state;
    // neither passes an object's creation marker. True when the layer's
    // pictures or the active object were re-created and need a repaint.
    bool Undo(const HistoryTarget& target);
    bool Redo(const HistoryTarget& target);

    [[nodiscard]] HistoryNode* Current() const { return m_current; }
    [[nodiscard]] HistoryNode* First() const { return m_first.get(); }
    [[nodiscard]] bool Empty() const { return m_first == nullptr; }

private:
    bool Apply(const HistoryTarget& target);

    std::unique_ptr<HistoryNode> m_first;
    HistoryNode* m_current = nullptr;
};

} // namespace pictoform
