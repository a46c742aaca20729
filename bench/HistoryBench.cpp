// One undo step's picture going to a history file and coming back, for a
// 256 x 256 layer (a 768 x 768 tripled picture, about 2.9 MB a file).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "history/HistoryFile.h"
#include "image/LayerImage.h"
#include "platform/SilentUiServices.h"

using namespace pictoform;

namespace {

constexpr int kSide = 3 * 256;

// A fresh folder for the files, removed with them.
struct BenchDir {
    std::string path;
    BenchDir() {
        std::string name = (std::filesystem::temp_directory_path() / "pictoform-bench-XXXXXX");
        if (::mkdtemp(name.data())) path = name;
    }
    ~BenchDir() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

void FillPicture(CLayerImage& picture) {
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            picture.SetBlock(x, y,
                             PixelColor{static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                        static_cast<uint8_t>(x ^ y),
                                        static_cast<uint8_t>(40 + (x + y) % 200)},
                             1);
}

int64_t FileBytes(const CLayerImage& p) {
    return 8 + int64_t{p.Stride()} * p.Height() + 2 * int64_t{p.Width()} * p.Height();
}

void BM_HistorySnapshotWrite256(benchmark::State& state) {
    BenchDir dir;
    SilentUiServices ui;
    HistoryStore store(dir.path, ui);
    CLayerImage picture;
    if (dir.path.empty() || !picture.Create(kSide, kSide)) {
        state.SkipWithError("no folder or picture");
        return;
    }
    FillPicture(picture);
    std::string path;
    for (auto _ : state) {
        if (!store.WritePicture(picture, HistoryFileUse::LayerSnapshot, path)) {
            state.SkipWithError("cannot write");
            break;
        }
        state.PauseTiming();
        RemoveHistoryFile(path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(picture));
}
BENCHMARK(BM_HistorySnapshotWrite256)->Unit(benchmark::kMillisecond);

void BM_HistoryRestore256(benchmark::State& state) {
    BenchDir dir;
    SilentUiServices ui;
    HistoryStore store(dir.path, ui);
    CLayerImage picture;
    std::string path;
    if (dir.path.empty() || !picture.Create(kSide, kSide)) {
        state.SkipWithError("no folder or picture");
        return;
    }
    FillPicture(picture);
    if (!store.WritePicture(picture, HistoryFileUse::LayerSnapshot, path)) {
        state.SkipWithError("cannot write");
        return;
    }
    for (auto _ : state) {
        if (!ReadHistoryFile(path, picture)) {
            state.SkipWithError("cannot read");
            break;
        }
        benchmark::DoNotOptimize(picture.ColourBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(picture));
}
BENCHMARK(BM_HistoryRestore256)->Unit(benchmark::kMillisecond);

} // namespace
