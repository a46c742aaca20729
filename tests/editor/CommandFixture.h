#pragma once
// A view on a fresh 48 x 48 icon with undo, for driving the edit commands,
// with a folder of one mask for the mask tool.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "editor/ObjectEditing.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "objects/CopiedPattern.h"
#include "support/ScriptedUiServices.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"

namespace pictoform::test {

inline constexpr PixelColor kRed{255, 0, 0, 255};

class CommandFixture : public ::testing::Test {
protected:
    CommandFixture() {
        EXPECT_TRUE(workspace.StartHistory());
        view.InitialUpdate("");
    }

    CIconLayer& Layer() { return *workspace.CurrentLayer(); }
    CMultiColorPen& Pen() { return workspace.Colours().GetPen(); }
    bool Run(int id) { return view.Commands().Run(id); }
    CCopiedPattern* Copied() { return dynamic_cast<CCopiedPattern*>(Layer().ActiveObject()); }

    // Paints icon pixel (x, y) of the layer and records the layer as a pencil would.
    void Paint(int x, int y, PixelColor colour) {
        Layer().Committed().SetBlock(x, y, colour, 3);
        Layer().Committed().CopyTo(Layer().Working());
        ASSERT_TRUE(
            Layer().History()->AppendLayerSnapshot(Layer().Committed(), *workspace.History()));
    }
    // Lifts the icon pixels from (x0, y0) to before (x1, y1) as the selection tool does.
    void Lift(int x0, int y0, int x1, int y1) {
        auto object = std::make_unique<CCopiedPattern>();
        ASSERT_TRUE(object->CreateFromSelection(Layer().Committed(), 3 * x0, 3 * y0, 3 * x1, 3 * y1,
                                                false));
        StartObject(workspace, Layer(), std::move(object));
        RecordObject(workspace, Layer(), true);
    }

    // The record kinds, oldest first, the present one in brackets: "3 4 [2]".
    std::string History() {
        std::string out;
        for (const HistoryNode* n = Layer().History()->First(); n; n = n->Next()) {
            const std::string kind = std::to_string(static_cast<int>(n->Kind()));
            out += n == Layer().History()->Current() ? " [" + kind + "]" : " " + kind;
        }
        return out.substr(1);
    }
    // Pixels "red green blue alpha" ("-" when empty) joined by "|"; with
    // scale 3 the points are icon pixels of a tripled picture (their middles).
    static std::string Pixels(const CLayerImage& picture,
                              std::initializer_list<std::pair<int, int>> points, int scale = 3) {
        std::string out;
        for (auto [x, y] : points) {
            if (scale == 3) x = 3 * x + 1, y = 3 * y + 1;
            const PixelColor c = picture.GetPixel(x, y);
            const bool empty = !picture.CoveragePlane()[size_t(y) * picture.Width() + x];
            out += "|" + (empty ? "-"
                                : std::to_string(c.red) + " " + std::to_string(c.green) + " " +
                                      std::to_string(c.blue) + " " + std::to_string(c.alpha));
        }
        return out.substr(1);
    }

    TempDir temp;
    TestPaths paths = MakePaths(temp);
    ScriptedUiServices ui;
    Workspace workspace{ui, paths};
    CPictoformView view{workspace};

private:
    static TestPaths MakePaths(const TempDir& dir) {
        TestPaths p;
        p.historyRoot = dir.File("History");
        p.masks = dir.File("Masks");
        std::filesystem::create_directories(p.masks);
        // A 4 x 2 mask: the left half inside.
        WriteBytes(p.masks + "/aplus.msk", {'p', 'a', 't', 0, 4, 0, 2, 1, 1, 0, 0, 1, 1, 0, 0});
        return p;
    }
};

} // namespace pictoform::test
