#include "io/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pictoform {

namespace {
std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

FileBatch::~FileBatch() {
    for (const Pending& file : m_pending) ::unlink(file.temp.c_str());
}

bool FileBatch::Add(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) {
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) {
        reason = "not a regular file";
        return false;
    }

    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        reason = std::string("cannot create a file in ") + DirectoryOf(path) + ": " +
                 std::strerror(errno);
        return false;
    }
    temp.assign(name.data());

    // A new file gets the usual permissions; a replaced one keeps its own.
    mode_t mode = 0666;
    if (replacing) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    // The failed `stat` of a new file leaves ENOENT behind; a failing close
    // must not be reported with it.
    errno = 0;
    // Only a replaced file needs the data on disk before the rename: a crash
    // must not leave an empty file where the old one was. A new file risks
    // nothing, so it is spared the wait.
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && (!replacing || ::fsync(fd) == 0);
    const int writeErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        reason = std::strerror(writeErrno ? writeErrno : errno);
        ::unlink(temp.c_str());
        return false;
    }
    m_pending.push_back({std::move(temp), path});
    return true;
}

bool FileBatch::Commit(std::string& reason) {
    // Each rename is whole; should one fail, the files not yet renamed stay
    // as they were, and their new contents are removed with the batch.
    for (size_t i = 0; i < m_pending.size(); ++i) {
        if (::rename(m_pending[i].temp.c_str(), m_pending[i].path.c_str()) != 0) {
            reason = std::strerror(errno);
            m_failedPath = m_pending[i].path;
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<ptrdiff_t>(i));
            return false;
        }
    }
    m_pending.clear();
    return true;
}

bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                         std::string& reason) {
    FileBatch batch;
    return batch.Add(path, bytes, reason) && batch.Commit(reason);
}

} // namespace pictoform
