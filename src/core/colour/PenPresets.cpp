// The pen's stored forms: preset files (.gpr) and the PenState block of the
// undo history. Both are read as untrusted bytes.

#include <filesystem>
#include <fstream>
#include <system_error>

#include "colour/MultiColorPen.h"
#include "io/ByteWriter.h"
#include "io/SafeFile.h"
#include "platform/UiServices.h"

namespace pictoform {

namespace {

uint32_t U32At(std::span<const uint8_t> bytes, size_t offset) {
    return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
           uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
}

// Both forms store a colour as its four bytes, then the two words.
PixelColor ColourAt(std::span<const uint8_t> bytes, size_t offset) {
    PixelColor colour{bytes[offset], bytes[offset + 1], bytes[offset + 2], bytes[offset + 3]};
    colour.word1 = U32At(bytes, offset + 4);
    colour.word2 = U32At(bytes, offset + 8);
    return colour;
}

void PutColour(std::vector<uint8_t>& out, const PixelColor& colour) {
    out.insert(out.end(), {colour.red, colour.green, colour.blue, colour.alpha});
    PutU32(out, colour.word1);
    PutU32(out, colour.word2);
}

std::vector<PixelColor> StopsAt(std::span<const uint8_t> bytes, size_t offset, size_t count) {
    std::vector<PixelColor> stops;
    stops.reserve(count);
    for (size_t i = 0; i < count; ++i)
        stops.push_back(ColourAt(bytes, offset + CMultiColorPen::kStopBytes * i));
    return stops;
}

// Whether `count` stops fit in the bytes after `offset`, without trusting
// the count to be small.
bool StopsFit(size_t size, size_t offset, uint64_t count) {
    return size >= offset && (size - offset) / CMultiColorPen::kStopBytes >= count;
}

} // namespace

bool CMultiColorPen::AdoptStops(std::vector<PixelColor> stops, std::string& reason) {
    if (stops.size() < 2) {
        reason = "a colour set needs at least two stops, found " + std::to_string(stops.size());
        return false;
    }
    for (size_t i = 0; i < stops.size(); ++i) {
        const float position = stops[i].StopPosition();
        if (!(position >= 0.0f && position <= 1.0f)) {
            reason = "stop " + std::to_string(i) + " has a position outside 0 to 1";
            return false;
        }
        if (i > 0 && position < stops[i - 1].StopPosition()) {
            reason = "stop " + std::to_string(i) + " lies before the stop ahead of it";
            return false;
        }
    }
    // The ends of the strip are fixed at 0 and 1; the strip cannot move them.
    if (stops.front().StopPosition() != 0.0f || stops.back().StopPosition() != 1.0f) {
        reason = "the first stop must lie at 0 and the last at 1";
        return false;
    }
    m_selected = nullptr;
    m_stops.clear();
    for (const PixelColor& stop : stops) m_stops.push_back(std::make_unique<PixelColor>(stop));
    m_firstEnd = m_stops.front().get();
    m_lastEnd = m_stops.back().get();
    return true;
}

bool CMultiColorPen::LoadStops(const std::string& path, std::string& reason) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        reason = "no preset file at " + path;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        reason = "cannot read " + path;
        return false;
    }
    std::vector<uint8_t> head(4);
    if (size < 4 || !in.read(reinterpret_cast<char*>(head.data()), 4)) {
        reason = "the file is too short for its stop count";
        return false;
    }
    const uint32_t count = U32At(head, 0);
    if (count < 2) {
        reason = "a colour set needs at least two stops, found " + std::to_string(count);
        return false;
    }
    if (!StopsFit(static_cast<size_t>(size), 4, count)) {
        reason = "the file is too short for its " + std::to_string(count) + " stops";
        return false;
    }
    std::vector<uint8_t> body(kStopBytes * count);
    if (!in.read(reinterpret_cast<char*>(body.data()), static_cast<std::streamsize>(body.size()))) {
        reason = "cannot read " + path;
        return false;
    }
    return AdoptStops(StopsAt(body, 0, count), reason);
}

CMultiColorPen::SaveResult CMultiColorPen::SaveStops(const std::string& path,
                                                     UiServices& ui) const {
    // Asked for anything already there, readable or not: the write replaces it.
    std::error_code error;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    if (existed && ui.ShowMessage("Override " + path + "?", "Pictoform", MessageIcon::Exclamation,
                                  MessageButtons::YesNo) != MessageAnswer::Yes) {
        return kSaveDeclined;
    }

    std::vector<uint8_t> bytes;
    bytes.reserve(4 + kStopBytes * m_stops.size());
    PutU32(bytes, static_cast<uint32_t>(m_stops.size()));
    for (const auto& stop : m_stops) PutColour(bytes, *stop);

    std::string reason;
    if (!WriteFileAtomically(path, bytes, reason)) {
        ui.ShowMessage("Cannot save " + path + ": " + reason + ".", "Error", MessageIcon::Error,
                       MessageButtons::Ok);
        return kSaveFailed;
    }
    return existed ? kSaveOverwritten : kSaveWritten;
}

PenState CMultiColorPen::SaveState() const {
    PenState state;
    state.reserve(StateSize());
    PutU32(state, static_cast<uint32_t>(m_gradientKind));
    PutU32(state, static_cast<uint32_t>(m_shadow));
    PutU32(state, static_cast<uint32_t>(m_stops.size()));
    PutColour(state, m_single);
    PutU32(state, static_cast<uint32_t>(m_mode));
    PutU32(state, static_cast<uint32_t>(m_reverse));
    for (const auto& stop : m_stops) PutColour(state, *stop);
    return state;
}

bool CMultiColorPen::RestoreState(std::span<const uint8_t> block) {
    std::string reason;
    if (block.size() < kStateHeaderBytes) return false;
    const uint32_t count = U32At(block, 8);
    if (count < 2 || !StopsFit(block.size(), kStateHeaderBytes, count)) return false;
    if (!AdoptStops(StopsAt(block, kStateHeaderBytes, count), reason)) return false;

    m_gradientKind = static_cast<int>(U32At(block, 0));
    m_shadow = static_cast<int>(U32At(block, 4));
    m_single = ColourAt(block, 12);
    m_mode = static_cast<int>(U32At(block, 24));
    m_reverse = static_cast<int>(U32At(block, 28));
    BuildColors();
    return true;
}

} // namespace pictoform
