#include "history/HistoryChain.h"

#include <utility>

#include "history/HistoryFile.h"
#include "image/LayerImage.h"
#include "image/RasterPrimitives.h"
#include "objects/CopiedPattern.h"

namespace pictoform {

namespace {

// The icon pixel under a canvas coordinate, rounded down as the Line tool
// rounds when it draws, so that a line ending left of or above the canvas is
// drawn again along the same blocks.
int IconPixelOf(int32_t canvas) {
    const int64_t c = canvas;
    return static_cast<int>(c >= 0 ? c / 3 : -((2 - c) / 3));
}

void DrawStroke(const PenStrokeData& stroke, CLayerImage& picture, bool softEdges) {
    CMultiColorPen pen;
    if (!pen.RestoreState(stroke.pen)) return;
    if (softEdges || stroke.width / 3 != 1) {
        StrokeWithStops(picture, pen.Outputs(), stroke.x0, stroke.y0, stroke.x1, stroke.y1,
                        stroke.width);
        NormalizeCoverage(picture);
    } else {
        DrawPenLine(picture, pen.Outputs(), static_cast<float>(IconPixelOf(stroke.x0)),
                    static_cast<float>(IconPixelOf(stroke.y0)),
                    static_cast<float>(IconPixelOf(stroke.x1)),
                    static_cast<float>(IconPixelOf(stroke.y1)));
    }
}

CCopiedPattern* AsCopied(CPattern& object) {
    return object.Kind() == PatternKind::Copied ? static_cast<CCopiedPattern*>(&object) : nullptr;
}

// The state of a LayerSnapshot or PenStroke record on the layer's pictures.
void RecreateLayer(const HistoryNode& node, const HistoryTarget& target) {
    if (node.Kind() == HistoryKind::LayerSnapshot) {
        // A file that cannot be read leaves the picture as it is.
        (void)ReadHistoryFile(node.FilePath(), target.committed);
    } else if (node.Kind() == HistoryKind::PenStroke) {
        const HistoryNode* base = node.Previous();
        while (base && base->Kind() != HistoryKind::LayerSnapshot) base = base->Previous();
        // Lines drawn over anything but their own starting picture would be
        // a picture that never was; without one the layer stays as it is.
        if (base && ReadHistoryFile(base->FilePath(), target.committed)) {
            // No snapshot lies between base and node, so only lines remain.
            for (const HistoryNode* n = base->Next(); n && n != &node; n = n->Next()) {
                if (n->Kind() == HistoryKind::PenStroke)
                    DrawStroke(n->Stroke(), target.committed, target.softEdges);
            }
            DrawStroke(node.Stroke(), target.committed, target.softEdges);
        }
    }
    (void)target.committed.CopyTo(target.working);
}

// The state of an ObjectGeometry or ObjectPixels record on the active object.
void RecreateObject(const HistoryNode& node, CPattern& object) {
    CCopiedPattern* copied = AsCopied(object);
    if (copied && node.Kind() != HistoryKind::ObjectPixels) {
        // Lifted pixels take the picture of their latest pixel record.
        for (const HistoryNode* p = node.Previous(); p && p->Kind() != HistoryKind::ObjectStart;
             p = p->Previous()) {
            if (p->Kind() == HistoryKind::ObjectPixels) {
                object.SetGeometry(p->Geometry());
                (void)ReadHistoryFile(p->FilePath(), copied->Picture());
                break;
            }
        }
    }
    object.SetGeometry(node.Geometry());
    if (copied && node.Kind() == HistoryKind::ObjectPixels)
        (void)ReadHistoryFile(node.FilePath(), copied->Picture());
}

} // namespace

HistoryNode::~HistoryNode() {
    RemoveHistoryFile(m_path);
    // One node at a time, so that a chain of any length never runs deep on the stack.
    std::unique_ptr<HistoryNode> next = std::move(m_next);
    while (next) {
        std::unique_ptr<HistoryNode> after = std::move(next->m_next);
        next.reset();
        next = std::move(after);
    }
}

void HistoryNode::Clear() {
    RemoveHistoryFile(m_path);
    m_path.clear();
    m_kind = HistoryKind::None;
    m_geometry = PatternGeometry{};
    m_stroke = PenStrokeData{};
}

bool HistoryNode::MakeLayerSnapshot(const CLayerImage& picture, HistoryStore& store) {
    Clear();
    if (!store.WritePicture(picture, HistoryFileUse::LayerSnapshot, m_path)) return false;
    m_kind = HistoryKind::LayerSnapshot;
    return true;
}

bool HistoryNode::MakeObjectRecord(const CPattern& object, bool keepPixels, HistoryStore& store) {
    Clear();
    const auto* copied = object.Kind() == PatternKind::Copied
                             ? static_cast<const CCopiedPattern*>(&object)
                             : nullptr;
    if (copied && keepPixels) {
        if (!store.WritePicture(copied->Picture(), HistoryFileUse::ObjectPixels, m_path))
            return false;
        m_kind = HistoryKind::ObjectPixels;
    } else {
        m_kind = HistoryKind::ObjectGeometry;
    }
    m_geometry = object.Geometry();
    return true;
}

void HistoryNode::MakePenStroke(int x0, int y0, int x1, int y1, int width,
                                const CMultiColorPen& pen) {
    Clear();
    m_kind = HistoryKind::PenStroke;
    m_stroke = PenStrokeData{x0, y0, x1, y1, width, pen.SaveState()};
}

void HistoryNode::MakeObjectStart() {
    Clear();
    m_kind = HistoryKind::ObjectStart;
}

void HistoryChain::AppendNode(std::unique_ptr<HistoryNode> node) {
    if (!node) return;
    HistoryNode* added = node.get();
    if (!m_current) {
        // An empty chain; the old list, if any, went with DropObjectRecords.
        m_first = std::move(node);
        m_current = added;
        return;
    }
    m_current->m_next = std::move(node); // frees the redo branch, files and all
    added->m_previous = m_current;
    m_current = added;
}

bool HistoryChain::AppendLayerSnapshot(const CLayerImage& picture, HistoryStore& store) {
    auto node = std::make_unique<HistoryNode>();
    if (!node->MakeLayerSnapshot(picture, store)) return false;
    AppendNode(std::move(node));
    return true;
}

bool HistoryChain::AppendObjectRecord(const CPattern& object, bool keepPixels,
                                      HistoryStore& store) {
    auto node = std::make_unique<HistoryNode>();
    if (!node->MakeObjectRecord(object, keepPixels, store)) return false;
    AppendNode(std::move(node));
    return true;
}

void HistoryChain::AppendPenStroke(int x0, int y0, int x1, int y1, int width,
                                   const CMultiColorPen& pen) {
    auto node = std::make_unique<HistoryNode>();
    node->MakePenStroke(x0, y0, x1, y1, width, pen);
    AppendNode(std::move(node));
}

void HistoryChain::AppendObjectStart() {
    auto node = std::make_unique<HistoryNode>();
    node->MakeObjectStart();
    AppendNode(std::move(node));
}

void HistoryChain::DropObjectRecords() {
    HistoryNode* start = m_current;
    while (start && start->m_kind != HistoryKind::ObjectStart) start = start->m_previous;
    // Without a creation marker every record belongs to the layer itself.
    if (!start) return;
    HistoryNode* before = start->m_previous;
    if (!before) {
        m_current = nullptr;
        m_first.reset();
        return;
    }
    m_current = before;
    before->m_next.reset();
}

bool HistoryChain::Undo(const HistoryTarget& target) {
    if (!m_current) return false;
    // Neither from the creation marker nor onto it: the layer's own states
    // stay out of reach while its object is active.
    HistoryNode* previous = m_current->m_previous;
    if (m_current->m_kind != HistoryKind::ObjectStart && previous &&
        previous->m_kind != HistoryKind::ObjectStart)
        m_current = previous;
    return Apply(target);
}

bool HistoryChain::Redo(const HistoryTarget& target) {
    if (!m_current) return false;
    if (m_current->m_next) m_current = m_current->m_next.get();
    return Apply(target);
}

bool HistoryChain::Apply(const HistoryTarget& target) {
    switch (m_current->m_kind) {
    case HistoryKind::ObjectStart:
        return false;
    case HistoryKind::ObjectGeometry:
    case HistoryKind::ObjectPixels:
        if (!target.activeObject) return false;
        RecreateObject(*m_current, *target.activeObject);
        return true;
    default:
        RecreateLayer(*m_current, target);
        return true;
    }
}

} // namespace pictoform
