#include "editor/Recovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "editor/PictoformView.h"
#include "io/SafeFile.h"
#include "platform/UiServices.h"

namespace pictoform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCopyEnding = ".pfi";
constexpr const char* kLockEnding = ".lock";

std::string LockOf(const std::string& copy) {
    return copy.substr(0, copy.size() - std::string(kCopyEnding).size()) + kLockEnding;
}

} // namespace

RecoveryStore::RecoveryStore(std::string folder) : m_folder(std::move(folder)) {}

RecoveryStore::~RecoveryStore() {
    Remove();
    // The name is this run's alone (its start time and process), so its lock
    // file can go with it.
    m_lock.Release(true);
}

std::string RecoveryStore::CopyPath() const {
    return m_folder + "/" + m_name + kCopyEnding;
}

std::vector<RecoveryCopy> RecoveryStore::DeadCopies() const {
    std::vector<RecoveryCopy> copies;
    std::error_code ec;
    if (m_folder.empty() || !fs::is_directory(m_folder, ec)) return copies;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_folder, ec)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != kCopyEnding || !entry.is_regular_file(ec)) continue;
        if (!m_name.empty() && path == CopyPath()) continue;
        if (LockIsHeld(LockOf(path))) continue;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        copies.push_back({path, st.st_mtime});
    }
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.saved != b.saved ? a.saved > b.saved : a.path > b.path;
    });
    return copies;
}

bool RecoveryStore::Claim(const RecoveryCopy& copy, RunLock& lock) {
    return lock.Take(LockOf(copy.path));
}

void RecoveryStore::Discard(const RecoveryCopy& copy, RunLock& lock) {
    std::error_code ec;
    fs::remove(copy.path, ec);
    lock.Release(true);
}

bool RecoveryStore::Begin(std::string& reason) {
    if (m_lock.Held()) return true;
    if (m_folder.empty()) {
        reason = "there is no folder for recovery copies";
        return false;
    }
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    const auto started = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    m_name = std::to_string(started.count()) + "-" + std::to_string(::getpid());
    if (!m_lock.Take(m_folder + "/" + m_name + kLockEnding)) {
        reason = "cannot lock a file in " + m_folder;
        m_name.clear();
        return false;
    }
    return true;
}

bool RecoveryStore::Adopt(const RecoveryCopy& copy, RunLock& lock, std::string& reason) {
    if (!Begin(reason)) return false;
    if (::rename(copy.path.c_str(), CopyPath().c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    m_hasCopy = true;
    lock.Release(true);
    return true;
}

bool RecoveryStore::Write(std::span<const uint8_t> bytes, std::string& reason) {
    if (!Begin(reason) || !WriteFileAtomically(CopyPath(), bytes, reason)) return false;
    m_hasCopy = true;
    return true;
}

void RecoveryStore::Remove() {
    if (!m_hasCopy) return;
    std::error_code ec;
    fs::remove(CopyPath(), ec);
    m_hasCopy = false;
}

std::string RecoveryTime(std::time_t when) {
    std::tm local{};
    if (!::localtime_r(&when, &local)) return "an unknown time";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

bool OfferRecovery(RecoveryStore& store, CPictoformView& view, UiServices& ui) {
    for (const RecoveryCopy& copy : store.DeadCopies()) {
        RunLock claim;
        if (!RecoveryStore::Claim(copy, claim)) continue; // another start asks about it
        const MessageAnswer answer =
            ui.ShowMessage("Recover the unsaved work from " + RecoveryTime(copy.saved) + "?",
                           "Pictoform", MessageIcon::Question, MessageButtons::RecoverDiscardLater);
        if (answer == MessageAnswer::No) {
            RecoveryStore::Discard(copy, claim);
            continue;
        }
        if (answer != MessageAnswer::Yes || !view.OpenRecovered(copy.path)) continue;
        std::string reason;
        (void)store.Adopt(copy, claim, reason);
        return true;
    }
    return false;
}

void KeepRecoveryCopy(RecoveryStore& store, RecoverySchedule& schedule, CPictoformView& view,
                      uint64_t& seenChanges, bool idle, RecoverySchedule::Clock::time_point now) {
    if (!view.Modified()) {
        store.Remove();
        schedule.Clear();
        seenChanges = view.ChangeCount();
        return;
    }
    if (view.ChangeCount() != seenChanges) {
        seenChanges = view.ChangeCount();
        schedule.Changed(now);
    }
    if (!idle || !schedule.Due(now)) return;
    std::vector<uint8_t> bytes;
    std::string reason;
    // A copy that cannot be made now is tried again after the gap, not on
    // every tick.
    (void)(view.EncodeProjectFile(bytes, reason) && store.Write(bytes, reason));
    schedule.Written(now);
}

void RemoveDeadRunFolders(const std::string& historyRoot) {
    std::error_code ec;
    if (historyRoot.empty() || !fs::is_directory(historyRoot, ec)) return;
    std::vector<fs::path> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(historyRoot, ec)) {
        if (entry.is_directory(ec)) folders.push_back(entry.path());
    }
    const auto aDayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const fs::path& folder : folders) {
        const std::string lockPath = folder.string() + kLockEnding;
        const bool locked = fs::exists(lockPath, ec);
        if (!locked && fs::last_write_time(folder, ec) > aDayAgo) continue;
        // Held while the folder goes, so that no run starting now takes its
        // number in between; a lock that cannot be taken is a live run's.
        RunLock lock;
        if (!lock.Take(lockPath)) continue;
        fs::remove_all(folder, ec);
    }
}

} // namespace pictoform
