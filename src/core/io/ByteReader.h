#pragma once
// Little-endian reading of a file held in memory. Every read is bounded by the
// bytes that are there; a read past the end fails and leaves the position.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pictoform {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : m_data(data) {}

    [[nodiscard]] size_t Size() const { return m_data.size(); }
    [[nodiscard]] size_t Position() const { return m_pos; }
    [[nodiscard]] size_t Remaining() const { return m_data.size() - m_pos; }
    [[nodiscard]] bool Has(size_t count) const { return count <= Remaining(); }

    // Moves to an absolute offset; false when it lies past the end.
    [[nodiscard]] bool Seek(size_t offset);
    [[nodiscard]] bool Skip(size_t count);

    [[nodiscard]] bool ReadU8(uint8_t& out);
    [[nodiscard]] bool ReadU16(uint16_t& out);
    [[nodiscard]] bool ReadU32(uint32_t& out);
    [[nodiscard]] bool ReadI32(int32_t& out);
    // The next count bytes without copying; false when fewer remain.
    [[nodiscard]] bool ReadSpan(size_t count, std::span<const uint8_t>& out);

    [[nodiscard]] std::span<const uint8_t> Data() const { return m_data; }

private:
    std::span<const uint8_t> m_data;
    size_t m_pos = 0;
};

// Reads a whole file into memory, refusing files larger than maxBytes.
// On failure returns false and says why in `reason`.
[[nodiscard]] bool ReadWholeFile(const std::string& path, size_t maxBytes,
                                 std::vector<uint8_t>& out, std::string& reason);

// A whole file's bytes for a short-lived process that reads a few parts of a
// large file: a regular file is mapped, so nothing is copied and, past the
// first megabyte, only the pages read are brought in; anything else is read
// as ReadWholeFile reads it. Only for commands a person runs: a file cut
// short by another program while it is mapped ends the process (SIGBUS)
// instead of failing the read, so the editor and the thumbnailer (which
// file managers run on files still being written) read into memory.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // The same refusals and reasons as ReadWholeFile.
    [[nodiscard]] bool Open(const std::string& path, size_t maxBytes, std::string& reason);
    [[nodiscard]] std::span<const uint8_t> Bytes() const;

private:
    void Close();

    void* m_map = nullptr;
    size_t m_mapped = 0;
    std::vector<uint8_t> m_read;
};

} // namespace pictoform
