// "sysiconinfo.ini": the bytes written on first use, items read back, and
// how a damaged item ends the list.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconFakes.h"
#include "sysicons/SysIconSet.h"

namespace pictoform {
namespace {

using namespace test;

// One item as the file holds it: its number, its name, three lines per
// entry (root, key, value name) and an end line, every line ending in CR LF.
using Entries = std::vector<std::array<std::string, 3>>;
std::string Item(int id, const std::string& name, const Entries& entries) {
    std::string text = "?" + std::to_string(id) + "\r\n#" + name + "\r\n";
    for (const auto& e : entries)
        text += "\t#" + e[0] + "\r\n\t#" + e[1] + "\r\n\t#" + e[2] + "\r\n";
    return text + "@\r\n";
}

// An object's DefaultIcon keys, the machine's and the user's, for each value name.
Entries Keys(const std::string& clsid, std::initializer_list<const char*> values = {""}) {
    const std::string key = "CLSID\\{" + clsid + "}\\DefaultIcon";
    const std::string user = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\" + key;
    Entries entries;
    for (const char* v : values) {
        entries.push_back({"HKEY_CLASSES_ROOT", key, v});
        entries.push_back({"HKEY_CURRENT_USER", user, v});
    }
    return entries;
}

// Two items: one under HKEY_LOCAL_MACHINE with a named value, one under HKEY_USERS.
const std::string kMachineFile =
    Item(7, "Printers",
         {{"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\Printers\\DefaultIcon", "Shown"}}) +
    Item(-3, "Odd_One",
         {{"HKEY_USERS", "S-1-5-18\\Icon", ""}, {"HKEY_CURRENT_CONFIG", "Display\\Icon", "x"}});

class SysIconInfoTest : public ::testing::Test {
protected:
    SysIconInfoTest() : registry(temp.File("registry.txt"), ui, {}) {}

    CSysIconSet OpenSet() { return CSysIconSet(temp.File("conf"), registry, shell, ui); }
    void WriteInfo(const std::string& text) {
        std::filesystem::create_directories(temp.File("conf"));
        WriteBytes(temp.File("conf/sysiconinfo.ini"), Bytes(text));
    }

    TempDir temp;
    ScriptedUiServices ui;
    FakeShell shell;
    FileRegistry registry;
};

TEST_F(SysIconInfoTest, FirstUseWritesTheFiveItemsLineForLine) {
    const std::string trash = "645FF040-5081-101B-9F08-00AA002F954E";
    // The folder does not exist yet: first use makes it.
    const CSysIconSet set = OpenSet();
    EXPECT_EQ(Text(ReadBytes(temp.File("conf/sysiconinfo.ini"))),
              Item(1, "My_Computer", Keys("20D04FE0-3AEA-1069-A2D8-08002B30309D")) +
                  Item(2, "Network", Keys("208D2C60-3AEA-1069-A2D7-08002B30309D")) +
                  Item(3, "Recycle_Bin(Empty)", Keys(trash, {"Empty", ""})) +
                  Item(4, "Recycle_Bin(Full)", Keys(trash, {"Full", ""})) +
                  Item(5, "My_Documents", Keys("450D8FBA-AD25-11D0-98A8-0800361B1103")));
    EXPECT_EQ(set.Items(), BuiltInSysIconItems());
}

TEST_F(SysIconInfoTest, AnEditedFileIsReadAndWrittenBackAsItWas) {
    WriteInfo(kMachineFile);
    CSysIconSet set = OpenSet();
    ASSERT_EQ(set.Items().size(), 2u);
    EXPECT_EQ(set.Items()[0],
              (SysIconItem{
                  7,
                  "Printers",
                  {{RegRoot::LocalMachine, "SOFTWARE\\Classes\\Printers\\DefaultIcon", "Shown"}}}));
    // Reading leaves the file alone; saving writes the same bytes.
    EXPECT_EQ(Text(ReadBytes(set.InfoPath())), kMachineFile);
    ASSERT_TRUE(set.SaveInfo(temp.File("copy.ini")));
    EXPECT_EQ(Text(ReadBytes(temp.File("copy.ini"))), kMachineFile);
}

TEST_F(SysIconInfoTest, ADamagedItemDropsItselfAndEveryItemAfterIt) {
    const std::string first = Item(1, "First", {{"HKEY_CLASSES_ROOT", "A", ""}});
    const std::string last = Item(3, "Last", {{"HKEY_CLASSES_ROOT", "C", ""}});
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"root in lower case", "?2\r\n#Bad\r\n\t#hkey_current_user\r\n\t#B\r\n\t#\r\n@\r\n"},
        {"root with a trailing blank",
         "?2\r\n#Bad\r\n\t#HKEY_CURRENT_USER \r\n\t#B\r\n\t#\r\n@\r\n"},
        {"LF line ends", "?2\n#Bad\n\t#HKEY_CURRENT_USER\n\t#B\n\t#\n@\n"},
        {"TAB without '#'", "?2\r\n#Bad\r\n\tHKEY_CURRENT_USER\r\n\t#B\r\n\t#\r\n@\r\n"},
        {"name line missing", "?2\r\n\t#HKEY_CURRENT_USER\r\n\t#B\r\n\t#\r\n@\r\n"},
        {"entry cut short", "?2\r\n#Bad\r\n\t#HKEY_CURRENT_USER\r\n\t#B\r\n@\r\n"},
        {"no end line before the next item",
         "?2\r\n#Bad\r\n\t#HKEY_CURRENT_USER\r\n\t#B\r\n\t#\r\n"},
        {"line of 1001 characters", "?2\r\n#" + std::string(1001, 'n') + "\r\n@\r\n"},
        {"a stray line", "?2\r\n#Bad\r\nHKEY_CURRENT_USER\r\n@\r\n"},
        {"'@' with other line end", "?2\r\n#Bad\r\n@\n\r"},
    };
    for (const auto& [what, middle] : damaged) {
        SCOPED_TRACE(what);
        const std::vector<SysIconItem> items = ParseSysIconInfo(first + middle + last);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].name, "First");
    }
    // The limits themselves are fine, and the last end line may lack its line end.
    const std::string longName(1000, 'n');
    const std::vector<SysIconItem> items = ParseSysIconInfo(
        first + "?2\r\n#" + longName + "\r\n@\r\n" + last.substr(0, last.size() - 2));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].name, longName);
    EXPECT_TRUE(items[1].entries.empty());
    EXPECT_EQ(items[2].name, "Last");
    // A file cut in the middle of a line keeps the items before it.
    EXPECT_EQ(ParseSysIconInfo(first + last.substr(0, 12)).size(), 1u);
}

TEST_F(SysIconInfoTest, ADamagedFileLosesItsItemsButIsNotRewritten) {
    const std::string bytes = "?1\r\n#My_Computer\r\n\t#hkey_classes_root\r\n\t#A\r\n\t#\r\n@\r\n";
    WriteInfo(bytes);
    const CSysIconSet set = OpenSet();
    EXPECT_TRUE(set.Items().empty());
    EXPECT_EQ(Text(ReadBytes(set.InfoPath())), bytes);
}

TEST(IconLocationTest, SplitsPathAndIndexAsTheShellReadsThem) {
    const struct {
        const char* location;
        const char* path; // null: refused
        int index;
    } cases[] = {
        {"C:\\WINDOWS\\shell32.dll,-12", "C:\\WINDOWS\\shell32.dll", -12},
        {"/usr/share/icons/a.png", "/usr/share/icons/a.png", 0},
        {"/icons/a.ico,", nullptr, 0},
        {"/icons/a.ico,-", nullptr, 0},
        {"/icons/a.ico, 3", nullptr, 0},
        // The first comma cuts; what follows the digits is not read.
        {"/a,7,9x", "/a", 7},
        {"/a,b,3", nullptr, 0},
        // No index that wrapped around.
        {"/a.dll,4294967297", nullptr, 0},
        {"/a.dll,-2147483647", "/a.dll", -2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        const std::optional<IconLocation> got = ParseIconLocation(c.location);
        ASSERT_EQ(got.has_value(), c.path != nullptr);
        if (!got) continue;
        EXPECT_EQ(got->path, c.path);
        EXPECT_EQ(got->index, c.index);
    }
}

} // namespace
} // namespace pictoform
