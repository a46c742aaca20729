#include "icon/XcursorFile.h"

#include <X11/Xcursor/Xcursor.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "io/ByteReader.h"

namespace pictoform {

namespace {

constexpr uint32_t kImageChunk = 0xfffd0002;
constexpr size_t kFileHeaderBytes = 16;  // magic, header size, version, table entries
constexpr size_t kTableEntryBytes = 12;  // type, subtype, position
constexpr size_t kImageHeaderBytes = 36; // chunk header (16) and five fields

// libXcursor reads and writes through callbacks; these keep it in memory.
struct MemoryFile {
    std::span<const uint8_t> in;
    std::vector<uint8_t>* out = nullptr;
    size_t position = 0;
};

int Read(XcursorFile* file, unsigned char* buffer, int length) {
    auto* m = static_cast<MemoryFile*>(file->closure);
    if (length < 0 || m->position > m->in.size()) return 0;
    const size_t n = std::min(static_cast<size_t>(length), m->in.size() - m->position);
    std::memcpy(buffer, m->in.data() + m->position, n);
    m->position += n;
    return static_cast<int>(n);
}

int Write(XcursorFile* file, unsigned char* buffer, int length) {
    auto* m = static_cast<MemoryFile*>(file->closure);
    if (!m->out || length < 0) return -1;
    if (m->out->size() < m->position + static_cast<size_t>(length)) {
        m->out->resize(m->position + static_cast<size_t>(length));
    }
    std::memcpy(m->out->data() + m->position, buffer, static_cast<size_t>(length));
    m->position += static_cast<size_t>(length);
    return length;
}

int Seek(XcursorFile* file, long offset, int whence) {
    auto* m = static_cast<MemoryFile*>(file->closure);
    const size_t size = m->out ? m->out->size() : m->in.size();
    long base = 0;
    if (whence == SEEK_CUR) base = static_cast<long>(m->position);
    if (whence == SEEK_END) base = static_cast<long>(size);
    if (base + offset < 0) return -1;
    m->position = static_cast<size_t>(base + offset);
    return static_cast<int>(m->position);
}

// Where an image lies and the size its table entry gives it.
struct TableEntry {
    uint32_t position = 0;
    uint32_t size = 0;
};

// libXcursor allocates an image's pixels from its header before it reads
// them, so every image is checked against the file's size and the side
// limit first: a small file must not make it allocate gigabytes. Given a
// list, each image's header is added to it as a record without planes, and
// the pixel limit does not apply (nothing is decoded).
bool CheckLayout(std::span<const uint8_t> data, std::string& reason,
                 std::vector<IconImageRec>* listed = nullptr,
                 std::vector<TableEntry>* positions = nullptr) {
    if (!IsXcursorData(data)) {
        reason = "it is not an Xcursor file";
        return false;
    }
    ByteReader r(data);
    uint32_t magic = 0, headerBytes = 0, version = 0, entries = 0;
    if (!r.ReadU32(magic) || !r.ReadU32(headerBytes) || !r.ReadU32(version) ||
        !r.ReadU32(entries) || headerBytes < kFileHeaderBytes) {
        reason = "the file is damaged or incomplete (its header is cut short)";
        return false;
    }
    if (entries == 0) {
        reason = "the file holds no images";
        return false;
    }
    if (uint64_t{headerBytes} + uint64_t{entries} * kTableEntryBytes > data.size()) {
        reason = "the file is damaged or incomplete (its table of " + std::to_string(entries) +
                 " entries does not fit in " + std::to_string(data.size()) + " bytes)";
        return false;
    }
    size_t images = 0;
    // Entries may all point at one image, which libXcursor decodes for each.
    uint64_t pixels = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        ByteReader entry(data.subspan(headerBytes + size_t{i} * kTableEntryBytes));
        uint32_t type = 0, subtype = 0, position = 0;
        (void)entry.ReadU32(type);
        (void)entry.ReadU32(subtype);
        (void)entry.ReadU32(position);
        if (type != kImageChunk) continue;
        ++images;
        if (uint64_t{position} + kImageHeaderBytes > data.size()) {
            reason = "the file is damaged or incomplete (image " + std::to_string(images) +
                     " lies beyond its end)";
            return false;
        }
        ByteReader image(data.subspan(position + 8));
        uint32_t nominal = 0, version = 0, width = 0, height = 0, xhot = 0, yhot = 0, delay = 0;
        (void)(image.ReadU32(nominal) && image.ReadU32(version) && image.ReadU32(width) &&
               image.ReadU32(height) && image.ReadU32(xhot) && image.ReadU32(yhot) &&
               image.ReadU32(delay));
        if (width < 1 || height < 1 || width > kMaxPngSide || height > kMaxPngSide) {
            reason = "image " + std::to_string(images) + " is " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels; at most " + std::to_string(kMaxPngSide) +
                     " a side can be opened";
            return false;
        }
        if (uint64_t{position} + kImageHeaderBytes + uint64_t{width} * height * 4 > data.size()) {
            reason = "the file is damaged or incomplete (image " + std::to_string(images) +
                     " ends beyond the file)";
            return false;
        }
        if (listed) {
            IconImageRec& rec = listed->emplace_back();
            rec.width = static_cast<int32_t>(width);
            rec.height = static_cast<int32_t>(height);
            rec.hotSpot = HotSpot{static_cast<uint16_t>(std::min<uint32_t>(xhot, 65535)),
                                  static_cast<uint16_t>(std::min<uint32_t>(yhot, 65535))};
            rec.frameTime = JiffiesOfDelay(delay);
            rec.xcursor = {nominal, delay};
            if (positions) positions->push_back({position, subtype});
            continue;
        }
        pixels += uint64_t{width} * height;
        if (pixels > kMaxDecodedPixels) {
            reason = TooManyPixels();
            return false;
        }
    }
    if (images == 0) {
        reason = "the file holds no images";
        return false;
    }
    return true;
}

// libXcursor is loaded the first time an Xcursor file is read or written:
// it brings the X client libraries with it, which would add a millisecond to
// every other run of the command-line tool.
struct XcursorLibrary {
    decltype(&XcursorXcFileLoadAllImages) loadAllImages = nullptr;
    decltype(&XcursorImagesDestroy) imagesDestroy = nullptr;
    decltype(&XcursorImagesCreate) imagesCreate = nullptr;
    decltype(&XcursorImageCreate) imageCreate = nullptr;
    decltype(&XcursorCommentsCreate) commentsCreate = nullptr;
    decltype(&XcursorCommentsDestroy) commentsDestroy = nullptr;
    decltype(&XcursorXcFileSave) fileSave = nullptr;
};

const XcursorLibrary* Library(std::string& reason) {
    static const std::optional<XcursorLibrary> library = []() -> std::optional<XcursorLibrary> {
        void* handle = dlopen("libXcursor.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return std::nullopt;
        XcursorLibrary l;
        bool found = true;
        const auto take = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
            found = found && function;
        };
        take(l.loadAllImages, "XcursorXcFileLoadAllImages");
        take(l.imagesDestroy, "XcursorImagesDestroy");
        take(l.imagesCreate, "XcursorImagesCreate");
        take(l.imageCreate, "XcursorImageCreate");
        take(l.commentsCreate, "XcursorCommentsCreate");
        take(l.commentsDestroy, "XcursorCommentsDestroy");
        take(l.fileSave, "XcursorXcFileSave");
        if (!found) return std::nullopt;
        return l;
    }();
    if (!library) {
        reason = "Xcursor files need libXcursor (the libxcursor1 package), which cannot be loaded";
        return nullptr;
    }
    return &*library;
}

// Only made once the library is loaded.
struct ImagesDeleter {
    void operator()(XcursorImages* images) const {
        std::string unused;
        Library(unused)->imagesDestroy(images);
    }
};
struct CommentsDeleter {
    void operator()(XcursorComments* comments) const {
        std::string unused;
        Library(unused)->commentsDestroy(comments);
    }
};
using Images = std::unique_ptr<XcursorImages, ImagesDeleter>;

// Every image libXcursor reads from an Xcursor file in memory; null, with a
// reason, when it reads none.
Images LoadAllImages(std::span<const uint8_t> bytes, std::string& reason, const std::string& what) {
    const XcursorLibrary* library = Library(reason);
    if (!library) return nullptr;
    MemoryFile memory{bytes, nullptr, 0};
    XcursorFile file{&memory, Read, Write, Seek};
    Images loaded(library->loadAllImages(&file));
    if (!loaded || loaded->nimage < 1) {
        reason = "the file is damaged or incomplete (libXcursor could not read " + what + ")";
        return nullptr;
    }
    return loaded;
}

// One image as the icon readers give it: straight colours bottom row first.
IconImageRec RecordOfImage(const XcursorImage& image) {
    IconImageRec rec;
    rec.width = static_cast<int32_t>(image.width);
    rec.height = static_cast<int32_t>(image.height);
    rec.depth = kDepth32;
    const size_t n = rec.PixelCount();
    rec.colours.resize(n * 3);
    rec.alpha.resize(n);
    rec.mask.resize(n);
    for (size_t y = 0; y < image.height; ++y) {
        for (size_t x = 0; x < image.width; ++x) {
            // Premultiplied ARGB, top row first, into straight planes bottom row first.
            const uint32_t argb = image.pixels[y * image.width + x];
            const uint32_t a = argb >> 24;
            const size_t p = (image.height - 1 - y) * image.width + x;
            for (size_t c = 0; c < 3; ++c) {
                const uint32_t v = (argb >> (8 * c)) & 0xFF;
                rec.colours[p * 3 + c] =
                    a == 0 ? 0
                           : static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a));
            }
            rec.alpha[p] = static_cast<uint8_t>(a);
            rec.mask[p] = a != 0 ? 1 : 0;
        }
    }
    rec.hotSpot = HotSpot{static_cast<uint16_t>(std::min<uint32_t>(image.xhot, 65535)),
                          static_cast<uint16_t>(std::min<uint32_t>(image.yhot, 65535))};
    rec.frameTime = JiffiesOfDelay(image.delay);
    rec.xcursor = {image.size, image.delay};
    return rec;
}

} // namespace

bool IsXcursorData(std::span<const uint8_t> data) {
    return data.size() >= 4 && std::memcmp(data.data(), "Xcur", 4) == 0;
}

int32_t JiffiesOfDelay(uint32_t milliseconds) {
    return static_cast<int32_t>(std::max<uint64_t>(1, (uint64_t{milliseconds} * 60 + 500) / 1000));
}

uint32_t DelayOfJiffies(int32_t jiffies) {
    return static_cast<uint32_t>((int64_t{std::max(jiffies, 1)} * 1000 + 30) / 60);
}

bool ListXcursorData(std::span<const uint8_t> data, std::vector<IconImageRec>& images,
                     std::string& reason) {
    images.clear();
    if (CheckLayout(data, reason, &images)) return true;
    images.clear();
    return false;
}

bool ReadXcursorData(std::span<const uint8_t> data, std::vector<IconImageRec>& images,
                     std::string& reason) {
    images.clear();
    if (!CheckLayout(data, reason)) return false;
    const Images loaded = LoadAllImages(data, reason, "its images");
    if (!loaded) return false;
    for (int i = 0; i < loaded->nimage; ++i) images.push_back(RecordOfImage(*loaded->images[i]));
    return true;
}

bool ReadXcursorImage(std::span<const uint8_t> data, size_t index, IconImageRec& image,
                      std::string& reason) {
    std::vector<IconImageRec> listed;
    std::vector<TableEntry> positions;
    if (!CheckLayout(data, reason, &listed, &positions)) return false;
    if (index >= listed.size()) {
        reason = "the file holds " + std::to_string(listed.size()) + " images, no image " +
                 std::to_string(index);
        return false;
    }
    // libXcursor loads every image of a nominal size at once, and a table
    // may name one image many times: it is handed a file of this image alone.
    const IconImageRec& wanted = listed[index];
    const size_t at = positions[index].position;
    uint32_t chunkHeader = 0;
    (void)ByteReader(data.subspan(at)).ReadU32(chunkHeader);
    const size_t end = static_cast<size_t>(std::min<uint64_t>(
        data.size(), uint64_t{at} + std::max<uint32_t>(chunkHeader, kImageHeaderBytes) +
                         uint64_t{4} * static_cast<uint64_t>(wanted.PixelCount())));
    // The table's size for it, not the chunk's: libXcursor refuses an image
    // whose chunk disagrees with its table, and so must this read.
    const uint32_t nominal = positions[index].size;
    std::vector<uint8_t> one;
    for (const uint32_t field :
         {0x72756358u /* "Xcur" */, uint32_t{kFileHeaderBytes}, uint32_t{XCURSOR_FILE_VERSION}, 1u,
          kImageChunk, nominal, uint32_t{kFileHeaderBytes + kTableEntryBytes}}) {
        for (int shift = 0; shift < 32; shift += 8) one.push_back(uint8_t(field >> shift));
    }
    one.insert(one.end(), data.begin() + static_cast<ptrdiff_t>(at),
               data.begin() + static_cast<ptrdiff_t>(end));
    // Loading by nominal size would leak when no size is a best one (0).
    const Images loaded = LoadAllImages(one, reason, "image " + std::to_string(index));
    if (!loaded) return false;
    image = RecordOfImage(*loaded->images[0]);
    return true;
}

bool EncodeXcursor(std::span<const IconImageRec> images, std::vector<uint8_t>& out,
                   std::string& reason) {
    out.clear();
    if (images.empty()) {
        reason = "an Xcursor file needs at least one image";
        return false;
    }
    const XcursorLibrary* library = Library(reason);
    if (!library) return false;
    const Images all(library->imagesCreate(static_cast<int>(images.size())));
    if (!all) {
        reason = "there is not enough memory to write it";
        return false;
    }
    for (const IconImageRec& rec : images) {
        if (!rec.IsConsistent() || rec.width < 1 || rec.height < 1 || rec.width > 0x7fff ||
            rec.height > 0x7fff) {
            reason = "an image of " + std::to_string(rec.width) + " x " +
                     std::to_string(rec.height) + " cannot be an Xcursor image";
            return false;
        }
        XcursorImage* image = library->imageCreate(rec.width, rec.height);
        if (!image) {
            reason = "there is not enough memory to write it";
            return false;
        }
        all->images[all->nimage++] = image;
        image->size = rec.xcursor.nominalSize != 0 ? rec.xcursor.nominalSize
                                                   : static_cast<XcursorDim>(rec.width);
        const HotSpot spot = rec.hotSpot.value_or(HotSpot{});
        image->xhot = std::min<XcursorDim>(spot.x, image->width - 1);
        image->yhot = std::min<XcursorDim>(spot.y, image->height - 1);
        const int32_t time = rec.frameTime > 0 ? rec.frameTime : kNewFrameTime;
        const std::optional<uint32_t> delay = rec.xcursor.delay;
        image->delay = delay && JiffiesOfDelay(*delay) == time ? *delay : DelayOfJiffies(time);
        const bool alpha = rec.depth == kDepth32 && rec.HasAlpha();
        for (size_t y = 0; y < image->height; ++y) {
            for (size_t x = 0; x < image->width; ++x) {
                const size_t p = y * image->width + x;
                const uint32_t a = alpha ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
                uint32_t argb = a << 24;
                for (size_t c = 0; c < 3; ++c) {
                    argb |= ((uint32_t{rec.colours[p * 3 + c]} * a + 127) / 255) << (8 * c);
                }
                image->pixels[y * image->width + x] = argb;
            }
        }
    }
    MemoryFile memory{{}, &out, 0};
    XcursorFile file{&memory, Read, Write, Seek};
    // The library wants a list of comments, even an empty one.
    const std::unique_ptr<XcursorComments, CommentsDeleter> comments(library->commentsCreate(0));
    if (!comments || !library->fileSave(&file, comments.get(), all.get())) {
        out.clear();
        reason = "libXcursor could not write the images";
        return false;
    }
    return true;
}

} // namespace pictoform
