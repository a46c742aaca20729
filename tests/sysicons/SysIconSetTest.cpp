// Backing up, replacing and restoring the built-in objects' icons in a
// registry file, with a shell whose trash and icons the test sets.

#include <gtest/gtest.h>

#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconFakes.h"
#include "sysicons/SysIconSet.h"

namespace pictoform {
namespace {

using test::FakeShell;

const std::string kComputer = "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
const std::string kUserComputer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
                                  "{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
const RegRoot HKCR = RegRoot::ClassesRoot;
const RegRoot HKCU = RegRoot::CurrentUser;

// The keys as a first use seeds them, with recognisable locations.
void Seed(Registry& registry) {
    test::SeedBuiltInItems(registry, {"/t/computer.png,0", "/t/network.png,0", "/t/trash.png,0",
                                      "/t/trash-full.png,0", "/t/documents.png,0"});
}

class SysIconSetTest : public ::testing::Test {
protected:
    SysIconSetTest() {
        for (const char* name : {"computer", "network", "trash", "trash-full", "documents"}) {
            shell.icons[{std::string("/t/") + name + ".png", 0}] = FakeShell::Solid(1, 2, 3);
        }
    }
    ~SysIconSetTest() override { EXPECT_EQ(ui.UnusedAnswers(), 0u); }

    std::string Value(RegRoot root, const std::string& key, const std::string& name = "") const {
        return registry.ReadString(root, key, name).value_or("<none>");
    }
    std::string Backup(const std::string& item) const { return Value(HKCR, "EditReg\\" + item); }
    CSysIconSet OpenSet() { return CSysIconSet(temp.Path(), registry, shell, ui); }

    test::TempDir temp;
    test::ScriptedUiServices ui;
    FakeShell shell;
    FileRegistry registry{temp.File("registry.txt"), ui, Seed};
};

TEST_F(SysIconSetTest, BackupIsMadeOnceAndKeepsTheValueFromBeforeTheFirstChange) {
    {
        CSysIconSet set = OpenSet();
        EXPECT_TRUE(set.BackupAll());
        EXPECT_EQ(Backup("My_Computer"), "/t/computer.png,0");
        EXPECT_TRUE(set.ReplaceItem(0, "/new/computer.ico,0"));
    }
    // The dialog opened again: nothing is backed up over the first backup,
    // and the registry file kept it.
    FileRegistry reopened(temp.File("registry.txt"), ui, {});
    CSysIconSet set(temp.Path(), reopened, shell, ui);
    EXPECT_FALSE(set.BackupAll());
    EXPECT_FALSE(set.BackupItem(set.Items()[0]));
    EXPECT_EQ(reopened.ReadString(HKCR, "EditReg\\My_Computer", ""), "/t/computer.png,0");
    EXPECT_EQ(reopened.ReadString(HKCR, kComputer, ""), "/new/computer.ico,0");
}

TEST_F(SysIconSetTest, ReplaceAsksForAnIconFileAndWritesEveryEntryThatExists) {
    CSysIconSet set = OpenSet();
    ui.QueueFile("/home/me/Pictures/pc.ico");
    EXPECT_TRUE(set.ReplaceItem(0, ""));
    ASSERT_EQ(ui.files.Requests().size(), 1u);
    const FileDialogRequest& asked = ui.files.Requests()[0];
    EXPECT_EQ(asked.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(asked.filter, "Icon File (*.ico)|*.ico|All Files (*.*)|*.*||");
    EXPECT_EQ(Value(HKCU, kUserComputer), "/home/me/Pictures/pc.ico,0");
    EXPECT_EQ(shell.changes, 1);

    // Cancel, or an index past the items, changes nothing (and an index past
    // them asks nothing).
    ui.QueueFile(std::nullopt);
    EXPECT_FALSE(set.ReplaceItem(1, ""));
    EXPECT_FALSE(set.ReplaceItem(5, ""));
    EXPECT_EQ(ui.files.Requests().size(), 2u);
    EXPECT_EQ(Value(HKCR, "CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon"),
              "/t/network.png,0");
    EXPECT_EQ(shell.changes, 1);

    // An item of the file whose keys are missing is replaced where it can be;
    // no key is made for it.
    set.SetItems({{9, "Half", {{HKCU, "Missing\\Key", ""}, {HKCR, kComputer, "Other"}}}});
    EXPECT_TRUE(set.ReplaceItem(0, "/y.ico,3"));
    EXPECT_FALSE(registry.KeyExists(HKCU, "Missing\\Key"));
    EXPECT_EQ(Value(HKCR, kComputer, "Other"), "/y.ico,3");
    EXPECT_EQ(Value(HKCR, kComputer), "/home/me/Pictures/pc.ico,0");
}

TEST_F(SysIconSetTest, ReplacingTheFullTrashWhileEmptyShowsTheEmptyIcon) {
    CSysIconSet set = OpenSet();
    EXPECT_TRUE(set.ReplaceItem(3, "/mine/full.ico,0"));
    EXPECT_EQ(Value(HKCR, kRecycleBinKey, "Full"), "/mine/full.ico,0");
    EXPECT_EQ(Value(HKCU, kUserRecycleBinKey, "Full"), "/mine/full.ico,0");
    EXPECT_EQ(Value(HKCR, kRecycleBinKey, "Empty"), "/t/trash.png,0");
    // The replace wrote the full icon into the default values; the refresh
    // put the empty one back, the trash being empty.
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/t/trash.png,0");
    EXPECT_EQ(Value(HKCU, kUserRecycleBinKey), "/t/trash.png,0");

    shell.trashEmpty = false;
    set.RefreshRecycleBin();
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/mine/full.ico,0");
    EXPECT_EQ(Value(HKCU, kUserRecycleBinKey), "/mine/full.ico,0");
    EXPECT_EQ(shell.changes, 2);

    // A trash whose state cannot be told leaves the values; icons are still
    // said to have changed.
    shell.trashEmpty = std::nullopt;
    ASSERT_TRUE(registry.WriteString(HKCR, kRecycleBinKey, "", "/other.ico,0"));
    set.RefreshRecycleBin();
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/other.ico,0");
    EXPECT_EQ(shell.changes, 3);
    // So does a state whose value is empty.
    shell.trashEmpty = true;
    ASSERT_TRUE(registry.WriteString(HKCR, kRecycleBinKey, "Empty", ""));
    set.RefreshRecycleBin();
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/other.ico,0");
    EXPECT_EQ(shell.changes, 4);
}

TEST_F(SysIconSetTest, RestoreWritesTheBackupIntoEveryEntryInItemOrder) {
    CSysIconSet set = OpenSet();
    ASSERT_TRUE(set.BackupAll());
    EXPECT_TRUE(set.ReplaceItem(2, "/a/empty.ico,0"));
    EXPECT_TRUE(set.ReplaceItem(3, "/a/full.ico,0"));

    // Without a trash state the refresh stays out of it, so the default
    // values show who wrote last: the full trash, restored after the empty one.
    shell.trashEmpty = std::nullopt;
    set.RestoreAll();
    EXPECT_EQ(Value(HKCR, kRecycleBinKey, "Empty"), "/t/trash.png,0");
    EXPECT_EQ(Value(HKCU, kUserRecycleBinKey, "Empty"), "/t/trash.png,0");
    EXPECT_EQ(Value(HKCR, kRecycleBinKey, "Full"), "/t/trash-full.png,0");
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/t/trash-full.png,0");
    EXPECT_EQ(Value(HKCU, kUserRecycleBinKey), "/t/trash-full.png,0");

    shell.trashEmpty = true;
    set.RestoreAll();
    EXPECT_EQ(Value(HKCR, kRecycleBinKey), "/t/trash.png,0");
}

TEST_F(SysIconSetTest, RestoreSkipsItemsWithoutAUsableBackup) {
    CSysIconSet set = OpenSet();
    ASSERT_TRUE(set.ReplaceItem(0, "/a/pc.ico,0"));
    // No EditReg key at all: nothing is written.
    set.RestoreAll();
    EXPECT_EQ(Value(HKCR, kComputer), "/a/pc.ico,0");
    // An empty backup would ask for a file once per entry; it is skipped.
    ASSERT_TRUE(registry.CreateKey(HKCR, "EditReg\\My_Computer"));
    ASSERT_TRUE(registry.WriteString(HKCR, "EditReg\\My_Computer", "", ""));
    set.RestoreItem(set.Items()[0]);
    EXPECT_EQ(Value(HKCR, kComputer), "/a/pc.ico,0");
    EXPECT_TRUE(ui.files.Requests().empty());
}

TEST_F(SysIconSetTest, ValuesTooLongForTheBufferAreNeitherListedNorBackedUp) {
    const std::string fits = "/" + std::string(72, 'f') + ".png,0"; // 79 characters
    const std::string tooLong = "/" + std::string(73, 'l') + ".png,0";
    shell.icons[{fits.substr(0, fits.size() - 2), 0}] = FakeShell::Solid(9, 9, 9);
    shell.icons[{tooLong.substr(0, tooLong.size() - 2), 0}] = FakeShell::Solid(8, 8, 8);
    ASSERT_TRUE(registry.WriteString(HKCR, kComputer, "", fits));
    ASSERT_TRUE(registry.WriteString(
        HKCR, "CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon", "", tooLong));

    CSysIconSet set = OpenSet();
    EXPECT_FALSE(set.BackupAll());
    EXPECT_EQ(Backup("My_Computer"), fits);
    EXPECT_FALSE(registry.KeyExists(HKCR, "EditReg\\Network"));
    std::vector<SysIconListEntry> list;
    set.FillList(list, true);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].text, "My Computer");
    EXPECT_EQ(list[1].text, "Recycle Bin(Empty)");

    // Nor is a location written that could not be read back.
    EXPECT_FALSE(set.ReplaceItem(0, tooLong));
    EXPECT_EQ(Value(HKCR, kComputer), fits);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "Error");
    EXPECT_EQ(shell.changes, 0);
}

TEST_F(SysIconSetTest, FillListShowsItemsWithIconsAndDropsTheOthers) {
    const ShellIcon docs = FakeShell::Solid(200, 100, 50);
    shell.icons[{"/lib/shell.dll", -12}] = docs;
    shell.icons.erase({"/t/network.png", 0});
    ASSERT_TRUE(registry.WriteString(HKCR,
                                     "CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon",
                                     "", "/lib/shell.dll,-12"));
    ASSERT_TRUE(registry.WriteString(HKCR, kRecycleBinKey, "Full", "/t/trash-full.png,"));

    CSysIconSet set = OpenSet();
    std::vector<SysIconListEntry> list{{"stale", {}}};
    set.FillList(list, true);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].text, "My Documents");
    EXPECT_EQ(list[2].icon.bgra, docs.bgra);
    EXPECT_EQ(shell.extracted.back(), std::make_pair(std::string("/lib/shell.dll"), -12));
    // "path," gives no icon and is never handed to the shell.
    for (const auto& asked : shell.extracted) EXPECT_NE(asked.first, "/t/trash-full.png");
}

} // namespace
} // namespace pictoform
