#pragma once
// Telling a live run from one that died: each run holds a lock file while it
// lives, and the kernel lets go of the lock when the process ends, however
// it ends, so a lock no one holds belongs to a run that is gone.

#include <string>

namespace pictoform {

// An exclusive lock on a file (flock), held while the object lives; the
// kernel lets go of it when the process dies, however it dies.
class RunLock {
public:
    RunLock() = default;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    ~RunLock() { Release(false); }

    // Creates the file if it is missing and locks it; false when another
    // process (or another lock in this one) holds it, or it cannot be made.
    [[nodiscard]] bool Take(const std::string& path);
    // Lets go, removing the file first when asked (while still holding it,
    // so that no one else takes a lock on a name that is going).
    void Release(bool remove);
    [[nodiscard]] bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_path;
};

// Whether a live run holds the lock at `path`; a missing file is no run.
[[nodiscard]] bool LockIsHeld(const std::string& path);

} // namespace pictoform
