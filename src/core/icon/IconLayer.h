#pragma once
// One layer of an icon format: tripled pictures, an opacity, a name, the
// layer's undo history and at most one active drawing object.

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "history/HistoryChain.h"
#include "image/LayerImage.h"
#include "image/RasterPrimitives.h"
#include "objects/Pattern.h"

namespace pictoform {

// Numbers the layers "Layer 1", "Layer 2", ... across all formats. One
// counter serves the whole program (its owner passes it to whoever makes
// layers); opening a file resets it so that the file's layers start at 1.
class LayerCounter {
public:
    // The next number; after INT_MAX it starts again at 1.
    int Next() {
        m_value = m_value == INT_MAX ? 1 : m_value + 1;
        return m_value;
    }
    void Reset() { m_value = 0; }
    // The next number is value + 1.
    void ContinueAfter(int value) { m_value = value; }
    [[nodiscard]] int Value() const { return m_value; }

private:
    int m_value = 0;
};

// A point on the tripled pictures, in their pixels (three per icon pixel).
struct CanvasPoint {
    float x = 0.0f;
    float y = 0.0f;
};

class HistoryStore;

class CIconLayer {
public:
    // Named from the counter; no pictures until Create, no history until CreateHistory.
    explicit CIconLayer(LayerCounter& counter);
    CIconLayer(const CIconLayer&) = delete;
    CIconLayer& operator=(const CIconLayer&) = delete;
    // The active object goes first, then the history with its files, then the rest.
    ~CIconLayer() = default;

    // Sets the icon size and makes both pictures at three times it, white and
    // empty. False, with the pictures null, for a size the pictures cannot take.
    [[nodiscard]] bool Create(int width, int height);

    [[nodiscard]] const std::string& Name() const { return m_name; }
    // A name kept in a project file, given back as it was.
    void SetName(std::string name) { m_name = std::move(name); }
    // Position in the layers panel (0 = bottom); the panel sets it when it shows the format.
    [[nodiscard]] int Index() const { return m_index; }
    void SetIndex(int index) { m_index = index; }
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] float Opacity() const { return m_opacity; }
    // Kept within 0 to 1 (NaN counts as 0): composing uses only the low byte
    // of alpha times opacity, so a larger value would wrap to a wrong alpha.
    void SetOpacity(float opacity);

    // What is composed and shown: the committed pixels plus the active object.
    [[nodiscard]] CLayerImage& Working() { return m_working; }
    [[nodiscard]] const CLayerImage& Working() const { return m_working; }
    // The merged pixels; the undo history records this one.
    [[nodiscard]] CLayerImage& Committed() { return m_committed; }
    [[nodiscard]] const CLayerImage& Committed() const { return m_committed; }

    // Corners of the tools' rubber-band outline.
    [[nodiscard]] std::vector<CanvasPoint>& OutlinePoints() { return m_outlinePoints; }
    [[nodiscard]] const std::vector<CanvasPoint>& OutlinePoints() const { return m_outlinePoints; }
    // The points of the stroke or drag in progress.
    [[nodiscard]] std::vector<PenPoint>& StrokePoints() { return m_strokePoints; }
    [[nodiscard]] const std::vector<PenPoint>& StrokePoints() const { return m_strokePoints; }

    // A new history (an old one goes, with its files) that starts with a
    // snapshot of the committed picture. When that snapshot cannot be
    // written the user has been told, the history starts empty and later
    // steps are still recorded; the result is then false.
    [[nodiscard]] bool CreateHistory(HistoryStore& store);
    // Null until CreateHistory.
    [[nodiscard]] HistoryChain* History() { return m_history.get(); }
    [[nodiscard]] const HistoryChain* History() const { return m_history.get(); }
    // One step back (forward) on this layer's pictures and active object;
    // softEdges for a 32-bit format. True when something was re-created and
    // the view needs a repaint.
    bool Undo(bool softEdges);
    bool Redo(bool softEdges);

    // The drawing object floating over the layer, or null.
    [[nodiscard]] CPattern* ActiveObject() const { return m_activeObject.get(); }
    // The previous object, if any, is destroyed.
    void SetActiveObject(std::unique_ptr<CPattern> object) { m_activeObject = std::move(object); }
    [[nodiscard]] std::unique_ptr<CPattern> TakeActiveObject() { return std::move(m_activeObject); }
    void DropActiveObject() { m_activeObject.reset(); }

private:
    [[nodiscard]] HistoryTarget Target(bool softEdges);

    int m_index = 0;
    int m_width = 0;
    int m_height = 0;
    float m_opacity = 1.0f;
    std::vector<CanvasPoint> m_outlinePoints;
    CLayerImage m_working;
    CLayerImage m_committed;
    std::vector<PenPoint> m_strokePoints;
    std::string m_name;
    // Last, so that they are destroyed first: the object, then the history.
    std::unique_ptr<HistoryChain> m_history;
    std::unique_ptr<CPattern> m_activeObject;
};

} // namespace pictoform
