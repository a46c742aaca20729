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

// Several files that belong together, replaced all at once: each is written
// beside its place as it is added, and all are renamed into place by
// Commit. A batch dropped before then leaves every file as it was.
class FileBatch {
public:
    FileBatch() = default;
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;
    ~FileBatch();

    [[nodiscard]] bool Add(const std::string& path, std::span<const uint8_t> bytes,
                           std::string& reason);
    [[nodiscard]] bool Commit(std::string& reason);

private:
    struct Pending {
        std::string temp;
        std::string path;
    };
    std::vector<Pending> m_pending;
};

} // namespace pictoform
