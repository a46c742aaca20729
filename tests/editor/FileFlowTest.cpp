#include "editor/CommandFixture.h"
#include "editor/MenuModel.h"
#include "editor/PictureImport.h"
#include "icon/ModuleFixtures.h"
#include "panels/PictureSizeDialog.h"

namespace pictoform {
namespace {

class FileFlowTest : public test::CommandFixture {
protected:
    CPreviewDialog& Formats() { return workspace.FormatList(); }
    std::string LayerNames() {
        std::string names;
        CLayerDialog& layers = workspace.LayerPanel();
        for (int i = 0; i < layers.Count(); ++i) names += layers.Item(i).layer->Name() + ";";
        return names;
    }
    // Writes a PNG of the picture `rgba(x, y)` gives; returns its bytes.
    std::vector<uint8_t> WritePng(const std::string& name, int width, int height,
                                  const test::PixelFn& rgba) {
        const std::vector<uint8_t> bytes = test::PngBytes(test::Paint(width, height, rgba));
        test::WriteBytes(temp.File(name), bytes);
        return bytes;
    }
};

TEST_F(FileFlowTest, OpeningAFileReplacesTheFormatsAndNamesLayersAfresh) {
    const std::string path = temp.File("three.ico");
    test::WriteBytes(path,
                     test::IcoBytes({test::Pattern(16, 16, kDepth32, 1),
                                     test::Pattern(32, 32, 256, 2), test::Pattern(48, 48, 16, 3)}));
    ASSERT_TRUE(view.OpenIconDocument(path, "ico"));
    ASSERT_EQ(Formats().Count(), 3);
    EXPECT_EQ(Formats().Item(1).format->Zoom(), 400 / 32);
    EXPECT_EQ(view.Title(), path + " - Pictoform");
    EXPECT_EQ(LayerNames(), "Layer 1;");
    // Each format shows its own layer again when it is picked.
    ASSERT_TRUE(Formats().SelectItem(2));
    EXPECT_EQ(LayerNames(), "Layer 3;");
    ASSERT_TRUE(Formats().SelectItem(0));
    EXPECT_EQ(LayerNames(), "Layer 1;");
}

// The new icon it starts with (48 x 48, 32 bits, one layer with its first
// history file, untitled) is every editor test's starting point.
TEST_F(FileFlowTest, AFileThatCannotBeReadIsReportedAndChangesNothing) {
    const CIconFormat* before = Formats().CurrentFormat();
    EXPECT_EQ(before->Zoom(), 400 / 48);
    // A damaged file is said to be so in words, with the detail after; a file
    // of another kind is not called damaged; a picture too large to hold is
    // refused on the size in its header alone.
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {{0, 0, 1, 0, 5, 0},
         "bad.ico: the file is damaged or incomplete (directory of 5 images ends at byte 86 of "
         "6)."},
        {{'h', 'e', 'l', 'l', 'o', '!', '\n'}, "text.ico: not an icon or cursor file (type 27756)"},
        {{0x89, 'P', 'N', 'G', 13, 10, 26,   10,   0, 0, 0,    13,
          'I',  'H', 'D', 'R', 0,  0,  0x27, 0x10, 0, 0, 0x27, 0x10},
         "huge.png: the picture is too large (10000 x 10000 pixels; at most 40 million can be "
         "opened)"},
    };
    for (const auto& [bytes, message] : cases) {
        const std::string name = message.substr(0, message.find(':'));
        test::WriteBytes(temp.File(name), bytes);
        EXPECT_FALSE(view.OpenIconDocument(temp.File(name), name.substr(name.size() - 3)));
        EXPECT_EQ(ui.Messages().back().text,
                  "Cannot open " + temp.File(name) + message.substr(name.size()));
    }
    EXPECT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(Formats().Count(), 1);
    EXPECT_EQ(Formats().CurrentFormat(), before);
    EXPECT_EQ(view.Title(), "Untitled - Pictoform");
}

TEST_F(FileFlowTest, APngPictureOpensAsANewIconOfOneFormat) {
    const std::vector<uint8_t> bytes = WritePng("picture.png", 20, 12, [](int x, int y) {
        return std::array<uint8_t, 4>{uint8_t(20 * y), 77, uint8_t(10 * x), uint8_t(x ? 255 : 0)};
    });
    ASSERT_TRUE(view.OpenIconDocument(temp.File("picture.png"), "png"));
    ASSERT_EQ(Formats().Count(), 1);
    const CIconFormat& format = *Formats().CurrentFormat();
    EXPECT_EQ((std::array<int, 3>{format.Width(), format.Height(), format.Depth()}),
              (std::array<int, 3>{20, 12, kDepth32}));
    EXPECT_EQ(format.Final().GetPixel(5, 7), (PixelColor{140, 77, 50, 255}));
    EXPECT_EQ(format.Final().GetPixel(0, 7).alpha, 0);
    // Untitled, so that a save asks for a name instead of writing over the picture.
    EXPECT_EQ(view.Title(), "Untitled - Pictoform");
    test::WriteBytes(temp.File("broken.png"), {bytes.begin(), bytes.begin() + 40});
    EXPECT_FALSE(view.OpenIconDocument(temp.File("broken.png"), "png"));
    EXPECT_EQ(ui.Messages().back().text.rfind(
                  "Cannot open " + temp.File("broken.png") + ": damaged PNG", 0),
              0u);
    EXPECT_EQ(Formats().Count(), 1);
}

// A picture larger than 256 asks for its sizes; each is the picture fitted
// with its shape kept (the fitting itself is PictureScaleTest's), 32 bits,
// 256 stored as PNG. Cancel changes nothing.
TEST_F(FileFlowTest, ALargePictureBecomesTheSizesChosen) {
    // 300 x 200: left half opaque red, right half clear.
    WritePng("wide.png", 300, 200, [](int x, int) {
        return std::array<uint8_t, 4>{uint8_t(x < 150 ? 255 : 0), 0, 0, uint8_t(x < 150 ? 255 : 0)};
    });
    const std::string path = temp.File("wide.png");
    std::vector<int> offered;
    bool answer = false;
    workspace.Dialogs().pictureSizes = [&](CPictureSizeDialog& dialog) {
        offered = dialog.Chosen();
        for (size_t i = 0; i < CPictureSizeDialog::Sizes().size(); ++i) {
            const int side = CPictureSizeDialog::Sizes()[i];
            dialog.SetChecked(i, side == 16 || side == 48 || side == 96 || side == 256);
        }
        return answer;
    };
    EXPECT_FALSE(view.OpenIconDocument(path, "png"));
    EXPECT_EQ(offered, (std::vector<int>{16, 24, 32, 48, 256}));
    EXPECT_EQ(Formats().Count(), 1);
    EXPECT_TRUE(ui.Messages().empty()) << "a cancel is not an error";

    answer = true;
    ASSERT_TRUE(view.OpenIconDocument(path, "png"));
    ASSERT_EQ(Formats().Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const CIconFormat& format = *Formats().Item(i).format;
        const int side = std::array{16, 48, 96, 256}[i];
        SCOPED_TRACE(side);
        EXPECT_EQ((std::array<int, 3>{format.Width(), format.Height(), format.Depth()}),
                  (std::array<int, 3>{side, side, kDepth32}));
        EXPECT_EQ(format.StoredAsPng(), side == 256);
        // The red half ends at the middle, in the rows the shape takes.
        EXPECT_EQ(format.Final().GetPixel(side / 2 - 1, side / 2), (PixelColor{255, 0, 0, 255}));
        EXPECT_EQ(format.Final().GetPixel(side / 2, side / 2).alpha, 0);
        EXPECT_EQ(format.Final().GetPixel(0, 0).alpha, 0);
    }
}

// A drawing's reader is trusted with nothing: pixels that do not fill the
// size it reports are refused, a drawing made at another size is scaled to
// the size asked for.
TEST_F(FileFlowTest, ADrawingReaderThatMisreportsIsHeldToTheSizeAsked) {
    struct DrawingReader final : PictureReader {
        int scale = 1;
        size_t missing = 0;
        std::vector<std::string> Extensions() const override { return {"svg"}; }
        bool Probe(const std::string&, PictureInfo& info, std::string&) override {
            info = {100, 50, true};
            return true;
        }
        bool Read(const std::string&, int w, int h, BgraPicture& out, std::string&) override {
            out = {w * scale, h * scale, {}};
            for (int i = 0; i < w * scale * h * scale; ++i)
                out.bgra.insert(out.bgra.end(), {200, 150, 100, 255});
            out.bgra.resize(out.bgra.size() - missing);
            return true;
        }
    } reader;
    workspace.SetPictures(&reader);
    workspace.Dialogs().pictureSizes = [](CPictureSizeDialog& dialog) {
        for (size_t i = 0; i < CPictureSizeDialog::Sizes().size(); ++i)
            dialog.SetChecked(i, CPictureSizeDialog::Sizes()[i] == 32);
        return true;
    };
    const std::string path = temp.File("drawing.svg");
    reader.missing = 4;
    EXPECT_FALSE(view.NewIconFromPicture(path));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Cannot open " + path +
                                         ": the file is damaged or incomplete (no picture "
                                         "could be made from it)");
    reader.missing = 0;
    reader.scale = 3;
    ASSERT_TRUE(view.NewIconFromPicture(path));
    const CIconFormat& format = *Formats().Item(0).format;
    ASSERT_EQ(format.Width(), 32);
    // 32 x 16 in rows 8 to 23 of the square.
    EXPECT_EQ(format.Final().GetPixel(31, 8), (PixelColor{100, 150, 200, 255}));
    EXPECT_EQ(format.Final().GetPixel(0, 23), (PixelColor{100, 150, 200, 255}));
    EXPECT_EQ(format.Final().GetPixel(31, 7).alpha, 0);
    EXPECT_EQ(format.Final().GetPixel(31, 24).alpha, 0);
}

TEST_F(FileFlowTest, SavingUntitledAsksForANameAndSaveAsOffersTheKindSaved) {
    ui.QueueFile(temp.File("first.cur"));
    view.SetModified(true);
    view.OnFileSave();
    ASSERT_EQ(ui.files.Requests().size(), 1u);
    const FileDialogRequest& asked = ui.files.Requests()[0];
    EXPECT_EQ(asked.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(asked.fileName, "Untitled");
    EXPECT_EQ(asked.filterIndex, 1);
    EXPECT_FALSE(view.Modified());
    EXPECT_EQ(view.Title(), temp.File("first.cur") + " - Pictoform");

    // Save As now suggests the name without its extension and the cursor filter.
    ui.QueueFile(std::nullopt);
    view.OnFileSaveAs();
    EXPECT_EQ(ui.files.Requests()[1].fileName, temp.File("first"));
    EXPECT_EQ(ui.files.Requests()[1].filterIndex, 2);
}

TEST_F(FileFlowTest, AProjectKeepsTheLayersThePanelHoldsAndExportingLeavesItsPath) {
    // The shown format's layers live in the layers panel: a second, hidden one.
    CLayerDialog& layers = workspace.LayerPanel();
    ASSERT_TRUE(layers.AddLayer());
    ASSERT_FALSE(layers.Item(1).visible);
    view.SetModified(true);
    ui.QueueFile(temp.File("work.pfi"));
    view.OnFileSaveAs();
    EXPECT_FALSE(view.Modified());
    EXPECT_EQ(view.ProjectPath(), temp.File("work.pfi"));
    // Exporting an icon is Save As as before, the project stays the project
    // and keeps what the icon cannot: it is saved with it.
    view.SetHotSpot({3, 4});
    ASSERT_TRUE(view.SaveIconDocument(temp.File("work.ico"), "ico"));
    EXPECT_EQ(view.Path(), temp.File("work.ico"));
    EXPECT_EQ(view.ProjectPath(), temp.File("work.pfi"));

    ASSERT_TRUE(view.OpenIconDocument(temp.File("work.ico"), "ico"));
    EXPECT_EQ(LayerNames(), "Layer 1;");
    ASSERT_TRUE(view.OpenIconDocument(temp.File("work.pfi"), "pfi")) << ui.Messages().size();
    EXPECT_EQ(LayerNames(), "Layer 1;Layer 2;");
    // What the layers keep is ProjectFileTest's; the panel shows them all,
    // and each can be undone on its own.
    EXPECT_FALSE(layers.Item(1).visible);
    EXPECT_NE(layers.Item(1).layer->History(), nullptr);
    EXPECT_EQ(view.HotSpot().x, 3);
    EXPECT_EQ(view.Title(), temp.File("work.pfi") + " - Pictoform");
    // Save as it came, and Save As offers the project's own kind.
    view.SetModified(true);
    view.OnFileSave();
    EXPECT_FALSE(view.Modified());
    ui.QueueFile(std::nullopt);
    view.OnFileSaveAs();
    EXPECT_EQ(ui.files.Requests().back().filterIndex, 5);
    EXPECT_TRUE(ui.Messages().empty());
    // A damaged project is refused in words and the open one stays.
    std::vector<uint8_t> bytes = test::ReadBytes(temp.File("work.pfi"));
    bytes.resize(bytes.size() / 2);
    test::WriteBytes(temp.File("cut.pfi"), bytes);
    EXPECT_FALSE(view.OpenIconDocument(temp.File("cut.pfi"), "pfi"));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Cannot open " + temp.File("cut.pfi") +
                                         ": the project file is damaged (a part runs past the "
                                         "end of the file).");
    EXPECT_EQ(LayerNames(), "Layer 1;Layer 2;");
    // A new icon has no project: saving it leaves the last one alone.
    const std::vector<uint8_t> project = test::ReadBytes(temp.File("work.pfi"));
    view.InitialUpdate("");
    ASSERT_TRUE(view.SaveIconDocument(temp.File("new.ico"), "ico"));
    EXPECT_TRUE(test::ReadBytes(temp.File("work.pfi")) == project);
}

TEST_F(FileFlowTest, AFailedSaveKeepsTheWorkUnsavedAndSaysWhy) {
    view.SetModified(true);
    EXPECT_FALSE(view.SaveIconDocument(temp.File("missing/dir/x.ico"), "ico"));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_TRUE(view.Modified());
    EXPECT_EQ(view.Title(), "Untitled - Pictoform");

    // A name the program cannot write is refused, not taken as saved.
    EXPECT_FALSE(view.SaveIconDocument(temp.File("x.png"), "png"));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(
        ui.Messages()[1].text,
        "Cannot save " + temp.File("x.png") +
            ": the name must end in .ico, .cur, .ani or .pfi, or have no ending for an Xcursor "
            "file.");
    EXPECT_FALSE(test::FileExists(temp.File("x.png")));
}

// Install as Cursor Theme takes the open cursor's folder, as saved: an
// untitled cursor has none, a changed one is saved first (or not at all).
TEST_F(FileFlowTest, InstallAsCursorThemeTakesTheSavedCursorsFolder) {
    std::vector<std::string> installed;
    workspace.Dialogs().cursorTheme = [&](const std::string& folder) {
        installed.push_back(folder);
    };
    ASSERT_TRUE(view.Commands().Run(command::kInstallCursorTheme));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_TRUE(ui.Messages()[0].text.ends_with("Save the cursor into that folder first."));
    ASSERT_TRUE(view.SaveIconDocument(temp.File("pointer.cur"), "cur"));

    const MessageAnswer answers[] = {MessageAnswer::Cancel, MessageAnswer::Yes};
    for (const MessageAnswer answer : answers) {
        view.SetModified(true);
        ui.QueueAnswer(answer);
        ASSERT_TRUE(view.Commands().Run(command::kInstallCursorTheme));
        EXPECT_EQ(ui.Messages().back().text, "Save changes before installing?");
    }
    EXPECT_FALSE(view.Modified());
    EXPECT_EQ(installed, std::vector<std::string>{temp.Path()});
}

// The question's words, Cancel and No are ShellTest's (through the window).
TEST_F(FileFlowTest, CloseQuestionAnsweredYesSavesFirst) {
    EXPECT_TRUE(view.QueryClose()); // unmodified: nothing asked
    EXPECT_TRUE(ui.Messages().empty());
    view.SetModified(true);
    // A cancelled file dialog keeps the window open.
    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueFile(std::nullopt);
    EXPECT_FALSE(view.QueryClose());
    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueFile(temp.File("kept.ico"));
    EXPECT_TRUE(view.QueryClose());
    EXPECT_TRUE(test::FileExists(temp.File("kept.ico")));
}

TEST_F(FileFlowTest, ProgramIconsOpenThroughTheViewerAndStayUntitled) {
    const std::string dll = temp.File("lib.dll");
    test::WriteBytes(dll, test::BuildPe(false, test::SampleResources(false)).bytes);
    ui.QueueModuleIcon(std::nullopt);
    EXPECT_FALSE(view.OpenIconDocument(dll, "DLL"));
    EXPECT_EQ(Formats().Count(), 1);

    ui.QueueModuleIcon(1);
    ASSERT_TRUE(view.OpenIconDocument(dll, "dll"));
    EXPECT_EQ(ui.moduleIcons.Requests().back(), dll);
    CIconFile direct;
    ASSERT_TRUE(direct.LoadModuleIcon(dll, 1));
    EXPECT_EQ(static_cast<size_t>(Formats().Count()), direct.Images().size());
    EXPECT_EQ(view.Title(), "Untitled - Pictoform");
    EXPECT_TRUE(view.Path().empty());
}

} // namespace
} // namespace pictoform
