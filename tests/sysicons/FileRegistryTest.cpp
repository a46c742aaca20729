// The registry file: its exact lines, any byte surviving a round trip, and
// damaged files refused, kept aside and replaced by a fresh start.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/ScriptedUiServices.h"
#include "support/TestSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconFakes.h"

namespace pictoform {
namespace {

using namespace test;

namespace fs = std::filesystem;

const RegRoot HKCR = RegRoot::ClassesRoot;
const RegRoot HKCU = RegRoot::CurrentUser;

void SeedMarker(Registry& registry) {
    ASSERT_TRUE(registry.CreateKey(HKCU, "Seeded"));
    ASSERT_TRUE(registry.WriteString(HKCU, "Seeded", "", "yes"));
}

class FileRegistryTest : public ::testing::Test {
protected:
    ~FileRegistryTest() override { EXPECT_EQ(ui.UnusedAnswers(), 0u); }

    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir temp;
    ScriptedUiServices ui;
    std::string path = temp.File("registry.txt");
};

TEST_F(FileRegistryTest, WritesOneLinePerKeyAndValue) {
    {
        FileRegistry registry(path, ui, {});
        ASSERT_TRUE(registry.CreateKey(HKCR, "CLSID\\{X}\\DefaultIcon"));
        ASSERT_TRUE(registry.WriteString(HKCR, "CLSID\\{X}\\DefaultIcon", "", "/a b/c.png,0"));
        ASSERT_TRUE(registry.WriteString(HKCR, "CLSID\\{X}\\DefaultIcon", "Full", "100%\t"));
    }
    EXPECT_EQ(Text(ReadBytes(path)), "pictoform-registry 1\n"
                                     "key\tHKEY_CLASSES_ROOT\tCLSID\n"
                                     "key\tHKEY_CLASSES_ROOT\tCLSID\\{X}\n"
                                     "key\tHKEY_CLASSES_ROOT\tCLSID\\{X}\\DefaultIcon\n"
                                     "value\tHKEY_CLASSES_ROOT\tCLSID\\{X}\\DefaultIcon\t\t"
                                     "/a b/c.png,0\n"
                                     "value\tHKEY_CLASSES_ROOT\tCLSID\\{X}\\DefaultIcon\tFull\t"
                                     "100%25%09\n"
                                     "end\t5\n");
    // Written beside and renamed: nothing else is left in the folder.
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"registry.txt"});
}

TEST_F(FileRegistryTest, EveryByteOfPathsNamesAndValuesSurvivesAReopen) {
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    const std::string key = "Odd\\" + every.substr(1, 91) + "\\" + every.substr(93);
    {
        FileRegistry registry(path, ui, {});
        ASSERT_TRUE(registry.CreateKey(RegRoot::Users, key));
        ASSERT_TRUE(registry.WriteString(RegRoot::Users, key, every, every));
        ASSERT_TRUE(registry.WriteString(RegRoot::Users, key, "", ""));
        ASSERT_TRUE(registry.CreateKey(RegRoot::CurrentConfig, "Empty\\Key"));
    }
    const std::string text = Text(ReadBytes(path));
    // Nothing raw but printable ASCII and the separators.
    for (char c : text) {
        EXPECT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) << int(c);
    }
    FileRegistry reopened(path, ui, SeedMarker);
    EXPECT_EQ(reopened.ReadString(RegRoot::Users, key, every), every);
    EXPECT_EQ(reopened.ReadString(RegRoot::Users, key, ""), "");
    EXPECT_TRUE(reopened.KeyExists(RegRoot::CurrentConfig, "Empty\\Key"));
    EXPECT_FALSE(reopened.KeyExists(HKCU, "Seeded"));
}

TEST_F(FileRegistryTest, KeysBehaveAsTheRegistrysDo) {
    FileRegistry registry(path, ui, {});
    EXPECT_FALSE(registry.WriteString(HKCU, "Software\\App", "", "x"));
    EXPECT_FALSE(registry.KeyExists(HKCU, "Software"));
    ASSERT_TRUE(registry.CreateKey(HKCU, "Software\\App\\Icons"));
    EXPECT_TRUE(registry.KeyExists(HKCU, "Software"));
    EXPECT_TRUE(registry.KeyExists(HKCU, "software\\APP"));
    EXPECT_FALSE(registry.KeyExists(HKCR, "Software"));
    ASSERT_TRUE(registry.WriteString(HKCU, "SOFTWARE\\app\\icons\\", "Full", "1"));
    EXPECT_EQ(registry.ReadString(HKCU, "Software\\App\\Icons", "FULL"), "1");
    EXPECT_EQ(registry.ReadString(HKCU, "Software\\App\\Icons", ""), std::nullopt);
    EXPECT_EQ(registry.ReadString(HKCU, "Software\\App\\Other", "Full"), std::nullopt);
    EXPECT_TRUE(registry.KeyExists(HKCU, ""));
}

TEST_F(FileRegistryTest, ADamagedFileIsKeptAsideAndTheUserTold) {
    std::string good;
    {
        FileRegistry registry(path, ui, {});
        ASSERT_TRUE(registry.CreateKey(HKCR, "Kept\\Key"));
        ASSERT_TRUE(registry.WriteString(HKCR, "Kept\\Key", "", "/kept.ico,0"));
        good = Text(ReadBytes(path));
    }
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 251);
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty", ""},
        {"cut in a line", good.substr(0, good.size() - 20)},
        {"cut at a line end", good.substr(0, good.find("value"))},
        {"end line counting wrong", good.substr(0, good.find("end")) + "end\t9\n"},
        {"garbage", garbage},
        {"binary zeros", std::string(4096, '\0')},
        {"zeros in a value", good.substr(0, good.find("/kept")) + std::string(3, '\0') +
                                 good.substr(good.find("/kept"))},
        {"CR LF line ends", "pictoform-registry 1\r\nend\t0\r\n"},
        {"a later version", "pictoform-registry 2\nend\t0\n"},
        {"unknown root", "pictoform-registry 1\nkey\tHKEY_OTHER\tA\nend\t1\n"},
        {"bad escape", "pictoform-registry 1\nkey\tHKEY_USERS\tA%4\nend\t1\n"},
        {"missing field", "pictoform-registry 1\nvalue\tHKEY_USERS\tA\t\nend\t1\n"},
        {"a huge line",
         "pictoform-registry 1\nkey\tHKEY_USERS\t" + std::string(3 << 20, 'k') + "\tx\nend\t1\n"},
        {"too big", std::string(kMaxRegistryFileBytes + 1, '\n')},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        TempDir dir;
        const std::string file = dir.File("registry.txt");
        WriteBytes(file, Bytes(bytes));
        ScriptedUiServices asked;
        FileRegistry registry(file, asked, SeedMarker);
        ASSERT_EQ(asked.Messages().size(), 1u);
        EXPECT_EQ(asked.Messages()[0].caption, "Error");
        EXPECT_NE(asked.Messages()[0].text.find(file + ".damaged"), std::string::npos);
        // The damaged bytes are all there, and a fresh registry took their place.
        EXPECT_EQ(registry.DamagedCopy(), file + ".damaged");
        EXPECT_TRUE(Text(ReadBytes(file + ".damaged")) == bytes);
        EXPECT_EQ(registry.ReadString(HKCU, "Seeded", ""), "yes");
        EXPECT_FALSE(registry.KeyExists(HKCR, "Kept"));
        FileRegistry reopened(file, asked, {});
        EXPECT_EQ(reopened.ReadString(HKCU, "Seeded", ""), "yes");
        EXPECT_EQ(asked.Messages().size(), 1u);
    }
}

TEST_F(FileRegistryTest, AnEarlierDamagedCopyIsNeverOverwritten) {
    WriteBytes(path, Bytes("first damage"));
    { FileRegistry registry(path, ui, {}); }
    WriteBytes(path, Bytes("second damage"));
    FileRegistry registry(path, ui, {});
    EXPECT_EQ(registry.DamagedCopy(), path + ".damaged.2");
    EXPECT_EQ(Text(ReadBytes(path + ".damaged")), "first damage");
    EXPECT_EQ(Text(ReadBytes(path + ".damaged.2")), "second damage");
    EXPECT_EQ(ui.Messages().size(), 2u);
}

TEST_F(FileRegistryTest, ChangesStayInMemoryWhenTheFileCannotBeWritten) {
    // A plain file where the folder should be.
    WriteBytes(temp.File("plain"), Bytes("x"));
    FileRegistry registry(temp.File("plain") + "/registry.txt", ui, {});
    ASSERT_TRUE(registry.CreateKey(HKCU, "A"));
    ASSERT_TRUE(registry.WriteString(HKCU, "A", "", "1"));
    ASSERT_TRUE(registry.WriteString(HKCU, "A", "", "2"));
    EXPECT_EQ(registry.ReadString(HKCU, "A", ""), "2");
    // Told once, not at every change.
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text.find("Cannot write the icon registry"), 0u);
    EXPECT_EQ(Text(ReadBytes(temp.File("plain"))), "x");
}

} // namespace
} // namespace pictoform
