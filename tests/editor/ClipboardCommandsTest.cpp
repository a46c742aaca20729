// Cut, Copy and Paste through a clipboard that the test plays both sides of:
// this program's own copies and pictures that other programs put there.

#include "editor/CommandFixture.h"
#include "platform/Clipboard.h"

namespace pictoform::test {
namespace {

using namespace command;

class TestClipboard : public Clipboard {
public:
    void PutImage(const CLayerImage& picture) override { owned = put.CloneFrom(picture); }
    bool OwnsClipboard() const override { return owned; }
    bool TakeImage(CLayerImage& picture) override {
        return !outside.IsNull() && picture.CloneFrom(outside);
    }

    CLayerImage put;
    CLayerImage outside;
    bool owned = false;
};

class ClipboardCommands : public CommandFixture {
protected:
    ClipboardCommands() { workspace.SetClipboard(&clipboard); }
    TestClipboard clipboard;
};

TEST_F(ClipboardCommands, PasteTakesTheProgramsOwnCopyInFullAndOthersOpaque) {
    EXPECT_TRUE(Run(kPaste)); // nothing to paste yet
    EXPECT_EQ(Layer().ActiveObject(), nullptr);
    // Opaque red, blue at half alpha, and a pixel whose middle alone is green.
    Layer().Committed().SetBlock(0, 0, kRed, 3);
    Layer().Committed().SetBlock(1, 0, PixelColor{0, 0, 255, 128}, 3);
    Layer().Committed().SetBlock(4, 4, PixelColor{0, 255, 0, 255}, 1);
    Lift(0, 0, 2, 2);
    Run(kCopy);
    // Other programs get the icon's pixels laid on white.
    EXPECT_EQ(Pixels(clipboard.put, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 1),
              "254 0 0 255|126 126 254 255|-|191 254 191 255");
    EXPECT_EQ(History(), "3 4 [2]");
    Pen().SetShadowEnabled(true);
    Run(kPaste);
    // The lifted object was merged back without its shadow and recorded.
    EXPECT_EQ(Pixels(Layer().Committed(), {{0, 0}, {2, 1}}), "255 0 0 255|-");
    EXPECT_FALSE(Pen().ShadowEnabled());
    EXPECT_EQ(History(), "3 3 4 [2]");
    EXPECT_EQ(Pixels(Copied()->Picture(), {{3, 0}, {4, 4}, {3, 3}}, 1),
              "0 0 255 128|0 255 0 255|-");

    (void)clipboard.outside.Create(2, 2);
    const PixelColor outside[] = {{10, 20, 30, 0}, {40, 50, 60, 9}, {70, 80, 90, 9}, {1, 2, 3, 9}};
    for (int i = 0; i < 4; ++i) clipboard.outside.SetBlock(i % 2, i / 2, outside[i], 1);
    clipboard.owned = false;
    Run(kPaste);
    ASSERT_EQ(Copied()->Picture().Height(), 6);
    // An outside picture keeps its alpha; its transparent pixel stays empty.
    EXPECT_EQ(Pixels(Copied()->Picture(), {{0, 0}, {5, 0}, {0, 5}, {5, 5}}, 1),
              "-|40 50 60 9|70 80 90 9|1 2 3 9");
}

TEST_F(ClipboardCommands, CutTakesTheObjectAwayForGood) {
    Paint(2, 2, kRed);
    Lift(2, 2, 3, 3);
    Run(kCut);
    EXPECT_EQ(Layer().ActiveObject(), nullptr);
    view.Paint();
    EXPECT_EQ(Pixels(Layer().Working(), {{2, 2}}), "-");
    EXPECT_EQ(Pixels(clipboard.put, {{0, 0}}, 1), "254 0 0 255");
    // No record brings the object back, and undo still gets past it.
    EXPECT_EQ(History(), "3 [3]");
    Run(kUndo);
    EXPECT_EQ(Layer().ActiveObject(), nullptr);
    EXPECT_EQ(History(), "[3] 3");
    Run(kPaste);
    EXPECT_EQ(Pixels(Copied()->Picture(), {{0, 0}}), "255 0 0 255");
    // Opening a file forgets the copy.
    view.Commands().DiscardCopyBuffer();
    Run(kRemove);
    Run(kPaste);
    EXPECT_EQ(Layer().ActiveObject(), nullptr);
}

} // namespace
} // namespace pictoform::test
