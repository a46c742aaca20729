#pragma once
// Crash recovery. While a document has unsaved changes, the run keeps a copy
// of it as a project in the recovery folder, written when the changes
// settle and at most every ten seconds; a save or a clean close removes it.
// Each run holds a lock beside its copy for as long as it lives, so that a
// later start tells the copy of a run that died from one that still runs.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "io/RunLock.h"

namespace pictoform {

class CPictoformView;
class UiServices;

// When a copy is due: after the last change has settled for kSettle, and
// never sooner than kGap after the last copy.
class RecoverySchedule {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kSettle{2};
    static constexpr std::chrono::seconds kGap{10};

    void Changed(Clock::time_point now) {
        m_pending = true;
        m_lastChange = now;
    }
    void Written(Clock::time_point now) {
        m_pending = false;
        m_written = true;
        m_lastWrite = now;
    }
    void Clear() { m_pending = false; }
    [[nodiscard]] bool Due(Clock::time_point now) const {
        return m_pending && now - m_lastChange >= kSettle &&
               (!m_written || now - m_lastWrite >= kGap);
    }

private:
    bool m_pending = false;
    bool m_written = false;
    Clock::time_point m_lastChange{};
    Clock::time_point m_lastWrite{};
};

// A copy that a run left behind.
struct RecoveryCopy {
    std::string path;
    std::time_t saved = 0;
};

class RecoveryStore {
public:
    // `folder` empty: recovery is off and every call does nothing.
    explicit RecoveryStore(std::string folder);
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;
    // A run that ends (not one that dies) takes its copy and lock with it.
    ~RecoveryStore();

    // Copies that runs no longer alive left behind, newest first.
    [[nodiscard]] std::vector<RecoveryCopy> DeadCopies() const;
    // Takes a dead run's lock, so that no other start offers the same copy
    // while this one asks about it; false when someone holds it.
    [[nodiscard]] static bool Claim(const RecoveryCopy& copy, RunLock& lock);
    // With the copy claimed: removes it and its lock.
    static void Discard(const RecoveryCopy& copy, RunLock& lock);
    // With the copy claimed: makes it this run's own copy by renaming it, so
    // that the work is never only in a file not yet on disk.
    [[nodiscard]] bool Adopt(const RecoveryCopy& copy, RunLock& lock, std::string& reason);

    // Writes this run's copy (whole, or not at all), taking the run's lock
    // first. False with a reason when it cannot.
    [[nodiscard]] bool Write(std::span<const uint8_t> bytes, std::string& reason);
    // Removes this run's copy: the work was saved, or the document is gone.
    void Remove();
    [[nodiscard]] bool HasCopy() const { return m_hasCopy; }
    [[nodiscard]] std::string CopyPath() const;

private:
    // Names this run's copy and takes its lock, once.
    [[nodiscard]] bool Begin(std::string& reason);

    std::string m_folder;
    std::string m_name;
    RunLock m_lock;
    bool m_hasCopy = false;
};

// "2026-12-08 14:05", local time: when a copy was saved, as the question
// names it.
[[nodiscard]] std::string RecoveryTime(std::time_t when);

// At start: asks about each dead run's copy, newest first, "Recover the
// unsaved work from <date time>?". Recover opens it as the document, modified,
// and it becomes this run's copy; Discard removes it; Later keeps it for the
// next start. After one is recovered the rest wait.
// True when a copy was recovered.
bool OfferRecovery(RecoveryStore& store, CPictoformView& view, UiServices& ui);

// Writes the view's document as this run's copy when the schedule says it is
// due, or removes the copy once the document has no unsaved changes. `idle`:
// nothing is in the middle of a stroke or drag.
void KeepRecoveryCopy(RecoveryStore& store, RecoverySchedule& schedule, CPictoformView& view,
                      uint64_t& seenChanges, bool idle, RecoverySchedule::Clock::time_point now);

// Removes the history folders of runs that are no longer alive: each run's
// folder has a lock file beside it ("<folder>.lock") that the run holds. A
// folder without one was made by an older version, which may still run, so
// it goes only once it has not changed for a day.
void RemoveDeadRunFolders(const std::string& historyRoot);

} // namespace pictoform
