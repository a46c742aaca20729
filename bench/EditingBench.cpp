// The mouse handling of the editing view on the largest format: a pencil
// stroke of 100 movements with the widest round nib, and a lifted selection
// dragged through 100 movements. Each ends with its history record, as a
// real stroke does; the repaint after each message is measured elsewhere.

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

} // namespace
