#pragma once
// The icon file engine: reads icon and cursor files into a list of decoded
// images and writes such lists back.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "io/Limits.h"

namespace pictoform {

// What an animated cursor holds beside its frames.
struct AnimationInfo {
    // The frames' order of showing ("seq "), as frame indices; empty when the
    // frames are shown once each in file order.
    std::vector<uint32_t> sequence;
    // The "INAM" and "IART" texts of the INFO list.
    std::string title;
    std::string author;
    // With a sequence, the time of each step as the file gave it (a frame
    // shown twice may be shown for two times); 0 where a step takes its
    // frame's time. Empty when the file gave none.
    std::vector<uint32_t> stepRates;
    friend bool operator==(const AnimationInfo&, const AnimationInfo&) = default;
};

// Whether every step of the order names one of `frames` frames.
[[nodiscard]] bool SequenceFits(const AnimationInfo& info, size_t frames);
// Keep the order of frames true while the frames change: a removed frame
// leaves every step that showed it, two frames that trade places trade
// them in the order too, and a frame added at the end is shown last.
void RemoveFrame(AnimationInfo& info, uint32_t frame);
void SwapFrames(AnimationInfo& info, uint32_t a, uint32_t b);
void AppendFrame(AnimationInfo& info, uint32_t frame);

struct AnimationStep {
    uint32_t frame = 0;
    uint32_t jiffies = 0; // sixtieths of a second
};
// What an animated cursor shows, step by step: its order of frames (every
// frame once when it has none, or one that no longer fits), each for its
// frame's time, or the time the file gave that step while the frame's time
// is as it was read.
[[nodiscard]] std::vector<AnimationStep> AnimationSteps(std::span<const int32_t> frameTimes,
                                                        const AnimationInfo& info);

// The frames as an animated cursor shows them, one record per step, each
// with its step's time (for formats that have no order of frames).
[[nodiscard]] std::vector<IconImageRec> FramesByStep(std::span<const IconImageRec> frames,
                                                     const AnimationInfo& info);

// One image of an icon or cursor file as it goes into the file: its directory
// entry's fields (width and height as the one-byte entry holds them, 0 for
// 256 and more) and its bytes.
struct DirectoryImage {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t colourCount = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    std::vector<uint8_t> bytes;
};
// The file of these images (type 1 icon, 2 cursor), each image's bytes let go
// once copied. False, with the reason, when the file would pass 4 GiB.
[[nodiscard]] bool AssembleIconFile(uint16_t type, std::vector<DirectoryImage>& images,
                                    std::vector<uint8_t>& out, std::string& reason);

// An animated cursor is a RIFF file of form "ACON", whatever its name.
[[nodiscard]] bool IsAnimatedCursorData(std::span<const uint8_t> data);

enum IconWriteFlags : unsigned {
    kWriteCursor = 1u << 0,
};

enum IconFileType : uint16_t { kIconType = 1, kCursorType = 2 };

class CIconFile {
public:
    // With no hot spot given, the engine keeps its own.
    CIconFile();
    explicit CIconFile(HotSpot& loadedHotSpot);
    CIconFile(const CIconFile&) = delete;
    CIconFile& operator=(const CIconFile&) = delete;

    // Reads an icon or cursor file. On failure the list is empty and
    // LastError() says why.
    [[nodiscard]] bool ReadIconFile(const std::string& path);
    // The same for bytes already in memory.
    [[nodiscard]] bool ReadIconData(std::span<const uint8_t> data);
    // Lists the images of any file ReadIconData reads, each with its size,
    // depth, storage, hot spot and time, without decoding them: the records'
    // planes are empty. Nothing is held for their pixels, so no pixel limit
    // applies; a file whose images cannot be located is refused as by
    // ReadIconData.
    [[nodiscard]] bool ListIconFile(const std::string& path);
    [[nodiscard]] bool ListIconData(std::span<const uint8_t> data);
    // Lists the images as ListIconData does and decodes image `index` of the
    // list alone, so that taking one image of a large file costs that image.
    [[nodiscard]] bool ReadIconImage(std::span<const uint8_t> data, size_t index);

    // Animated cursors (RIFF "ACON" files): one record per frame, in file
    // order, each with its display time in sixtieths of a second. The icon
    // readers hand such files over to these.
    [[nodiscard]] bool ReadAnimatedCursor(const std::string& path);
    [[nodiscard]] bool ReadAnimatedData(std::span<const uint8_t> data);
    // Writes the images (top row first) as the frames of an animated cursor,
    // each shown for its frame time, with the order and names of `info`.
    [[nodiscard]] bool WriteAnimatedCursor(const std::string& path,
                                           const std::vector<IconImageRec>& images, unsigned flags,
                                           const AnimationInfo& info = {});
    [[nodiscard]] bool EncodeAnimatedCursor(const std::vector<IconImageRec>& images, unsigned flags,
                                            std::vector<uint8_t>& out,
                                            const AnimationInfo& info = {});

    // Writes the images (top row first) as an Xcursor file, step by step as
    // an animated cursor would show them: an order of frames repeats frames,
    // each image takes its step's time.
    [[nodiscard]] bool WriteXcursorFile(const std::string& path,
                                        const std::vector<IconImageRec>& images,
                                        const AnimationInfo& info = {});

    // Reads every image of icon group `index` of a program or library, the
    // groups counted in the order ListModuleIconGroups gives them. No code of
    // the module runs.
    [[nodiscard]] bool LoadModuleIcon(const std::string& path, int index);
    [[nodiscard]] bool LoadModuleIconData(std::span<const uint8_t> module, int index);
    // The same listed, as ListIconData lists a file.
    [[nodiscard]] bool ListModuleIconData(std::span<const uint8_t> module, int index);
    // The same, with image `image` of the group decoded and the others listed.
    [[nodiscard]] bool LoadModuleIconImage(std::span<const uint8_t> module, int index,
                                           size_t image);

    [[nodiscard]] bool First();
    [[nodiscard]] bool Next();
    void ClearImages();

    [[nodiscard]] bool WriteIconFile(const std::string& path,
                                     const std::vector<IconImageRec>& images, unsigned flags);
    // One image given by its planes (top row first), written as a one-image
    // icon file whose image lies at offset 22.
    [[nodiscard]] bool WriteSingleImageFile(const std::string& path, int32_t width, int32_t height,
                                            std::span<const uint8_t> colours,
                                            std::span<const uint8_t> mask, int32_t depth,
                                            std::span<const uint8_t> alpha, unsigned flags);

    // The bytes that WriteIconFile would write; false when a record is unusable.
    [[nodiscard]] bool EncodeIconFile(const std::vector<IconImageRec>& images, unsigned flags,
                                      std::vector<uint8_t>& out);

    // The record that First or Next made current, or null.
    [[nodiscard]] const IconImageRec* Current() const;
    [[nodiscard]] const std::vector<IconImageRec>& Images() const { return m_images; }
    // Hands the whole list to the caller, leaving the engine empty.
    [[nodiscard]] std::vector<IconImageRec> TakeImages();
    // What the animated cursor last read says beyond its frames.
    [[nodiscard]] const AnimationInfo& Animation() const { return m_animation; }
    // Type of the file last read (icon or cursor); 0 before a successful read.
    [[nodiscard]] uint16_t FileType() const { return m_fileType; }
    // Whether the file last read was an Xcursor file (its images are cursors).
    [[nodiscard]] bool IsXcursor() const { return m_xcursor; }

    [[nodiscard]] HotSpot& LoadedHotSpot() { return *m_hotSpot; }
    [[nodiscard]] const std::string& LastError() const { return m_error; }
    // Whether the last failure was a file of the right kind that is damaged
    // or cut short, as opposed to one that cannot be read or is of another kind.
    [[nodiscard]] bool LastErrorIsDamage() const { return m_damaged; }

private:
    bool Fail(std::string reason);
    bool Damaged(std::string reason);
    bool DecodeEntry(std::span<const uint8_t> file, size_t index, uint64_t nextImage);
    bool AppendDecoded(IconImageRec&& rec);
    // Runs a read that lists every image and decodes image `image` of the
    // list alone (none for kNoImage).
    static constexpr size_t kNoImage = SIZE_MAX;
    bool DecodingOnly(size_t image, const std::function<bool()>& read);
    // Whether the image that comes next in the list is decoded or only listed.
    [[nodiscard]] bool DecodesNext() const;
    bool EncodeImages(const std::vector<IconImageRec>& images, uint16_t type, unsigned flags,
                      std::vector<uint8_t>& out);

    HotSpot m_ownHotSpot;
    HotSpot* m_hotSpot;
    std::vector<IconImageRec> m_images;
    AnimationInfo m_animation;
    size_t m_position = 0;
    bool m_hasCurrent = false;
    size_t m_current = 0;
    uint16_t m_fileType = 0;
    bool m_xcursor = false;
    // When set, images are located and described, and only this one of the
    // list is decoded.
    std::optional<size_t> m_decodeOnly;
    size_t m_decodedPixels = 0;
    std::string m_error;
    bool m_damaged = false;
};

} // namespace pictoform
