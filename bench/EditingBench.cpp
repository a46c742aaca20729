// The mouse handling of the editing view on the largest format: a pencil
// stroke of 100 movements with the widest round nib, and a lifted selection
// dragged through 100 movements. Each ends with its history record, as a
// real stroke does. Then the same with the window's repaint after each
// message, on eight translucent layers in a 1280 x 1024 window, as the
// whole repaint of ViewBench paints them.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "editor/PictoformView.h"
#include "editor/ViewMouse.h"
#include "editor/Workspace.h"
#include "platform/SilentUiServices.h"

using namespace pictoform;

namespace {

struct BenchPaths : AppPaths {
    std::string root;
    std::string PresetsDir() const override { return root + "/Presets"; }
    std::string MasksDir() const override { return root + "/Masks"; }
    std::string HistoryRoot() const override { return root + "/History"; }
    std::string SystemIconFile() const override { return root + "/sysiconinfo.ini"; }
};

// A workspace editing one 256 x 256 format of 32 bits at zoom 3 from the
// window's corner, so window points are canvas points.
struct Editing {
    Editing() {
        paths.root = (std::filesystem::temp_directory_path() / "pictoform-editing-bench").string();
        std::filesystem::remove_all(paths.root);
        std::filesystem::create_directories(paths.root);
        (void)workspace.StartHistory();
        view.InitialUpdate("");
        workspace.FormatList().RemoveAllFormats();
        (void)workspace.FormatList().AddFormat(
            std::make_unique<CIconFormat>(3, 256, 256, kDepth32, workspace.Layers()), false);
        view.Resize(3 * 256 + 1, 3 * 256 + 1);
        view.Paint();
    }
    ~Editing() { std::filesystem::remove_all(paths.root); }

    BenchPaths paths;
    SilentUiServices ui;
    Workspace workspace{ui, paths};
    CPictoformView view{workspace};
};

void BM_PencilStroke(benchmark::State& state) {
    Editing e;
    e.workspace.Tools().OnCommand(CToolDialog::kPencilRoundCommand);
    e.workspace.Tools().ChooseWidth(7);
    CViewMouse& mouse = e.view.Mouse();
    mouse.Move(100, 100, 0);
    for (auto _ : state) {
        mouse.Press(100, 100);
        // A loop across the picture in steps of 5 units.
        for (int i = 1; i <= 100; ++i) mouse.Move(100 + 5 * i, 100 + (i % 20) * 10, mouse::kLeft);
        mouse.Release(600, 100);
    }
}
BENCHMARK(BM_PencilStroke)->Unit(benchmark::kMillisecond);

void BM_SelectionDrag(benchmark::State& state) {
    Editing e;
    CIconLayer& layer = *e.workspace.CurrentLayer();
    layer.Committed().Fill(90, 255, 1);
    e.workspace.Tools().LeftButtonDown(ToolButton::Selection);
    CViewMouse& mouse = e.view.Mouse();
    mouse.Move(0, 0, 0);
    mouse.Press(0, 0);
    mouse.Move(384, 384, mouse::kLeft);
    mouse.Release(384, 384);
    if (!layer.ActiveObject()) state.SkipWithError("nothing lifted");
    // The object's centre moves between (192, 192) and (392, 292).
    int offset = 0;
    for (auto _ : state) {
        // Back and forth so the object stays on the picture.
        const int sign = (offset++ % 2 == 0) ? 1 : -1;
        const int x = sign > 0 ? 192 : 392;
        const int y = sign > 0 ? 192 : 292;
        mouse.Press(x, y);
        for (int i = 1; i <= 100; ++i) mouse.Move(x + sign * 2 * i, y + sign * i, mouse::kLeft);
        mouse.Release(x + sign * 200, y + sign * 100);
    }
    if (!layer.ActiveObject()) state.SkipWithError("the object was merged");
}
BENCHMARK(BM_SelectionDrag)->Unit(benchmark::kMillisecond);

// Eight translucent layers shown, as in the whole repaint's benchmark; the
// top one is painted on with a pencil eight icon pixels wide.
struct Layered : Editing {
    Layered() {
        CLayerDialog& layers = workspace.LayerPanel();
        for (int i = 1; i < 8; ++i) {
            (void)layers.AddLayer();
            layers.ClickItem(i, 2);
        }
        int i = 0;
        for (CIconLayer* layer : layers.CollectVisibleLayers()) {
            CLayerImage& c = layer->Committed();
            for (int y = 0; y < 256; ++y) {
                for (int x = (y + i) % 2; x < 256; x += 2) {
                    c.SetBlock(
                        x, y,
                        PixelColor{static_cast<uint8_t>(30 * i), static_cast<uint8_t>(x), 90, 160},
                        3);
                }
            }
            c.CopyTo(layer->Working());
            ++i;
        }
        workspace.Tools().OnCommand(CToolDialog::kPencilRoundCommand);
        workspace.Tools().ChooseWidth(7);
        view.Resize(1280, 1024);
        view.Paint();
    }
};

// One movement of a stroke and the repaint after it.
void BM_PencilStepRepaint(benchmark::State& state) {
    Layered e;
    CViewMouse& mouse = e.view.Mouse();
    mouse.Move(300, 300, 0);
    mouse.Press(300, 300);
    e.view.Paint();
    if (e.view.Geometry().zoom != 4) state.SkipWithError("not at zoom 4");
    int step = 0;
    for (auto _ : state) {
        // Back and forth over the middle of the picture, 12 window pixels a step.
        const int i = step++ % 50;
        const int x = 300 + 12 * (i < 25 ? i : 50 - i);
        mouse.Move(x, 300 + (i % 5) * 8, mouse::kLeft);
        e.view.PaintStep();
        benchmark::DoNotOptimize(e.view.Screen().ColourBits());
    }
    mouse.Release(300, 300);
}
BENCHMARK(BM_PencilStepRepaint)->Unit(benchmark::kMillisecond);

// A stroke of 100 movements with a repaint after each movement and after
// the release, as the window does it; the press's repaint is a whole one
// (BM_Repaint) and is left out.
void BM_PencilStrokeRepainted(benchmark::State& state) {
    Layered e;
    CViewMouse& mouse = e.view.Mouse();
    mouse.Move(300, 300, 0);
    for (auto _ : state) {
        state.PauseTiming();
        mouse.Press(300, 300);
        e.view.Paint();
        state.ResumeTiming();
        for (int i = 1; i <= 100; ++i) {
            mouse.Move(300 + 6 * i, 300 + (i % 20) * 8, mouse::kLeft);
            e.view.PaintStep();
        }
        mouse.Release(900, 300);
        e.view.PaintStep();
        benchmark::DoNotOptimize(e.view.Screen().ColourBits());
    }
}
BENCHMARK(BM_PencilStrokeRepainted)->Unit(benchmark::kMillisecond);

} // namespace
