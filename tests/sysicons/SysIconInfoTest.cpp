// "sysiconinfo.ini": the bytes written on first use, items read back, and
// how a damaged item ends the list.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconFakes.h"
#include "sysicons/SysIconSet.h"

namespace pictoform {
namespace {

using test::Bytes;
using test::Text;

const char* const kBuiltInFile =
    "?1\r\n#My_Computer\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon\r\n\t#"
    "\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon\r\n\t#\r\n"
    "@\r\n"
    "?2\r\n#Network\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon\r\n\t#"
    "\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon\r\n\t#\r\n"
    "@\r\n"
    "?3\r\n#Recycle_Bin(Empty)\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n"
    "\t#Empty\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#Empty\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#"
    "\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#\r\n"
    "@\r\n"
    "?4\r\n#Recycle_Bin(Full)\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n"
    "\t#Full\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#Full\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#"
    "\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon\r\n\t#\r\n"
    "@\r\n"
    "?5\r\n#My_Documents\r\n"
    "\t#HKEY_CLASSES_ROOT\r\n\t#CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon\r\n\t#"
    "\r\n"
    "\t#HKEY_CURRENT_USER\r\n\t#Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    "{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon\r\n\t#\r\n"
    "@\r\n";

// Two items: one under HKEY_LOCAL_MACHINE with a named value, one under HKEY_USERS.
const char* const kMachineFile =
    "?7\r\n#Printers\r\n"
    "\t#HKEY_LOCAL_MACHINE\r\n\t#SOFTWARE\\Classes\\Printers\\DefaultIcon\r\n"
    "\t#Shown\r\n"
    "@\r\n"
    "?-3\r\n#Odd_One\r\n"
    "\t#HKEY_USERS\r\n\t#S-1-5-18\\Icon\r\n\t#\r\n"
    "\t#HKEY_CURRENT_CONFIG\r\n\t#Display\\Icon\r\n\t#x\r\n"
    "@\r\n";

class SysIconInfoTest : public ::testing::Test {
protected:
    SysIconInfoTest() : registry(temp.File("registry.txt"), ui, {}) {}

    CSysIconSet OpenSet() { return CSysIconSet(temp.File("conf"), registry, shell, ui); }
    void WriteInfo(const std::string& text) {
        std::filesystem::create_directories(temp.File("conf"));
        test::WriteBytes(temp.File("conf/sysiconinfo.ini"), Bytes(text));
    }

    test::TempDir temp;
    test::ScriptedUiServices ui;
    test::FakeShell shell;
    FileRegistry registry;
};

TEST_F(SysIconInfoTest, FirstUseWritesTheFiveItemsLineForLine) {
    // The folder does not exist yet: first use makes it.
    const CSysIconSet set = OpenSet();
    EXPECT_EQ(Text(test::ReadBytes(temp.File("conf/sysiconinfo.ini"))), kBuiltInFile);
    EXPECT_EQ(set.Items(), BuiltInSysIconItems());
    ASSERT_EQ(set.Items().size(), 5u);
    EXPECT_EQ(set.Items()[3].entries[0].valueName, "Full");
    EXPECT_EQ(set.Items()[3].entries[3].valueName, "");
}

TEST_F(SysIconInfoTest, AnEditedFileIsReadAndWrittenBackAsItWas) {
    WriteInfo(kMachineFile);
    CSysIconSet set = OpenSet();
    ASSERT_EQ(set.Items().size(), 2u);
    const SysIconItem& printers = set.Items()[0];
    EXPECT_EQ(printers.identifier, 7);
    EXPECT_EQ(printers.name, "Printers");
    ASSERT_EQ(printers.entries.size(), 1u);
    EXPECT_EQ(
        printers.entries[0],
        (IconRegEntry{RegRoot::LocalMachine, "SOFTWARE\\Classes\\Printers\\DefaultIcon", "Shown"}));
    EXPECT_EQ(set.Items()[1].identifier, -3);
    EXPECT_EQ(set.Items()[1].entries[1].root, RegRoot::CurrentConfig);
    // Reading leaves the file alone; saving writes the same bytes.
    EXPECT_EQ(Text(test::ReadBytes(set.InfoPath())), kMachineFile);
    ASSERT_TRUE(set.SaveInfo(temp.File("copy.ini")));
    EXPECT_EQ(Text(test::ReadBytes(temp.File("copy.ini"))), kMachineFile);
}

TEST_F(SysIconInfoTest, ADamagedItemDropsItselfAndEveryItemAfterIt) {
    const std::string first = "?1\r\n#First\r\n\t#HKEY_CLASSES_ROOT\r\n\t#A\r\n\t#\r\n@\r\n";
    const std::string last = "?3\r\n#Last\r\n\t#HKEY_CLASSES_ROOT\r\n\t#C\r\n\t#\r\n@\r\n";
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
    EXPECT_EQ(Text(test::ReadBytes(set.InfoPath())), bytes);
}

TEST(IconLocationTest, SplitsPathAndIndexAsTheShellReadsThem) {
    const std::optional<IconLocation> resource = ParseIconLocation("C:\\WINDOWS\\shell32.dll,-12");
    ASSERT_TRUE(resource);
    EXPECT_EQ(resource->path, "C:\\WINDOWS\\shell32.dll");
    EXPECT_EQ(resource->index, -12);

    const std::optional<IconLocation> whole = ParseIconLocation("/usr/share/icons/a.png");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->path, "/usr/share/icons/a.png");
    EXPECT_EQ(whole->index, 0);

    EXPECT_FALSE(ParseIconLocation("/icons/a.ico,"));
    EXPECT_FALSE(ParseIconLocation("/icons/a.ico,-"));
    EXPECT_FALSE(ParseIconLocation("/icons/a.ico, 3"));
    // The first comma cuts; what follows the digits is not read.
    const std::optional<IconLocation> trailing = ParseIconLocation("/a,7,9x");
    ASSERT_TRUE(trailing);
    EXPECT_EQ(trailing->path, "/a");
    EXPECT_EQ(trailing->index, 7);
    EXPECT_FALSE(ParseIconLocation("/a,b,3"));
    // No index that wrapped around.
    EXPECT_FALSE(ParseIconLocation("/a.dll,4294967297"));
    const std::optional<IconLocation> largest = ParseIconLocation("/a.dll,-2147483647");
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->index, -2147483647);
}

} // namespace
} // namespace pictoform
