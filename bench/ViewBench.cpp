// One whole repaint of the editing view: eight visible layers composed,
// reduced into the zoomed display with its grid, and placed in the window's
// picture, as every stroke and drag asks for.

#include <benchmark/benchmark.h>

#include "colour/DropShadow.h"
#include "colour/MultiColorPen.h"
#include "editor/ViewPaint.h"
#include "icon/IconFormat.h"

using namespace pictoform;

namespace {

constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 1024;
constexpr int kLayers = 8;

// Arguments: the format's side and depth, and the zoom (0: fitted); formats
// of few colours are shown in their saved colours, which costs a colour
// reduction per repaint. A zoomed canvas larger than the window is drawn
// only where the window shows it.
void BM_Repaint(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const auto depth = static_cast<int32_t>(state.range(1));
    LayerCounter counter;
    CIconFormat format(400 / side, side, side, depth, counter);
    CIconLayer* layer = format.FirstLayer();
    std::vector<CIconLayer*> visible;
    for (int i = 0; i < kLayers; ++i) {
        if (i > 0) layer = format.AddLayer(counter, true);
        // Half the icon covered, in translucent colours, so every layer blends.
        for (int y = 0; y < side; ++y) {
            for (int x = (y + i) % 2; x < side; x += 2) {
                layer->Working().SetBlock(
                    x, y,
                    PixelColor{static_cast<uint8_t>(30 * i), static_cast<uint8_t>(x), 90, 160}, 3);
            }
        }
        visible.push_back(layer);
    }
    CMultiColorPen pen;
    ShadowSettings shadow;
    CViewPainter painter;
    painter.Resize(kClientWidth, kClientHeight);
    PaintScene scene;
    scene.format = &format;
    scene.currentLayer = visible.front();
    scene.visibleLayers = visible;
    scene.pen = &pen;
    scene.shadow = &shadow;
    scene.zoom = state.range(2) > 0 ? static_cast<int>(state.range(2)) : 0;
    for (auto _ : state) {
        const ViewGeometry g = painter.Paint(scene);
        benchmark::DoNotOptimize(g);
        benchmark::DoNotOptimize(painter.Screen().ColourBits());
    }
}
BENCHMARK(BM_Repaint)
    ->Args({48, kDepth32, 0})
    ->Args({256, kDepth32, 0})
    ->Args({256, kDepth256, 0})
    ->Args({256, kDepth16, 0})
    ->Args({256, kDepth32, 32})
    ->Unit(benchmark::kMillisecond);

} // namespace
