// Small files built the way a broken or hostile tool could build them, so
// that they would cost memory out of all proportion to their size: the
// command-line tool and the editor's open path either finish or refuse with
// a reason, inside an address space of 1.5 GiB.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "editor/PictoformView.h"
#include "editor/Workspace.h"
#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/ModuleFixtures.h"
#include "support/ScriptedUiServices.h"
#include "support/TestPaths.h"

namespace pictoform {
namespace {

using namespace test;

constexpr uint64_t kAddressSpace = 3ull << 29; // 1.5 GiB

// The sanitizers reserve terabytes of address space for themselves: there the
// cases run without the cap.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCapped = false;
#else
constexpr bool kCapped = true;
#endif

CommandResult CliCapped(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/bin/sh", "-c", "ulimit -v \"$0\" && exec \"$@\"",
                                     kCapped ? std::to_string(kAddressSpace / 1024) : "unlimited",
                                     CliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv);
}

// The body's result in a child process with the capped address space; -1
// when the child did not end by itself (killed, or out of memory).
int InCappedChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit cap{kAddressSpace, kAddressSpace};
        if (kCapped) (void)::setrlimit(RLIMIT_AS, &cap);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 256 x 256 picture that does not compress: each entry naming it costs
// what it decodes to, not what it takes on disk.
std::vector<uint8_t> NoisePng() {
    return PngBytes(Paint(256, 256, [](int x, int y) {
        const uint32_t h = Hash(x, y, 7);
        return std::array<uint8_t, 4>{uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 255};
    }));
}

std::vector<uint8_t> SharedPngIcon(uint16_t entries, const std::vector<uint8_t>& png) {
    Bytes f;
    IconHeader(f, 1, entries);
    for (uint16_t i = 0; i < entries; ++i) {
        Entry(f, 0, 0, 0, 1, 32, uint32_t(png.size()), 6 + 16u * entries);
    }
    return f.Raw(png).b;
}

// One long name shared by many languages of one resource: each entry listed
// would hold its own copy.
std::vector<uint8_t> LongSharedName() {
    std::vector<Resource> resources;
    const ResourceName name = ResourceName::Text(std::string(65535, 'N'));
    for (uint16_t language = 1; language <= 16310; ++language) {
        resources.push_back({ResourceName::Id(kResourceTypeGroupIcon), name, language, {}});
    }
    return BuildPe(false, resources).bytes;
}

// An animated cursor of frames that each decode to 256 x 256 from a few
// hundred bytes.
std::vector<uint8_t> PlainFramesCursor(size_t frames) {
    IconImageRec plain = MakeImage(256, 256, kDepth32, Px{90, 90, 90, 255});
    plain.png = true;
    plain.hotSpot = HotSpot{1, 1};
    CIconFile engine;
    std::vector<uint8_t> out;
    EXPECT_TRUE(
        engine.EncodeAnimatedCursor(std::vector<IconImageRec>(frames, plain), kWriteCursor, out));
    return out;
}

// An Xcursor file whose table names one 256 x 256 image many times, which
// libXcursor would decode for each.
std::vector<uint8_t> SharedXcursorImage(uint32_t entries) {
    Bytes f;
    f.Raw({'X', 'c', 'u', 'r'}).U32(16).U32(0x10000).U32(entries);
    const uint32_t image = 16 + 12 * entries;
    for (uint32_t i = 0; i < entries; ++i) f.U32(0xfffd0002).U32(256).U32(image);
    f.U32(36).U32(0xfffd0002).U32(256).U32(1).U32(256).U32(256).U32(0).U32(0).U32(50);
    return f.Zeros(size_t{256} * 256 * 4).b;
}

const std::string kBudget = "which would need ";
const std::string kPixels = "million pixels in all, more than Pictoform reads from one file";
const std::string kNames = "resource names hold more than 4 MB of text";

TEST(CostInProportion, SmallCraftedFilesFinishOrAreRefusedWithAReason) {
    TempDir temp;
    const std::vector<uint8_t> png = NoisePng();
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        // Whether info lists it (from headers, without decoding) and a
        // thumbnail is made of it (one image decoded), why convert refuses it
        // (empty: it converts), and what opening shows (empty: it opens).
        bool listed;
        std::string unconverted, unopened;
    } cases[] = {
        {"shared64.ico", SharedPngIcon(64, png), true, "", ""},
        {"shared128.ico", SharedPngIcon(128, png), true, "", kBudget},
        {"shared512.ico", SharedPngIcon(512, png), true, kPixels, kBudget},
        {"names.dll", LongSharedName(), false, kNames, kNames},
        {"frames.ani", PlainFramesCursor(120), true, "", kBudget},
        {"group.dll", BuildPe(false, GroupOfOneIcon(120)).bytes, true, "", kBudget},
        {"shared-xcursor", SharedXcursorImage(512), true, kPixels, kBudget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = temp.File(c.name);
        WriteBytes(path, c.bytes);
        EXPECT_LT(c.bytes.size(), 1u << 20);
        const CommandResult info = CliCapped({"info", path});
        EXPECT_EQ(info.status, c.listed ? 0 : 1) << info.err;
        const CommandResult thumbnail =
            CliCapped({"thumbnail", "--size", "256", path, temp.File("thumbnail.png")});
        EXPECT_EQ(thumbnail.status, c.listed ? 0 : 1) << thumbnail.err;
        const bool program = path.ends_with(".dll");
        std::vector<std::string> convertArgs = {"convert", path, "-o", temp.File("out.ico")};
        if (program) convertArgs.insert(convertArgs.end(), {"--index", "0"});
        const CommandResult convert = CliCapped(convertArgs);
        EXPECT_EQ(convert.status, c.unconverted.empty() ? 0 : 1) << convert.err;
        EXPECT_TRUE(convert.err.find(c.unconverted) != std::string::npos) << convert.err;

        // The editor: opened within the budget, or refused with the open icon kept.
        const int opened = InCappedChild([&] {
            ScriptedUiServices ui;
            TestPaths paths;
            Workspace workspace{ui, paths};
            CPictoformView view{workspace};
            view.InitialUpdate("");
            if (program) ui.QueueModuleIcon(0);
            const bool open = view.OpenIconDocument(path, FileExtension(path));
            if (open) return c.unopened.empty() ? 0 : 10;
            if (ui.Messages().size() != 1 ||
                ui.Messages()[0].text.find(c.unopened) == std::string::npos) {
                return 11;
            }
            return workspace.FormatList().Count() == 1 ? 1 : 12;
        });
        EXPECT_EQ(opened, c.unopened.empty() ? 0 : 1);
    }
}

} // namespace
} // namespace pictoform
