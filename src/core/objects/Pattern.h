#pragma once
// A drawing object: a shape, lifted pixels, a mask or a text that floats over
// a layer in an oriented frame until it is merged. The frame maps (u, v) to
// the canvas point origin + u * U + v * V; all positions are in canvas units
// (pixels of the tripled picture, three per icon pixel).

#include <array>
#include <string>
#include <vector>

#include "image/DisplayPainter.h"
#include "image/LayerImage.h"

namespace pictoform {

class CMultiColorPen;

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const Vec2&, const Vec2&) = default;
};

// Handle indices, as HitTestHandle returns them and DragHandle takes them.
enum PatternHandle : int {
    kHandleLeftTop = 0,
    kHandleLeftCenter = 1,
    kHandleLeftBottom = 2,
    kHandleCenterTop = 3,
    kHandleCenterBottom = 4,
    kHandleRightTop = 5,
    kHandleRightCenter = 6,
    kHandleRightBottom = 7,
    kHandleMove = 8,
    kHandleNone = 9,
    kHandleRotationCentre = 10,
    kHandleRotate = 11,
    kHandleGradientStart = 12,
    kHandleGradientEnd = 13,
    kHandleMorphPoint = 14,
};

// Which kind an object is, for the code that treats kinds differently (the
// history keeps lifted pixels, the context menu differs per kind).
enum class PatternKind {
    Rect,
    Triangle,
    Copied,
    Masked,
    PixelText,
};

// The object's whole geometry as the undo history records it: fifteen words.
struct PatternGeometry {
    Vec2 origin;
    Vec2 axisU;
    Vec2 axisV;
    float angle = 0.0f;
    Vec2 rotationCentre;
    Vec2 rotationHandle;
    Vec2 gradientStart;
    Vec2 gradientEnd;
    friend bool operator==(const PatternGeometry&, const PatternGeometry&) = default;
};
static_assert(sizeof(PatternGeometry) == 15 * 4, "fifteen 32-bit words");

// The display factor of a zoom: canvas point p shows at p * DisplayScale(zoom).
constexpr float DisplayScale(int zoom) {
    return static_cast<float>(zoom) * 0.33333334f;
}

class CPattern {
public:
    CPattern(const CPattern&) = delete;
    CPattern& operator=(const CPattern&) = delete;
    virtual ~CPattern() = default;

    [[nodiscard]] virtual PatternKind Kind() const = 0;

    // The frame on the display image at the given zoom; the gradient line and
    // its end points only when showGradient.
    virtual void DrawFrame(DisplayPainter& painter, int zoom, bool showGradient) const;
    void Move(float dx, float dy);
    // Turns origin, U and V about (cx, cy); the rotation points stay.
    void Rotate(float cx, float cy, float angle);
    // Draws the object's pixels into a layer picture with the pen's colours.
    // The base only rebuilds the pen's rectangle-gradient outline (when the
    // pen paints with that gradient); every kind calls it first.
    virtual void Render(CLayerImage& target, CMultiColorPen& pen) const;
    // (x, y) in canvas units; the radius of a handle is 5 screen pixels.
    [[nodiscard]] virtual int HitTestHandle(float x, float y, int zoom, bool showGradient);
    // Moves the active handle: (px, py) the pointer in canvas units, (dx, dy)
    // the movement since the last call.
    virtual void DragHandle(float px, float py, float dx, float dy);
    [[nodiscard]] bool Contains(float x, float y) const;
    static constexpr int kMaxMorphCells = 256;
    // Builds the morph grid the first time; later calls change nothing.
    virtual void InitMorphGrid(int columns, int rows);

    void InitFrame(int left, int top, int right, int bottom);
    [[nodiscard]] static std::string HandleName(int index);

    // The canvas point of a frame point.
    [[nodiscard]] Vec2 FramePoint(float u, float v) const;
    // Where a handle is; for 8 the frame's centre, for 14 the active morph
    // point, for any other index the origin.
    [[nodiscard]] Vec2 HandlePosition(int index) const;

    [[nodiscard]] PatternGeometry Geometry() const { return m_geometry; }
    void SetGeometry(const PatternGeometry& geometry) { m_geometry = geometry; }
    [[nodiscard]] const Vec2& Origin() const { return m_geometry.origin; }
    [[nodiscard]] const Vec2& AxisU() const { return m_geometry.axisU; }
    [[nodiscard]] const Vec2& AxisV() const { return m_geometry.axisV; }
    [[nodiscard]] float Angle() const { return m_geometry.angle; }
    [[nodiscard]] const Vec2& RotationCentre() const { return m_geometry.rotationCentre; }
    [[nodiscard]] const Vec2& RotationHandle() const { return m_geometry.rotationHandle; }
    [[nodiscard]] const Vec2& GradientStart() const { return m_geometry.gradientStart; }
    [[nodiscard]] const Vec2& GradientEnd() const { return m_geometry.gradientEnd; }

    [[nodiscard]] int ActiveHandle() const { return m_activeHandle; }
    void SetActiveHandle(int handle) { m_activeHandle = handle; }

    [[nodiscard]] bool MorphMode() const { return m_morphMode; }
    void SetMorphMode(bool on) { m_morphMode = on; }
    [[nodiscard]] bool HasMorphGrid() const { return !m_morphGrid.empty(); }
    [[nodiscard]] int MorphColumns() const { return m_columns; }
    [[nodiscard]] int MorphRows() const { return m_rows; }
    // Point (i, j) of the grid, in frame coordinates; i up to columns, j up to rows.
    [[nodiscard]] const Vec2& MorphPoint(int i, int j) const {
        return m_morphGrid[static_cast<size_t>(j) * static_cast<size_t>(m_columns + 1) +
                           static_cast<size_t>(i)];
    }
    [[nodiscard]] const std::vector<Vec2>& MorphGrid() const { return m_morphGrid; }
    [[nodiscard]] int ActiveMorphPoint() const { return m_activeMorphPoint; }

protected:
    CPattern() = default;

    // Shared by the kinds that keep to whole icon pixels (lifted pixels and
    // pixel-aligned text): the outline from the origin snapped down to an
    // icon pixel, U.x wide and V.y tall, dotted black.
    void DrawSnappedOutline(DisplayPainter& painter, int zoom) const;
    // The gradient line with its start and end circles.
    void DrawGradientHandles(DisplayPainter& painter, int zoom) const;
    // kHandleGradientEnd or kHandleGradientStart when (x, y) is on one of
    // them (the end is tested first), else kHandleNone.
    [[nodiscard]] int HitGradientHandle(float x, float y, int zoom) const;
    // Sets a gradient point (or morph point) from the pointer, each coordinate
    // only along an axis long enough to measure it.
    void SetFramePointFromPointer(Vec2& point, float px, float py) const;

    void SetMorphGrid(int columns, int rows, std::vector<Vec2> points) {
        m_columns = columns;
        m_rows = rows;
        m_morphGrid = std::move(points);
    }

    PatternGeometry m_geometry;

private:
    std::vector<Vec2> m_morphGrid;
    int m_columns = -1;
    int m_rows = -1;
    bool m_morphMode = false;
    int m_activeMorphPoint = 0;
    int m_activeHandle = kHandleNone;
};

} // namespace pictoform
