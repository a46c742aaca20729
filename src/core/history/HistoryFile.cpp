#include "history/HistoryFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <utility>
#include <vector>

#include "image/LayerImage.h"
#include "io/ByteReader.h"
#include "platform/UiServices.h"

namespace pictoform {

namespace {

struct FileCounts {
    size_t rowBytes = 0;   // N
    size_t planeBytes = 0; // M
    size_t FileSize() const { return 8 + rowBytes + planeBytes; }
};

// False when a count does not fit the file's 32-bit fields.
bool CountsOf(const CLayerImage& picture, FileCounts& counts) {
    const size_t stride = static_cast<size_t>(picture.Stride());
    const size_t width = static_cast<size_t>(picture.Width());
    const size_t height = static_cast<size_t>(picture.Height());
    counts.rowBytes = stride * height;
    counts.planeBytes = 2 * width * height;
    constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
    return counts.rowBytes <= kMax && counts.planeBytes <= kMax;
}

void PutU32(uint8_t* out, size_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

HistoryStore::HistoryStore(std::string directory, UiServices& ui)
    : m_directory(std::move(directory)), m_ui(ui) {}

std::string HistoryStore::PathFor(uint64_t number) const {
    return m_directory + "/" + std::to_string(number) + ".cah";
}

bool HistoryStore::WritePicture(const CLayerImage& picture, HistoryFileUse use, std::string& path) {
    path = PathFor(++m_counter);
    for (int attempt = 1; attempt <= kCreateAttempts; ++attempt) {
        if (WriteHistoryFile(path, picture)) return true;
        if (use == HistoryFileUse::LayerSnapshot) ReportFailure(path);
    }
    ReportFailure(path);
    path.clear();
    return false;
}

void HistoryStore::ReportFailure(const std::string& path) {
    m_ui.ShowMessage("Cannot create history file " + path + ".", "Error", MessageIcon::Error,
                     MessageButtons::Ok);
}

bool WriteHistoryFile(const std::string& path, const CLayerImage& picture) {
    FileCounts counts;
    if (!CountsOf(picture, counts)) return false;

    // The whole file is assembled first so that it goes out in one write.
    std::vector<uint8_t> bytes(counts.FileSize());
    uint8_t* out = bytes.data();
    PutU32(out, counts.rowBytes);
    out += 4;
    // Kept top row first in memory, stored bottom row first.
    const size_t stride = static_cast<size_t>(picture.Stride());
    for (int y = picture.Height() - 1; y >= 0; --y) {
        std::memcpy(out, picture.ColourBits() + stride * static_cast<size_t>(y), stride);
        out += stride;
    }
    PutU32(out, counts.planeBytes);
    out += 4;
    if (counts.planeBytes > 0) std::memcpy(out, picture.AlphaPlane(), counts.planeBytes);

    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes.data(), bytes.size());
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    ::unlink(path.c_str());
    return false;
}

bool ReadHistoryFile(const std::string& path, CLayerImage& picture) {
    FileCounts counts;
    if (!CountsOf(picture, counts)) return false;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, counts.FileSize(), bytes, reason)) return false;
    // A file from another picture would put rows where this one has none.
    if (bytes.size() != counts.FileSize() || GetU32(bytes.data()) != counts.rowBytes ||
        GetU32(bytes.data() + 4 + counts.rowBytes) != counts.planeBytes)
        return false;

    const uint8_t* in = bytes.data() + 4;
    const size_t stride = static_cast<size_t>(picture.Stride());
    for (int y = picture.Height() - 1; y >= 0; --y) {
        std::memcpy(picture.ColourBits() + stride * static_cast<size_t>(y), in, stride);
        in += stride;
    }
    in += 4;
    if (counts.planeBytes > 0) std::memcpy(picture.AlphaPlane(), in, counts.planeBytes);
    return true;
}

void RemoveHistoryFile(const std::string& path) {
    if (!path.empty()) ::unlink(path.c_str());
}

} // namespace pictoform
