// "Change System Icons" on real widgets: the objects with their icons, and
// an icon replaced from an icon file and from a module, then restored.

#include <gtest/gtest.h>

#include <QAction>
#include <QImageReader>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "QtShell.h"
#include "desktop/DialogFixture.h"
#include "dialogs/InstallDialogs.h"
#include "dialogs/SystemIconsDialog.h"
#include "editor/Workspace.h"
#include "icon/ModuleFixtures.h"
#include "support/ScriptedUiServices.h"
#include "support/TestPaths.h"
#include "support/TestSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconFakes.h"

namespace pictoform {
namespace {

const RegRoot HKCR = RegRoot::ClassesRoot;

// An icon file of one 32 x 32 opaque colour.
std::vector<uint8_t> SolidIco(uint8_t r, uint8_t g, uint8_t b) {
    return test::IcoBytes({test::SolidRecord(32, r, g, b)});
}

QColor IconColour(const QListWidgetItem* item) {
    return item->icon().pixmap(32, 32).toImage().pixelColor(16, 16);
}

class SystemIconsTest : public ::testing::Test {
protected:
    SystemIconsTest() {
        // Red, green, blue, cyan and magenta, one for each built-in object.
        const uint8_t colours[][3] = {
            {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}, {255, 0, 255}};
        EXPECT_EQ(BuiltInSysIconItems().size(), std::size(colours));
        for (size_t i = 0; i < std::size(colours); ++i) {
            const std::string file = temp.File("seed" + std::to_string(i) + ".ico");
            test::WriteBytes(file, SolidIco(colours[i][0], colours[i][1], colours[i][2]));
            seeded.push_back(file + ",0");
        }
        test::WriteBytes(yellow, SolidIco(255, 255, 0));
        registry = std::make_unique<FileRegistry>(
            temp.File("registry.txt"), ui, [&](Registry& r) { test::SeedBuiltInItems(r, seeded); });
    }
    ~SystemIconsTest() override { EXPECT_EQ(ui.UnusedAnswers(), 0u); }

    test::TempDir temp;
    test::ScriptedUiServices ui;
    std::vector<std::string> seeded;
    const std::string yellow = temp.File("yellow.ico"); // what replacements choose
    std::unique_ptr<FileRegistry> registry;
    std::map<std::string, std::string> env{{"XDG_DATA_HOME", temp.File("data")}};
    QtShell shell{test::LookupIn(env)};
};

// The objects with their icons and the item menu; then an icon replaced from
// an icon file and from a module, and restored.
TEST_F(SystemIconsTest, ShowsTheObjectsThenReplacesTheirIconsAndRestoresThem) {
    std::vector<test::Resource> resources;
    uint16_t nextId = 1;
    test::AddIconGroup(resources, ResourceName::Id(10), SolidIco(0, 0, 0), nextId);
    test::AddIconGroup(resources, ResourceName::Id(11), SolidIco(255, 128, 0), nextId);
    const std::string dll = temp.File("icons.dll");
    test::WriteBytes(dll, test::BuildPe(false, resources).bytes);

    CChangeSysIconDialog dialog(temp.File("conf"), *registry, shell, ui, nullptr);
    dialog.show();
    QListWidget& list = dialog.List();
    ASSERT_EQ(list.count(), 5);
    EXPECT_EQ(list.item(0)->text(), "My Computer");
    EXPECT_EQ(IconColour(list.item(0)), QColor(Qt::red));
    EXPECT_EQ(IconColour(list.item(4)), QColor(Qt::magenta));
    // Opening backed up the objects (what is backed up SysIconSetTest pins).
    EXPECT_EQ(registry->ReadString(HKCR, "EditReg\\My_Computer", ""), seeded[0]);

    std::string shown, tip;
    test::ModalScript script;
    script.ThenMenu([&](QMenu& menu) {
        shown = test::Describe(menu);
        tip = menu.actions().back()->toolTip().toStdString();
        menu.close();
    });
    dialog.ShowItemMenu(list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(shown, "Replace with ICO File;Replace with icon in DLL;Restore;");
    EXPECT_EQ(tip, "Use system default value");

    // Double-click on My Documents: an icon file is asked for. (What each
    // action writes into the registry SysIconSetTest pins; the icons shown are
    // read back from it.)
    const QPoint documents = list.visualItemRect(list.item(4)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, documents);
    ASSERT_TRUE(list.item(4)->isSelected());
    ui.QueueFile(yellow);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, documents);
    EXPECT_EQ(IconColour(list.item(4)), QColor(255, 255, 0));

    // The second icon of the module, for My Documents and My Computer at once.
    list.item(0)->setSelected(true);
    list.item(4)->setSelected(true);
    ui.QueueFile(dll);
    ui.QueueModuleIcon(1);
    dialog.ReplaceDllAction().trigger();
    ASSERT_EQ(ui.files.Requests().size(), 2u);
    EXPECT_EQ(ui.files.Requests()[1].filter,
              "Dll & Exe File (*.dll, *.exe)|*.dll;*.exe|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.moduleIcons.Requests(), std::vector<std::string>{dll});
    EXPECT_EQ(IconColour(list.item(0)), QColor(255, 128, 0));
    EXPECT_EQ(IconColour(list.item(4)), QColor(255, 128, 0));

    // Restore from the item menu on My Documents only.
    list.clearSelection();
    list.item(4)->setSelected(true);
    dialog.RestoreAction().trigger();
    EXPECT_EQ(IconColour(list.item(4)), QColor(Qt::magenta));
    EXPECT_EQ(IconColour(list.item(0)), QColor(255, 128, 0));

    // Restore All puts My Computer back too.
    QTest::mouseClick(&dialog.RestoreAllButton(), Qt::LeftButton);
    EXPECT_EQ(IconColour(list.item(0)), QColor(Qt::red));
}

TEST_F(SystemIconsTest, AnItemWhoseIconIsGoneLeavesTheList) {
    std::filesystem::remove(temp.File("seed1.ico"));
    CChangeSysIconDialog dialog(temp.File("conf"), *registry, shell, ui, nullptr);
    QListWidget& list = dialog.List();
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(1)->text(), "Recycle Bin(Empty)");
    // Rows and items still agree: the second row replaces the empty trash.
    list.item(1)->setSelected(true);
    ui.QueueFile(yellow);
    dialog.ReplaceIcoAction().trigger();
    EXPECT_EQ(registry->ReadString(HKCR, kRecycleBinKey, "Empty"), yellow + ",0");
}

TEST_F(SystemIconsTest, SvgThemeIconsNeedTheDesktopsSvgSupport) {
    const std::string svg = temp.File("computer.svg");
    const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                             "<rect width='16' height='16' fill='#00ff00'/></svg>";
    test::WriteBytes(svg, std::vector<uint8_t>(text.begin(), text.end()));
    const std::optional<ShellIcon> icon = shell.ExtractIcon(svg, 0);
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        EXPECT_FALSE(icon);
        return;
    }
    ASSERT_TRUE(icon);
    ASSERT_TRUE(icon->IsValid());
    const size_t centre = (16 * 32 + 16) * 4;
    EXPECT_EQ(std::vector<uint8_t>(icon->bgra.begin() + centre, icon->bgra.begin() + centre + 4),
              (std::vector<uint8_t>{0, 255, 0, 255}));
    EXPECT_FALSE(shell.ExtractIcon(svg, 1));
}

TEST_F(SystemIconsTest, TheCommandOpensTheDialogBesideTheSystemIconFile) {
    // The runner's own registry goes to the test's config folder; its theme
    // lookup to empty folders of this test.
    setenv("XDG_DATA_HOME", temp.File("data").c_str(), 1);
    setenv("XDG_DATA_DIRS", temp.File("none").c_str(), 1);
    test::TestPaths paths;
    paths.systemIconFile = temp.File("portable/sysiconinfo.ini");
    Workspace workspace(ui, paths);
    InstallDialogRunners(workspace, nullptr);
    ASSERT_TRUE(workspace.Dialogs().systemIcons);
    int listed = -1;
    test::ModalScript script;
    script.Then("Change System Icons", [&listed](QWidget& window) {
        listed = test::As<CChangeSysIconDialog>(window).List().count();
        test::As<CChangeSysIconDialog>(window).accept();
    });
    workspace.Dialogs().systemIcons();
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_DATA_DIRS");
    // No theme icons here: nothing to show, but the set's file was written.
    EXPECT_EQ(listed, 0);
    EXPECT_TRUE(test::FileExists(temp.File("portable/sysiconinfo.ini")));
    EXPECT_TRUE(
        test::FileExists(std::string(std::getenv("XDG_CONFIG_HOME")) + "/pictoform/registry.txt"));
}

} // namespace
} // namespace pictoform
