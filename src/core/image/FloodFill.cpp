#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "image/RasterPrimitives.h"

namespace pictoform {

namespace {

// The table index of the pen's gradient at a pixel.
class GradientIndex {
public:
    GradientIndex(int kind, float originX, float originY, float vectorX, float vectorY)
        : m_radial(kind == kGradientRadial), m_ox(originX), m_oy(originY) {
        const double vx = vectorX, vy = vectorY;
        const double lengthSquared = vx * vx + vy * vy;
        // A gradient dragged to nothing (or a broken one) gives the first
        // entry everywhere instead of dividing by zero.
        m_flat = !std::isfinite(m_ox) || !std::isfinite(m_oy) || !std::isfinite(lengthSquared) ||
                 lengthSquared == 0.0;
        if (m_flat) return;
        m_vx = vx / lengthSquared;
        m_vy = vy / lengthSquared;
        m_radius = std::sqrt(lengthSquared);
    }

    int At(int x, int y) const {
        if (m_flat) return 0;
        const double dx = x - m_ox, dy = y - m_oy;
        const double index = m_radial ? std::sqrt(dx * dx + dy * dy) / m_radius * 255.0
                                      : std::fabs((dx * m_vx + dy * m_vy) * 255.0);
        return static_cast<int>(std::min(index, 255.0));
    }

private:
    bool m_radial;
    bool m_flat = true;
    double m_ox, m_oy;
    double m_vx = 0.0, m_vy = 0.0, m_radius = 0.0;
};

struct Seed {
    int x, y;
};

} // namespace

void FloodFill(CLayerImage& image, int x, int y, const PenOutputs& pen, float originX,
               float originY, float vectorX, float vectorY) {
    if (image.IsNull() || x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) return;
    // The vertex and rectangle gradients have no meaning on a free region.
    if (pen.gradientKind != kGradientLinear && pen.gradientKind != kGradientRadial) return;
    if (pen.colours.empty()) return;

    const int width = image.Width(), height = image.Height();
    const size_t stride = static_cast<size_t>(image.Stride());
    uint8_t* bits = image.ColourBits();
    uint8_t* alpha = image.AlphaPlane();
    uint8_t* coverage = image.CoveragePlane();
    auto index = [width](int px, int py) { return static_cast<size_t>(py) * width + px; };
    auto bgr = [&](int px, int py) { return bits + py * stride + 3 * static_cast<size_t>(px); };

    const uint8_t* seedBgr = bgr(x, y);
    const uint8_t targetB = seedBgr[0], targetG = seedBgr[1], targetR = seedBgr[2];
    const uint8_t targetCoverage = coverage[index(x, y)];
    // Alpha is not compared; the visited mark keeps a fill in the target's own
    // colour from finding its pixels again.
    auto matches = [&](int px, int py) {
        const uint8_t c = coverage[index(px, py)];
        const uint8_t* p = bgr(px, py);
        return c != kFloodVisited && c == targetCoverage && p[0] == targetB && p[1] == targetG &&
               p[2] == targetR;
    };

    const bool single = pen.colours.size() == 1;
    const GradientIndex gradient(pen.gradientKind, originX, originY, vectorX, vectorY);
    auto paint = [&](int px, int py) {
        const PixelColor& colour = single ? pen.single : pen.table[gradient.At(px, py)];
        uint8_t* p = bgr(px, py);
        p[0] = colour.blue;
        p[1] = colour.green;
        p[2] = colour.red;
        alpha[index(px, py)] = colour.alpha;
        coverage[index(px, py)] = kFloodVisited;
    };

    // One seed per run of matching pixels in the rows next to a painted run:
    // the rightmost pixel of each.
    std::vector<Seed> seeds;
    auto pushRuns = [&](int row, int left, int right) {
        for (int px = left; px <= right; ++px)
            if (matches(px, row) && (px == right || !matches(px + 1, row)))
                seeds.push_back({px, row});
    };

    seeds.push_back({x, y});
    bool first = true;
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        // A seed whose run another run has painted since is done; skipping it
        // keeps the stack within a few entries per pixel.
        if (!first && !matches(seed.x, seed.y)) continue;
        first = false;
        paint(seed.x, seed.y);
        int left = seed.x, right = seed.x;
        while (left > 0 && matches(left - 1, seed.y)) paint(--left, seed.y);
        while (right < width - 1 && matches(right + 1, seed.y)) paint(++right, seed.y);
        if (seed.y + 1 < height) pushRuns(seed.y + 1, left, right);
        if (seed.y > 0) pushRuns(seed.y - 1, left, right);
    }
    NormalizeCoverage(image);
}

} // namespace pictoform
