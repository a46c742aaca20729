#pragma once
// Replacing a file without ever leaving it half written: the new content goes
// to a file beside it, which is renamed over the old one only when complete.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pictoform {

[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                                       std::string& reason);

// Several files that belong together: each is written beside its place as
// it is added, and all are renamed into place by Commit, so that a failure
// to write any of them (a full disk, a name taken by a folder) leaves every
// file as it was. Only a rename that fails, which a file written beside its
// place hardly can, leaves the ones renamed before it.
class FileBatch {
public:
    FileBatch() = default;
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;
    ~FileBatch();

    [[nodiscard]] bool Add(const std::string& path, std::span<const uint8_t> bytes,
                           std::string& reason);
    [[nodiscard]] bool Commit(std::string& reason);
    // The file whose rename failed.
    [[nodiscard]] const std::string& FailedPath() const { return m_failedPath; }

private:
    struct Pending {
        std::string temp;
        std::string path;
    };
    std::vector<Pending> m_pending;
    std::string m_failedPath;
};

} // namespace pictoform
