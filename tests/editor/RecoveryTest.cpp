// Crash recovery: copies of unsaved work made when due, told apart from a
// live run's by their locks, offered at the next start; each run's history
// folder taken under a free number, and those of dead runs removed.

#include "editor/Recovery.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "editor/CommandFixture.h"
#include "editor/RunHistoryDir.h"

namespace pictoform {
namespace {

namespace fs = std::filesystem;
using Clock = RecoverySchedule::Clock;
using std::chrono::seconds;

TEST(RunLock, OneHolderAtATimeAndNoneOnceItLetsGo) {
    test::TempDir temp;
    const std::string path = temp.File("run.lock");
    EXPECT_FALSE(LockIsHeld(path)) << "no file, no run";
    RunLock first, second;
    ASSERT_TRUE(first.Take(path));
    EXPECT_TRUE(LockIsHeld(path));
    EXPECT_FALSE(second.Take(path));
    first.Release(false);
    EXPECT_FALSE(LockIsHeld(path));
    EXPECT_TRUE(second.Take(path));
    second.Release(true);
    EXPECT_FALSE(fs::exists(path));
}

TEST(RecoverySchedule, AfterTheChangesSettleAndNeverSoonerThanTheGap) {
    const Clock::time_point t0{};
    RecoverySchedule schedule;
    EXPECT_FALSE(schedule.Due(t0 + seconds(100))) << "nothing changed";
    schedule.Changed(t0);
    EXPECT_FALSE(schedule.Due(t0 + seconds(1)));
    EXPECT_TRUE(schedule.Due(t0 + seconds(2)));
    schedule.Written(t0 + seconds(2));
    schedule.Changed(t0 + seconds(3));
    EXPECT_FALSE(schedule.Due(t0 + seconds(11))) << "settled, but within the gap";
    EXPECT_TRUE(schedule.Due(t0 + seconds(12)));
    schedule.Changed(t0 + seconds(12));
    EXPECT_FALSE(schedule.Due(t0 + seconds(13))) << "still changing";
    schedule.Clear();
    EXPECT_FALSE(schedule.Due(t0 + seconds(60)));
}

TEST(RunFolders, OnlyFoldersOfRunsThatDiedGo) {
    test::TempDir temp;
    const std::string root = temp.File("History");
    test::TestPaths paths;
    paths.historyRoot = root;
    test::ScriptedUiServices ui;
    // A live run, a run that died holding its lock, and a folder an older
    // version left with no lock at all.
    Workspace live(ui, paths);
    ASSERT_TRUE(live.StartHistory());
    fs::create_directories(root + "/7");
    test::WriteBytes(root + "/7.lock", {});
    test::WriteBytes(root + "/7/3.cah", {1, 2, 3});
    // An older version's folder goes once it has not changed for a day.
    fs::create_directories(root + "/322");
    fs::last_write_time(root + "/322", fs::file_time_type::clock::now() - std::chrono::hours(49));
    fs::create_directories(root + "/400");
    std::string nextDir;
    {
        Workspace next(ui, paths);
        ASSERT_TRUE(next.StartHistory());
        CPictoformView nextView(next);
        nextView.InitialUpdate("");
        nextDir = next.HistoryDir();
        EXPECT_TRUE(fs::is_directory(live.HistoryDir()));
        EXPECT_TRUE(fs::exists(nextDir + "/1.cah"));
        EXPECT_NE(nextDir, live.HistoryDir());
        EXPECT_FALSE(fs::exists(root + "/7"));
        EXPECT_FALSE(fs::exists(root + "/322"));
        EXPECT_TRUE(fs::exists(root + "/400"));
    }
    // A run's own folder goes with it, its history files too.
    EXPECT_FALSE(fs::exists(nextDir));
    EXPECT_TRUE(fs::is_directory(live.HistoryDir()));
}

// A folder that still holds files when the run ends stays.
TEST(RunHistoryDirTest, TakesAFreeNumberLeavesWithTheRunIfEmptyAndReportsARootItCannotMake) {
    test::TempDir temp;
    const std::string root = temp.File("History");
    fs::create_directories(root + "/7");
    unsigned draws[] = {1007, 7, 42, 43};
    size_t next = 0;
    std::string error;
    {
        RunHistoryDir dir, kept;
        // 1007 % 1000 and 7 are taken; 42 is free.
        ASSERT_TRUE(dir.Create(
            root, [&] { return draws[next++]; }, error))
            << error;
        EXPECT_EQ(dir.Path(), root + "/42");
        ASSERT_TRUE(kept.Create(
            root, [&] { return draws[next++]; }, error))
            << error;
        test::WriteBytes(kept.Path() + "/1.cah", {1, 2, 3});
    }
    EXPECT_FALSE(fs::exists(root + "/42"));
    EXPECT_TRUE(fs::exists(root + "/43/1.cah"));
    EXPECT_TRUE(fs::exists(root + "/7"));

    // A root that cannot be made is reported, not ignored.
    test::WriteBytes(temp.File("file"), {0});
    RunHistoryDir dir;
    EXPECT_FALSE(dir.Create(temp.File("file") + "/History", error));
    EXPECT_NE(error.find("Cannot create the history folder"), std::string::npos);
    EXPECT_TRUE(dir.Path().empty());
}

class RecoveryTest : public test::CommandFixture {
protected:
    RecoveryTest() { paths.recovery = temp.File("state/recovery"); }

    // A change the user made: a pixel on the current layer.
    void Edit(const PixelColor& colour) {
        CIconLayer& layer = *workspace.CurrentLayer();
        layer.Committed().SetBlock(5, 6, colour, 3);
        (void)layer.Committed().CopyTo(layer.Working());
        view.SetModified(true);
    }
    // What a run that died leaves: its copy, and a lock file no one holds.
    std::string DeadRunCopy(const std::string& name, std::time_t saved) {
        std::vector<uint8_t> bytes;
        std::string reason;
        EXPECT_TRUE(view.EncodeProjectFile(bytes, reason)) << reason;
        fs::create_directories(paths.recovery);
        const std::string path = paths.recovery + "/" + name + ".pfi";
        test::WriteBytes(path, bytes);
        test::WriteBytes(paths.recovery + "/" + name + ".lock", {});
        const struct timespec times[2] = {{saved, 0}, {saved, 0}};
        EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        return path;
    }

    RecoveryStore store{temp.File("state/recovery")};
    RecoverySchedule schedule;
    uint64_t seen = 0;
};

TEST_F(RecoveryTest, ACopyWhenDueOnlyWhenIdleAndNoneOnceSaved) {
    const Clock::time_point t0{};
    KeepRecoveryCopy(store, schedule, view, seen, true, t0);
    EXPECT_TRUE(test::FilesIn(paths.recovery).empty()) << "nothing unsaved";
    Edit({200, 10, 10, 255});
    KeepRecoveryCopy(store, schedule, view, seen, true, t0 + seconds(1));
    KeepRecoveryCopy(store, schedule, view, seen, false, t0 + seconds(3));
    EXPECT_TRUE(test::FilesIn(paths.recovery).empty()) << "not while settling, not mid-stroke";
    KeepRecoveryCopy(store, schedule, view, seen, true, t0 + seconds(4));
    ASSERT_TRUE(store.HasCopy());
    ASSERT_EQ(test::FilesIn(paths.recovery).size(), 2u) << "the copy and the run's lock";
    // Another run sees a live run's copy as no one's to offer.
    RecoveryStore other(paths.recovery);
    EXPECT_TRUE(other.DeadCopies().empty());
    RunLock claim;
    EXPECT_FALSE(RecoveryStore::Claim({store.CopyPath(), 0}, claim));

    view.SetModified(false); // saved
    KeepRecoveryCopy(store, schedule, view, seen, true, t0 + seconds(20));
    EXPECT_FALSE(fs::exists(store.CopyPath()));
}

TEST_F(RecoveryTest, DeadRunsAreOfferedNewestFirstAndEachAnswerDoesItsPart) {
    Edit({10, 200, 30, 255});
    ASSERT_TRUE(view.SaveIconDocument(temp.File("art.ico"), "ico"));
    Edit({10, 20, 230, 255}); // unsaved work on the saved icon
    const std::string older = DeadRunCopy("100-1", 1'000'000'000);
    const std::string newer = DeadRunCopy("200-2", 1'100'000'000);
    const std::string gone = DeadRunCopy("300-3", 1'050'000'000);
    view.InitialUpdate(""); // a fresh start

    ui.QueueAnswer(MessageAnswer::Cancel); // Later: kept
    ui.QueueAnswer(MessageAnswer::No);     // Discard: removed
    ui.QueueAnswer(MessageAnswer::Yes);    // Recover
    EXPECT_TRUE(OfferRecovery(store, view, ui));
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[0].text,
              "Recover the unsaved work from " + RecoveryTime(1'100'000'000) + "?");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::RecoverDiscardLater);
    EXPECT_EQ(ui.Messages()[1].text,
              "Recover the unsaved work from " + RecoveryTime(1'050'000'000) + "?");
    EXPECT_TRUE(fs::exists(newer));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(older)) << "recovered, and now this run's own copy";
    EXPECT_TRUE(store.HasCopy());
    // The document as it was, unsaved under its name (its pixels coming back
    // is check_recovery.sh's, with the real program killed).
    EXPECT_TRUE(view.Modified());
    EXPECT_EQ(view.Path(), temp.File("art.ico"));
}

} // namespace
} // namespace pictoform
