// Reading and writing icon files, and reducing colours.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "icon/ColorReduction.h"
#include "icon/IconFile.h"

using namespace pictoform;

namespace {

// A 32-bit image with smooth colour changes and a soft round edge.
IconImageRec MakeImage(int side) {
    IconImageRec rec;
    rec.width = rec.height = side;
    rec.depth = kDepth32;
    const size_t n = static_cast<size_t>(side) * static_cast<size_t>(side);
    rec.colours.resize(n * 3);
    rec.alpha.resize(n);
    rec.mask.resize(n);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const size_t p = static_cast<size_t>(y * side + x);
            rec.colours[p * 3] = static_cast<uint8_t>(x * 255 / side);
            rec.colours[p * 3 + 1] = static_cast<uint8_t>(y * 255 / side);
            rec.colours[p * 3 + 2] = static_cast<uint8_t>((x ^ y) * 7);
            const int dx = 2 * x - side, dy = 2 * y - side;
            const int d = dx * dx + dy * dy;
            rec.alpha[p] =
                d < side * side ? static_cast<uint8_t>(255 - d * 255 / (side * side)) : 0;
            rec.mask[p] = rec.alpha[p] != 0;
        }
    }
    return rec;
}

std::vector<IconImageRec> NineImages() {
    std::vector<IconImageRec> images;
    for (int side : {16, 20, 24, 32, 40, 48, 64, 128, 256}) images.push_back(MakeImage(side));
    return images;
}

std::string TempPath(const char* name) {
    return "/tmp/pictoform-bench-" + std::to_string(::getpid()) + "-" + name;
}

void BM_WriteNineImageIcon(benchmark::State& state) {
    const auto images = NineImages();
    const std::string path = TempPath("write.ico");
    CIconFile engine;
    for (auto _ : state) {
        if (!engine.WriteIconFile(path, images, 0)) state.SkipWithError(engine.LastError().c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteNineImageIcon)->Unit(benchmark::kMicrosecond);

void BM_ReadNineImageIcon(benchmark::State& state) {
    const std::string path = TempPath("read.ico");
    CIconFile engine;
    if (!engine.WriteIconFile(path, NineImages(), 0)) state.SkipWithError("cannot write");
    for (auto _ : state) {
        if (!engine.ReadIconFile(path)) state.SkipWithError(engine.LastError().c_str());
        benchmark::DoNotOptimize(engine.Images().data());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadNineImageIcon)->Unit(benchmark::kMicrosecond);

void BM_EncodeNineImageIconInMemory(benchmark::State& state) {
    const auto images = NineImages();
    CIconFile engine;
    std::vector<uint8_t> out;
    for (auto _ : state) {
        if (!engine.EncodeIconFile(images, 0, out)) state.SkipWithError("cannot encode");
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EncodeNineImageIconInMemory)->Unit(benchmark::kMicrosecond);

void BM_ReduceColors256(benchmark::State& state) {
    // Every pixel its own colour: the worst case for the subdivision.
    std::vector<uint8_t> bgr(256 * 256 * 3);
    for (size_t p = 0; p < 256 * 256; ++p) {
        bgr[p * 3] = static_cast<uint8_t>(p);
        bgr[p * 3 + 1] = static_cast<uint8_t>(p >> 8);
        bgr[p * 3 + 2] = static_cast<uint8_t>((p * 37) >> 4);
    }
    const int limit = static_cast<int>(state.range(0));
    const int bits = limit > 15 ? 8 : (limit > 4 ? 4 : (limit > 2 ? 2 : 1));
    std::vector<uint8_t> palette, indices;
    for (auto _ : state) {
        if (!ReduceColors(bgr, 256 * 256, limit, bits, palette, indices)) {
            state.SkipWithError("reduction failed");
        }
        benchmark::DoNotOptimize(indices.data());
    }
}
BENCHMARK(BM_ReduceColors256)->Arg(255)->Arg(15)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace
