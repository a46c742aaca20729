#include "io/ByteReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictoform {

namespace {

// Maps the pages of a fresh buffer in one call before the file is read into
// it. Left to fault in one page at a time, a file of a few megabytes costs
// more in page faults than in reading (about 20 ms for 6.7 MB on a virtual
// machine, against 6 ms this way). Large buffers ask for huge pages too.
// Only hints: a kernel that refuses them leaves the buffer as it was.
void MapPagesAhead(uint8_t* data, size_t bytes) {
#if defined(MADV_POPULATE_WRITE) && defined(MADV_HUGEPAGE)
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return;
    const auto page = static_cast<uintptr_t>(pageSize);
    const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
    if (end <= first) return;
    void* start = reinterpret_cast<void*>(first);
    constexpr size_t kHugePage = size_t{2} << 20;
    if (end - first >= kHugePage) (void)::madvise(start, end - first, MADV_HUGEPAGE);
    (void)::madvise(start, end - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace

bool ByteReader::Seek(size_t offset) {
    if (offset > m_data.size()) return false;
    m_pos = offset;
    return true;
}

bool ByteReader::Skip(size_t count) {
    if (!Has(count)) return false;
    m_pos += count;
    return true;
}

bool ByteReader::ReadU8(uint8_t& out) {
    if (!Has(1)) return false;
    out = m_data[m_pos++];
    return true;
}

bool ByteReader::ReadU16(uint16_t& out) {
    if (!Has(2)) return false;
    out = static_cast<uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return true;
}

bool ByteReader::ReadU32(uint32_t& out) {
    if (!Has(4)) return false;
    out = static_cast<uint32_t>(m_data[m_pos]) | (static_cast<uint32_t>(m_data[m_pos + 1]) << 8) |
          (static_cast<uint32_t>(m_data[m_pos + 2]) << 16) |
          (static_cast<uint32_t>(m_data[m_pos + 3]) << 24);
    m_pos += 4;
    return true;
}

bool ByteReader::ReadI32(int32_t& out) {
    uint32_t u = 0;
    if (!ReadU32(u)) return false;
    out = static_cast<int32_t>(u);
    return true;
}

bool ByteReader::ReadSpan(size_t count, std::span<const uint8_t>& out) {
    if (!Has(count)) return false;
    out = m_data.subspan(m_pos, count);
    m_pos += count;
    return true;
}

namespace {

using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

// Reads an open file to its end, refusing more than maxBytes.
bool ReadToEnd(const FilePtr& file, size_t maxBytes, std::vector<uint8_t>& out,
               std::string& reason) {
    out.clear();
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    // The size the file system reports is only a hint for one allocation;
    // reading goes on in chunks to the real end, so pipes and files that
    // change while read are bounded all the same.
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        out.reserve(std::min<size_t>(static_cast<size_t>(st.st_size), maxBytes) + 1);
        MapPagesAhead(out.data(), out.capacity());
    }
    // Unbuffered: the bytes go straight into the vector.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    for (;;) {
        const size_t old = out.size();
        const size_t room = std::max<size_t>(out.capacity() - old, 65536);
        const size_t want = std::min(room, maxBytes + 1 - old);
        out.resize(old + want);
        const size_t got = std::fread(out.data() + old, 1, want, file.get());
        out.resize(old + got);
        if (out.size() > maxBytes) {
            reason = "file is larger than " + std::to_string(maxBytes) + " bytes";
            out.clear();
            return false;
        }
        if (got < want) break;
    }
    if (std::ferror(file.get())) {
        reason = std::strerror(errno);
        out.clear();
        return false;
    }
    return true;
}

} // namespace

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out,
                   std::string& reason) {
    return ReadToEnd(FilePtr(std::fopen(path.c_str(), "rb"), &std::fclose), maxBytes, out, reason);
}

MappedFile::~MappedFile() {
    Close();
}

void MappedFile::Close() {
    if (m_map) ::munmap(m_map, m_mapped);
    m_map = nullptr;
    m_mapped = 0;
    m_read.clear();
}

bool MappedFile::Open(const std::string& path, size_t maxBytes, std::string& reason) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
    if (regular && static_cast<uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        reason = "file is larger than " + std::to_string(maxBytes) + " bytes";
        return false;
    }
    if (regular) {
        const auto size = static_cast<size_t>(st.st_size);
        // A small file is mostly read whole: its pages are mapped in one call
        // rather than one fault at a time. A large one (a program) is mostly
        // skipped over, so only what is read is brought in.
        constexpr size_t kMapAheadBytes = size_t{1} << 20;
        const int flags = MAP_PRIVATE | (size <= kMapAheadBytes ? MAP_POPULATE : 0);
        void* map = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
        if (map != MAP_FAILED) {
            m_map = map;
            m_mapped = size;
        }
    }
    if (m_map) {
        ::close(fd);
        return true;
    }
    // Pipes, empty-looking special files and failed mappings are read, from
    // the same opening: a pipe's bytes may not be there a second time.
    FilePtr file(::fdopen(fd, "rb"), &std::fclose);
    if (!file) {
        const int failure = errno;
        ::close(fd);
        errno = failure;
    }
    return ReadToEnd(file, maxBytes, m_read, reason);
}

std::span<const uint8_t> MappedFile::Bytes() const {
    if (m_map) return {static_cast<const uint8_t*>(m_map), m_mapped};
    return m_read;
}

} // namespace pictoform
