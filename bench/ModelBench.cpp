// Composing and reducing a format, next to a plain copy of as many bytes as
// the composition reads from its layers.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "icon/IconFormat.h"

using namespace pictoform;

namespace {

constexpr int kSide = 256;
constexpr int kLayers = 8;

// 256 x 256 with eight visible layers, each covered everywhere in its own
// colours and with alpha that varies across the picture, so that every
// sub-pixel blends.
struct BenchFormat {
    LayerCounter counter;
    CIconFormat format{400 / kSide, kSide, kSide, kDepth32, counter};

    BenchFormat() {
        CIconLayer* layer = format.FirstLayer();
        for (int i = 0; i < kLayers; ++i) {
            if (i > 0) layer = format.AddLayer(counter, true);
            CLayerImage& picture = layer->Working();
            for (int y = 0; y < picture.Height(); ++y) {
                for (int x = 0; x < picture.Width(); ++x) {
                    const PixelColor c{static_cast<uint8_t>(x + 30 * i),
                                       static_cast<uint8_t>(y - 20 * i),
                                       static_cast<uint8_t>(x ^ y),
                                       static_cast<uint8_t>(40 + (x + y + 17 * i) % 200)};
                    picture.SetBlock(x, y, c, 1);
                }
            }
            layer->SetOpacity(0.5f + 0.05f * static_cast<float>(i));
        }
    }
};

// What the composition reads: every layer's colour, alpha and coverage planes.
size_t LayerBytes(const CIconFormat& format) {
    size_t bytes = 0;
    for (const CIconLayer* layer : format.VisibleLayers()) {
        const CLayerImage& p = layer->Working();
        bytes += static_cast<size_t>(p.Stride()) * p.Height() + 2u * p.Width() * p.Height();
    }
    return bytes;
}

void BM_ComposeFormat256x8(benchmark::State& state) {
    BenchFormat bench;
    for (auto _ : state) {
        bench.format.Compose();
        benchmark::DoNotOptimize(bench.format.Final().AlphaPlane());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(LayerBytes(bench.format)));
}
BENCHMARK(BM_ComposeFormat256x8)->Unit(benchmark::kMillisecond);

// The two stages after the composition, each alone: the 3 x 3 reduction of
// the tripled composite, and the zoomed display at zoom 4 with its dots.
void BM_Downsample256(benchmark::State& state) {
    BenchFormat bench;
    bench.format.Compose();
    for (auto _ : state) {
        CLayerImage::Downsample3x(bench.format.Composite(), nullptr, 0, bench.format.Final(),
                                  false);
        benchmark::DoNotOptimize(bench.format.Final().AlphaPlane());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Downsample256)->Unit(benchmark::kMillisecond);

void BM_ShowZoomed256(benchmark::State& state) {
    BenchFormat bench;
    bench.format.Compose();
    CLayerImage display;
    (void)display.Create(4 * kSide, 4 * kSide);
    for (auto _ : state) {
        CLayerImage::ShowZoomed(bench.format.Final(), display, 4);
        benchmark::DoNotOptimize(display.ColourBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShowZoomed256)->Unit(benchmark::kMillisecond);

void BM_MemcpyLayerBytes(benchmark::State& state) {
    BenchFormat bench;
    const size_t bytes = LayerBytes(bench.format);
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyLayerBytes)->Unit(benchmark::kMillisecond);

} // namespace
