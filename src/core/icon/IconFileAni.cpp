// Animated cursors: RIFF "ACON" files whose frames are whole icon files, one
// per "icon" chunk of the frame list. The reader walks the chunks by their
// sizes and checks every size against the bytes that are there; the writer
// builds the whole file in memory before it goes to disk.

#include <algorithm>
#include <cstring>
#include <optional>

#include "icon/IconFile.h"
#include "icon/IconImageDecoder.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"
#include "io/SafeFile.h"

namespace pictoform {

namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kAnihBytes = 36;
// Header flags: the frames are icon files; a "seq " chunk gives their order.
constexpr uint32_t kFramesAreIcons = 1;
constexpr uint32_t kHasSequence = 2;

uint32_t U32At(std::span<const uint8_t> data, size_t at) {
    return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
           (static_cast<uint32_t>(data[at + 2]) << 16) |
           (static_cast<uint32_t>(data[at + 3]) << 24);
}

bool IdIs(std::span<const uint8_t> id, const char* name) {
    return std::memcmp(id.data(), name, 4) == 0;
}

std::string IdText(std::span<const uint8_t> id) {
    std::string text;
    for (uint8_t c : id) text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return text;
}

std::string EndsAt(uint64_t end, size_t size) {
    return "ends at byte " + std::to_string(end) + " of " + std::to_string(size);
}

struct Chunk {
    std::span<const uint8_t> id;
    size_t start = 0; // first byte of the body
    uint64_t end = 0; // one past the body, as the size claims
};

// The chunks that lie one after another between two offsets of the file.
class ChunkWalk {
public:
    ChunkWalk(std::span<const uint8_t> file, size_t begin, size_t end)
        : m_file(file), m_pos(begin), m_end(end) {}

    // False when no whole chunk header is left (a few stray bytes at the end
    // are not a chunk). A chunk's claimed end may lie past the walk's end;
    // the caller decides what that means.
    bool Next(Chunk& c) {
        if (m_end - m_pos < kChunkHeaderBytes) return false;
        c.id = m_file.subspan(m_pos, 4);
        c.start = m_pos + kChunkHeaderBytes;
        c.end = c.start + uint64_t{U32At(m_file, m_pos + 4)};
        if (c.end > m_end) {
            m_pos = m_end;
            return true;
        }
        m_pos = static_cast<size_t>(c.end);
        // An odd-sized chunk is followed by a zero pad byte. Some writers
        // leave it out; a non-zero byte there is taken as the next chunk.
        if (((c.end - c.start) & 1) && m_pos < m_end && m_file[m_pos] == 0) ++m_pos;
        return true;
    }

private:
    std::span<const uint8_t> m_file;
    size_t m_pos;
    size_t m_end;
};

// Decodes the first image of the icon file that one "icon" chunk holds;
// further images of that file are not frames of their own. On failure
// `reason` completes a sentence that starts "frame N ". A cursor frame's
// entry gives its hot spot.
bool DecodeFrame(std::span<const uint8_t> frame, bool headerOnly, IconImageRec& rec,
                 std::optional<HotSpot>& hotSpot, std::string& reason) {
    ByteReader r(frame);
    uint16_t reserved = 0, type = 0, count = 0, planes = 0, bits = 0;
    uint8_t w = 0, h = 0, colours = 0, entryReserved = 0;
    uint32_t bytes = 0, offset = 0;
    if (!(r.ReadU16(reserved) && r.ReadU16(type) && r.ReadU16(count) && r.ReadU8(w) &&
          r.ReadU8(h) && r.ReadU8(colours) && r.ReadU8(entryReserved) && r.ReadU16(planes) &&
          r.ReadU16(bits) && r.ReadU32(bytes) && r.ReadU32(offset))) {
        reason = "is too short for an icon header and directory entry (" +
                 std::to_string(frame.size()) + " bytes)";
        return false;
    }
    if (type != kIconType && type != kCursorType) {
        reason = "is not an icon or cursor (type " + std::to_string(type) + ")";
        return false;
    }
    if (count == 0) {
        reason = "holds no images";
        return false;
    }
    ImageEntryInfo info;
    info.width = w == 0 ? 256 : w;
    info.height = h == 0 ? 256 : h;
    info.colourCount = colours;
    info.bitCount = bits;
    // In a cursor frame these fields are the hot spot, not the depth.
    info.entryBitsCount = type == kIconType;
    if (type == kCursorType) hotSpot = HotSpot{planes, bits};
    info.declaredBytes = bytes;
    info.headerOnly = headerOnly;
    std::string why;
    if (!DecodeIconImage(frame, offset, info, rec, why)) {
        reason = "image " + why;
        return false;
    }
    rec.hotSpot = hotSpot;
    return true;
}

// The text of an INFO entry: up to its first zero byte.
std::string InfoText(std::span<const uint8_t> body) {
    const auto end = std::find(body.begin(), body.end(), uint8_t{0});
    return std::string(body.begin(), end);
}

void ReadInfoEntry(const Chunk& c, std::span<const uint8_t> body, AnimationInfo& info) {
    if (IdIs(c.id, "INAM")) info.title = InfoText(body);
    if (IdIs(c.id, "IART")) info.author = InfoText(body);
}

void PutId(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

void PatchU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

bool CIconFile::ReadAnimatedCursor(const std::string& path) {
    ClearImages();
    m_fileType = 0;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, kMaxIconFileBytes, bytes, reason)) return Fail(reason);
    return ReadAnimatedData(bytes);
}

bool CIconFile::ReadAnimatedData(std::span<const uint8_t> file) {
    ClearImages();
    m_fileType = 0;
    m_decodedPixels = 0;
    m_error.clear();
    const size_t size = file.size();
    if (size < 12 || !IdIs(file.first(4), "RIFF") || !IdIs(file.subspan(8, 4), "ACON")) {
        return Fail("not an animated cursor (no RIFF ACON header)");
    }
    auto damaged = [&](std::string reason) {
        ClearImages();
        return Damaged(std::move(reason));
    };

    // The chunks end where the RIFF chunk says; what follows it is not part
    // of the cursor (some tools leave stray bytes there). A size that does
    // not fit the file is not trusted, and a file cut short shows in the
    // sizes of the chunks it cuts.
    const uint64_t riffEnd = kChunkHeaderBytes + uint64_t{U32At(file, 4)};
    const size_t walkEnd = riffEnd >= 12 && riffEnd <= size ? static_cast<size_t>(riffEnd) : size;
    bool haveHeader = false;
    bool haveFrameList = false;
    uint32_t headerFrames = 0;
    int32_t displayRate = 0;
    std::vector<std::span<const uint8_t>> rates;
    std::optional<std::span<const uint8_t>> sequence;
    // The first cursor frame's hot spot is the loaded one, as a cursor
    // file's last image's is.
    std::optional<HotSpot> firstHotSpot;
    ChunkWalk top(file, 12, walkEnd);
    Chunk c;
    while (top.Next(c)) {
        if (IdIs(c.id, "LIST") && c.end - c.start >= 4 && c.start + 4 <= size &&
            IdIs(file.subspan(c.start, 4), "INFO")) {
            if (c.end > size) return damaged("information list " + EndsAt(c.end, size));
            ChunkWalk entries(file, c.start + 4, static_cast<size_t>(c.end));
            Chunk e;
            while (entries.Next(e)) {
                if (e.end > c.end) break; // a cut entry says nothing whole
                ReadInfoEntry(e, file.subspan(e.start, static_cast<size_t>(e.end) - e.start),
                              m_animation);
            }
            continue;
        }
        if (IdIs(c.id, "LIST") && c.end - c.start >= 4 && c.start + 4 <= size) {
            // The frame list, normally LIST "fram"; any list but "INFO" is
            // taken for it, its type not insisted on. Its frames are walked as far as the
            // bytes go, so that a file cut inside a frame names that frame.
            haveFrameList = true;
            const size_t listEnd = static_cast<size_t>(std::min<uint64_t>(c.end, size));
            ChunkWalk frames(file, c.start + 4, listEnd);
            Chunk f;
            while (frames.Next(f)) {
                const bool isFrame = IdIs(f.id, "icon");
                const std::string what = isFrame ? "frame " + std::to_string(m_images.size())
                                                 : "chunk \"" + IdText(f.id) + "\" of the frames";
                if (f.end > listEnd) {
                    if (listEnd == size) return damaged(what + " " + EndsAt(f.end, size));
                    return damaged(what + " ends at byte " + std::to_string(f.end) +
                                   ", past the end of its list at byte " + std::to_string(listEnd));
                }
                if (!isFrame) continue;
                IconImageRec rec;
                std::string reason;
                std::optional<HotSpot> frameHotSpot;
                const size_t frameBytes = static_cast<size_t>(f.end) - f.start;
                if (!DecodeFrame(file.subspan(f.start, frameBytes), !DecodesNext(), rec,
                                 frameHotSpot, reason)) {
                    return damaged(what + " " + reason);
                }
                if (!firstHotSpot) firstHotSpot = frameHotSpot;
                if (!AppendDecoded(std::move(rec))) return damaged(m_error);
            }
            if (c.end > size) return damaged("frame list " + EndsAt(c.end, size));
            continue;
        }
        if (c.end > size) return damaged("chunk \"" + IdText(c.id) + "\" " + EndsAt(c.end, size));
        const std::span<const uint8_t> body =
            file.subspan(c.start, static_cast<size_t>(c.end) - c.start);
        if (IdIs(c.id, "anih")) {
            // Sizes and depth come from the frames themselves. The frame
            // count tells a file cut before its frames from one that has
            // none; the display rate is every frame's time without a "rate".
            haveHeader = true;
            if (body.size() >= 8) headerFrames = U32At(body, 4);
            if (body.size() >= 32) displayRate = static_cast<int32_t>(U32At(body, 28));
        } else if (IdIs(c.id, "rate")) {
            rates.push_back(body);
        } else if (IdIs(c.id, "seq ")) {
            // Frames are still taken once each in file order; the order of
            // showing is kept beside them.
            sequence = body;
        } else {
            ReadInfoEntry(c, body, m_animation);
        }
    }
    if (!haveHeader) return damaged("animated cursor has no \"anih\" header chunk");
    if (!haveFrameList && headerFrames > 0) {
        return damaged("header names " + std::to_string(headerFrames) +
                       " frames but the file holds no frame list");
    }

    const int32_t defaultTime = displayRate > 0 ? displayRate : kDefaultAnimatedRate;
    for (IconImageRec& rec : m_images) rec.frameTime = defaultTime;
    if (sequence) {
        for (size_t at = 0; at + 4 <= sequence->size(); at += 4) {
            m_animation.sequence.push_back(U32At(*sequence, at));
        }
        // A sequence that names a frame the file lacks cannot be shown; the
        // frames are then shown in file order.
        if (!SequenceFits(m_animation, m_images.size())) m_animation.sequence.clear();
    }
    // Rates apply by step: a step is a frame in file order, or an entry of
    // the sequence, whose frame takes the rate of the first step that shows
    // it. Steps beyond the rates keep the default time, rates beyond the
    // steps are ignored.
    std::vector<bool> timed(m_images.size(), false);
    size_t step = 0;
    for (std::span<const uint8_t> rate : rates) {
        for (size_t at = 0; at + 4 <= rate.size(); at += 4, ++step) {
            const size_t frame = m_animation.sequence.empty() ? step
                                                              : (step < m_animation.sequence.size()
                                                                     ? m_animation.sequence[step]
                                                                     : m_images.size());
            const uint32_t value = U32At(rate, at);
            if (!m_animation.sequence.empty() && step < m_animation.sequence.size()) {
                m_animation.stepRates.resize(m_animation.sequence.size(), 0);
                m_animation.stepRates[step] = value;
            }
            if (frame >= m_images.size() || timed[frame]) continue;
            timed[frame] = true;
            m_images[frame].frameTime = static_cast<int32_t>(value);
        }
    }
    if (firstHotSpot) *m_hotSpot = *firstHotSpot;
    return true;
}

bool CIconFile::EncodeAnimatedCursor(const std::vector<IconImageRec>& images, unsigned flags,
                                     std::vector<uint8_t>& out, const AnimationInfo& info) {
    out.clear();
    if (images.empty()) return Fail("an animated cursor needs at least one frame");
    if (!SequenceFits(info, images.size())) {
        return Fail("the order of frames names a frame beyond the " +
                    std::to_string(images.size()) + " there are");
    }
    // A frame written with a hot spot is a cursor file, so that readers take
    // its entry's fields as the hot spot and not as its depth.
    const uint16_t frameType = (flags & kWriteCursor) ? kCursorType : kIconType;

    std::vector<int32_t> frameTimes;
    for (const IconImageRec& image : images) frameTimes.push_back(image.frameTime);
    std::vector<uint32_t> steps;
    std::vector<uint32_t> times;
    for (const AnimationStep& step : AnimationSteps(frameTimes, info)) {
        steps.push_back(step.frame);
        times.push_back(step.jiffies);
    }
    const bool sameTimes =
        std::all_of(times.begin(), times.end(), [&](uint32_t t) { return t == times.front(); });

    const IconImageRec& first = images.front();
    PutId(out, "RIFF");
    PutU32(out, 0); // patched when the length is known
    PutId(out, "ACON");
    if (!info.title.empty() || !info.author.empty()) {
        const size_t infoStart = out.size();
        PutId(out, "LIST");
        PutU32(out, 0); // patched below
        PutId(out, "INFO");
        const auto putText = [&](const char* id, const std::string& text) {
            if (text.empty()) return;
            PutId(out, id);
            PutU32(out, static_cast<uint32_t>(text.size() + 1));
            out.insert(out.end(), text.begin(), text.end());
            out.push_back(0);
            if (out.size() & 1) out.push_back(0);
        };
        putText("INAM", info.title);
        putText("IART", info.author);
        PatchU32(out, infoStart + 4,
                 static_cast<uint32_t>(out.size() - infoStart - kChunkHeaderBytes));
    }
    PutId(out, "anih");
    PutU32(out, kAnihBytes);
    PutU32(out, kAnihBytes);
    PutU32(out, static_cast<uint32_t>(images.size()));
    PutU32(out, static_cast<uint32_t>(steps.size()));
    PutU32(out, static_cast<uint32_t>(first.width));
    PutU32(out, static_cast<uint32_t>(first.height));
    PutU32(out, static_cast<uint32_t>(BitsPerPixelOf(first.depth)));
    PutU32(out, 1);
    PutU32(out, times.front());
    PutU32(out, kFramesAreIcons | (info.sequence.empty() ? 0 : kHasSequence));
    if (!sameTimes) {
        PutId(out, "rate");
        PutU32(out, static_cast<uint32_t>(times.size() * 4));
        for (uint32_t t : times) PutU32(out, t);
    }
    if (!info.sequence.empty()) {
        PutId(out, "seq ");
        PutU32(out, static_cast<uint32_t>(steps.size() * 4));
        for (uint32_t frame : steps) PutU32(out, frame);
    }
    const size_t listStart = out.size();
    PutId(out, "LIST");
    PutU32(out, 0); // patched as well
    PutId(out, "fram");

    std::vector<IconImageRec> one(1);
    std::vector<uint8_t> frame;
    for (size_t i = 0; i < images.size(); ++i) {
        one.front() = images[i];
        if (!EncodeImages(one, frameType, flags, frame)) {
            out.clear();
            // The encoder names the image within its own one-image file.
            const std::string frameName = "frame " + std::to_string(i);
            if (m_error.rfind("image 0 ", 0) == 0) {
                m_error = frameName + m_error.substr(7);
            } else {
                m_error = frameName + ": " + m_error;
            }
            return false;
        }
        if (out.size() + kChunkHeaderBytes + frame.size() + 1 > UINT32_MAX) {
            out.clear();
            return Fail("animated cursor would exceed 4 GiB");
        }
        PutId(out, "icon");
        PutU32(out, static_cast<uint32_t>(frame.size()));
        out.insert(out.end(), frame.begin(), frame.end());
        // Bitmap frames are always even; a compressed one may not be.
        if (frame.size() & 1) out.push_back(0);
    }
    PatchU32(out, listStart + 4, static_cast<uint32_t>(out.size() - listStart - kChunkHeaderBytes));
    PatchU32(out, 4, static_cast<uint32_t>(out.size() - kChunkHeaderBytes));
    return true;
}

bool CIconFile::WriteAnimatedCursor(const std::string& path,
                                    const std::vector<IconImageRec>& images, unsigned flags,
                                    const AnimationInfo& info) {
    std::vector<uint8_t> bytes;
    if (!EncodeAnimatedCursor(images, flags, bytes, info)) return false;
    std::string reason;
    if (!WriteFileAtomically(path, bytes, reason)) return Fail(reason);
    return true;
}

} // namespace pictoform
