#include "icon/IconFile.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "icon/XcursorFile.h"
#include "io/ByteReader.h"
#include "io/SafeFile.h"

namespace pictoform {

bool SequenceFits(const AnimationInfo& info, size_t frames) {
    return std::all_of(info.sequence.begin(), info.sequence.end(),
                       [frames](uint32_t frame) { return frame < frames; });
}

void RemoveFrame(AnimationInfo& info, uint32_t frame) {
    const bool timed = info.stepRates.size() == info.sequence.size();
    size_t kept = 0;
    for (size_t step = 0; step < info.sequence.size(); ++step) {
        const uint32_t shown = info.sequence[step];
        if (shown == frame) continue;
        info.sequence[kept] = shown > frame ? shown - 1 : shown;
        if (timed) info.stepRates[kept] = info.stepRates[step];
        ++kept;
    }
    info.sequence.resize(kept);
    if (timed) info.stepRates.resize(kept);
}

void SwapFrames(AnimationInfo& info, uint32_t a, uint32_t b) {
    for (uint32_t& shown : info.sequence) {
        if (shown == a) {
            shown = b;
        } else if (shown == b) {
            shown = a;
        }
    }
}

void AppendFrame(AnimationInfo& info, uint32_t frame) {
    if (info.sequence.empty()) return; // frames in order show it already
    if (info.stepRates.size() == info.sequence.size()) info.stepRates.push_back(0);
    info.sequence.push_back(frame);
}

bool IsAnimatedCursorData(std::span<const uint8_t> data) {
    return data.size() >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
           std::memcmp(data.data() + 8, "ACON", 4) == 0;
}

CIconFile::CIconFile() : m_hotSpot(&m_ownHotSpot) {}

CIconFile::CIconFile(HotSpot& loadedHotSpot) : m_hotSpot(&loadedHotSpot) {}

bool CIconFile::Fail(std::string reason) {
    m_error = std::move(reason);
    m_damaged = false;
    return false;
}

bool CIconFile::Damaged(std::string reason) {
    (void)Fail(std::move(reason));
    m_damaged = true;
    return false;
}

void CIconFile::ClearImages() {
    m_images.clear();
    m_animation = {};
    m_xcursor = false;
    m_position = 0;
    m_hasCurrent = false;
    m_current = 0;
}

std::vector<IconImageRec> CIconFile::TakeImages() {
    std::vector<IconImageRec> images = std::move(m_images);
    ClearImages();
    return images;
}

bool CIconFile::First() {
    if (m_images.empty()) return false;
    m_current = 0;
    m_position = 0;
    m_hasCurrent = true;
    return true;
}

bool CIconFile::Next() {
    if (m_position >= m_images.size()) {
        m_hasCurrent = false;
        return false;
    }
    m_current = m_position++;
    m_hasCurrent = true;
    return true;
}

const IconImageRec* CIconFile::Current() const {
    return m_hasCurrent && m_current < m_images.size() ? &m_images[m_current] : nullptr;
}

bool CIconFile::ReadIconFile(const std::string& path) {
    ClearImages();
    m_fileType = 0;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadWholeFile(path, kMaxIconFileBytes, bytes, reason)) return Fail(reason);
    return ReadIconData(bytes);
}

bool CIconFile::DecodingOnly(size_t image, const std::function<bool()>& read) {
    m_decodeOnly = image;
    bool done = read();
    m_decodeOnly.reset();
    if (done && image != kNoImage && image >= m_images.size()) {
        done = Fail("the file holds " + std::to_string(m_images.size()) + " images, no image " +
                    std::to_string(image));
        ClearImages();
    }
    return done;
}

bool CIconFile::ListIconFile(const std::string& path) {
    return DecodingOnly(kNoImage, [&] { return ReadIconFile(path); });
}

bool CIconFile::ListIconData(std::span<const uint8_t> data) {
    return DecodingOnly(kNoImage, [&] { return ReadIconData(data); });
}

bool CIconFile::ListModuleIconData(std::span<const uint8_t> module, int index) {
    return DecodingOnly(kNoImage, [&] { return LoadModuleIconData(module, index); });
}

bool CIconFile::ReadIconImage(std::span<const uint8_t> data, size_t index) {
    return DecodingOnly(index, [&] { return ReadIconData(data); });
}

bool CIconFile::LoadModuleIconImage(std::span<const uint8_t> module, int index, size_t image) {
    return DecodingOnly(image, [&] { return LoadModuleIconData(module, index); });
}

bool CIconFile::DecodesNext() const {
    return !m_decodeOnly || *m_decodeOnly == m_images.size();
}

bool CIconFile::WriteIconFile(const std::string& path, const std::vector<IconImageRec>& images,
                              unsigned flags) {
    std::vector<uint8_t> bytes;
    if (!EncodeIconFile(images, flags, bytes)) return false;
    std::string reason;
    if (!WriteFileAtomically(path, bytes, reason)) return Fail(reason);
    return true;
}

std::vector<IconImageRec> FramesByStep(std::span<const IconImageRec> frames,
                                       const AnimationInfo& info) {
    std::vector<int32_t> times;
    for (const IconImageRec& rec : frames) times.push_back(rec.frameTime);
    std::vector<IconImageRec> steps;
    for (const AnimationStep& step : AnimationSteps(times, info)) {
        steps.push_back(frames[step.frame]);
        steps.back().frameTime = static_cast<int32_t>(step.jiffies);
    }
    return steps;
}

bool CIconFile::WriteXcursorFile(const std::string& path, const std::vector<IconImageRec>& images,
                                 const AnimationInfo& info) {
    const std::vector<IconImageRec> steps = FramesByStep(images, info);
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!EncodeXcursor(steps, bytes, reason) || !WriteFileAtomically(path, bytes, reason)) {
        return Fail(reason);
    }
    return true;
}

bool CIconFile::WriteSingleImageFile(const std::string& path, int32_t width, int32_t height,
                                     std::span<const uint8_t> colours,
                                     std::span<const uint8_t> mask, int32_t depth,
                                     std::span<const uint8_t> alpha, unsigned flags) {
    std::vector<IconImageRec> one(1);
    IconImageRec& rec = one.front();
    rec.width = width;
    rec.height = height;
    rec.depth = depth;
    rec.colours.assign(colours.begin(), colours.end());
    rec.mask.assign(mask.begin(), mask.end());
    rec.alpha.assign(alpha.begin(), alpha.end());
    std::vector<uint8_t> bytes;
    // A single-image file is always of the icon type, whatever the flags.
    if (!EncodeImages(one, kIconType, flags, bytes)) return false;
    std::string reason;
    if (!WriteFileAtomically(path, bytes, reason)) return Fail(reason);
    return true;
}

bool CIconFile::EncodeIconFile(const std::vector<IconImageRec>& images, unsigned flags,
                               std::vector<uint8_t>& out) {
    return EncodeImages(images, (flags & kWriteCursor) ? kCursorType : kIconType, flags, out);
}

std::vector<AnimationStep> AnimationSteps(std::span<const int32_t> frameTimes,
                                          const AnimationInfo& info) {
    const bool ordered = !info.sequence.empty() && SequenceFits(info, frameTimes.size());
    std::vector<uint32_t> order = ordered ? info.sequence : std::vector<uint32_t>{};
    if (!ordered) {
        for (size_t i = 0; i < frameTimes.size(); ++i) order.push_back(static_cast<uint32_t>(i));
    }
    // A step keeps the time the file gave it while its frame keeps the time
    // it was read with (that of its first step); a frame given a new time
    // shows for it at every step.
    const bool stepsTimed = ordered && info.stepRates.size() == order.size();
    std::vector<int64_t> firstRate(frameTimes.size(), -1);
    if (stepsTimed) {
        for (size_t k = 0; k < order.size(); ++k) {
            if (firstRate[order[k]] < 0) firstRate[order[k]] = info.stepRates[k];
        }
    }
    std::vector<AnimationStep> steps;
    for (size_t k = 0; k < order.size(); ++k) {
        const int32_t time = frameTimes[order[k]];
        const bool asRead = stepsTimed && info.stepRates[k] != 0 && time == firstRate[order[k]];
        // A frame that never had a time is shown as a new frame is.
        steps.push_back({order[k], asRead
                                       ? info.stepRates[k]
                                       : static_cast<uint32_t>(time > 0 ? time : kNewFrameTime)});
    }
    return steps;
}

} // namespace pictoform
