#pragma once
// The files (.cah) in which the undo history keeps whole pictures, one file
// per recorded step, in the history directory of this run. Layout, all
// integers 32-bit little-endian: N = row stride x height, the colour plane as
// N bytes of bottom-up rows padded to the stride, M = 2 x width x height, then
// the alpha plane and the coverage plane, top row first. The file carries no
// width or height: it is only ever read back into the picture that wrote it.

#include <cstdint>
#include <string>

namespace pictoform {

class CLayerImage;
class UiServices;

// What a file is written for; it decides how often a failure is reported.
enum class HistoryFileUse {
    LayerSnapshot, // every failed attempt is reported, and the give-up once more
    ObjectPixels,  // only the give-up is reported
};

// The run's history directory and the numbering of its files. One store
// serves the whole run (its owner hands it to whoever records steps); the
// numbers are never reused, even for files that could not be made.
class HistoryStore {
public:
    static constexpr int kCreateAttempts = 11;

    HistoryStore(std::string directory, UiServices& ui);
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    [[nodiscard]] const std::string& Directory() const { return m_directory; }
    // The number of the last file begun; 0 before the first.
    [[nodiscard]] uint64_t Counter() const { return m_counter; }
    // "<directory>/<number>.cah".
    [[nodiscard]] std::string PathFor(uint64_t number) const;

    // Writes the picture to a file with the next number and gives its path.
    // After kCreateAttempts failures the user is told "Cannot create history
    // file <path>." and false comes back; no file is left behind.
    [[nodiscard]] bool WritePicture(const CLayerImage& picture, HistoryFileUse use,
                                    std::string& path);

private:
    void ReportFailure(const std::string& path);

    std::string m_directory;
    UiServices& m_ui;
    uint64_t m_counter = 0;
};

// One attempt at writing a file (created or truncated). A write that fails or
// stops short removes what it wrote and returns false.
[[nodiscard]] bool WriteHistoryFile(const std::string& path, const CLayerImage& picture);

// Reads a file back into the picture that wrote it. A file that cannot be
// read, or whose counts or length do not fit this picture exactly, is refused
// and the picture stays as it was.
[[nodiscard]] bool ReadHistoryFile(const std::string& path, CLayerImage& picture);

// Deletes the file from disk; a file that is already gone is no error.
void RemoveHistoryFile(const std::string& path);

} // namespace pictoform
