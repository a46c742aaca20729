#include "icon/PngCodec.h"

#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "image/PixelRows.h"

namespace pictoform {

bool HasPngSignature(std::span<const uint8_t> data) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return data.size() >= 8 && std::memcmp(data.data(), kSignature, 8) == 0;
}

uint32_t PngNumber(std::span<const uint8_t> data, size_t at) {
    return uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 |
           data[at + 3];
}

size_t PngLength(std::span<const uint8_t> data) {
    if (!HasPngSignature(data)) return 0;
    for (size_t at = 8; data.size() - at >= 12;) {
        const uint32_t length = PngNumber(data, at);
        if (length > data.size() - at - 12) return 0;
        const bool last = std::memcmp(data.data() + at + 4, "IEND", 4) == 0;
        at += 12 + size_t{length};
        if (last) return at;
    }
    return 0;
}

namespace {

// Reads a PNG into `pixels` in libpng's `format`; sides above maxSide are
// refused before anything is allocated.
bool DecodeAs(std::span<const uint8_t> data, int32_t maxSide, uint32_t format, int32_t& width,
              int32_t& height, std::vector<uint8_t>& pixels, std::string& reason) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
        reason = std::string("damaged PNG data (") + image.message + ")";
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > static_cast<uint32_t>(maxSide) ||
        image.height > static_cast<uint32_t>(maxSide)) {
        reason = "a PNG of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                 " pixels, larger than " + std::to_string(maxSide) + " a side";
        png_image_free(&image);
        return false;
    }
    image.format = format;
    std::vector<uint8_t> read(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, read.data(), 0, nullptr)) {
        reason = std::string("damaged PNG data (") + image.message + ")";
        png_image_free(&image);
        return false;
    }
    width = static_cast<int32_t>(image.width);
    height = static_cast<int32_t>(image.height);
    pixels = std::move(read);
    return true;
}

} // namespace

bool DecodePng(std::span<const uint8_t> data, int32_t maxSide, PngPixels& out,
               std::string& reason) {
    out = PngPixels{};
    return DecodeAs(data, maxSide, PNG_FORMAT_BGRA, out.width, out.height, out.bgra, reason);
}

bool DecodeGreyPng(std::span<const uint8_t> data, int32_t maxSide, GreyPixels& out,
                   std::string& reason) {
    out = GreyPixels{};
    return DecodeAs(data, maxSide, PNG_FORMAT_GRAY, out.width, out.height, out.grey, reason);
}

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], std::span<const uint8_t> data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, libdeflate_crc32(0, out.data() + start, data.size() + 4));
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// Encodes `height` rows of `width` pixels of `channels` bytes each, 8 bits a
// channel, of PNG colour type `colourType`; fill(y, row) gives row y in PNG
// order. Every row is filtered the way that scores least, then compressed at
// level 6: as small as libpng's default output, in a third of the time.
template <typename Fill>
bool EncodeRows(int32_t width, int32_t height, size_t channels, uint8_t colourType, Fill fill,
                std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    const size_t row = static_cast<size_t>(width) * channels;
    const size_t rows = static_cast<size_t>(height);
    // Every byte is written below, so none is cleared first.
    const size_t filteredSize = (row + 1) * rows;
    const std::unique_ptr<uint8_t[]> filtered(new uint8_t[filteredSize]);
    std::vector<uint8_t> lines(row * 7);
    uint8_t* prev = lines.data();
    uint8_t* cur = prev + row;
    // The five filtered rows follow the row above and the row itself.
    PngFilterRowArgs filter{nullptr, nullptr, channels, row, {}};
    for (size_t f = 0; f < 5; ++f) filter.out[f] = cur + (f + 1) * row;
    std::memset(prev, 0, row);
    for (size_t y = 0; y < rows; ++y) {
        fill(y, cur);
        filter.cur = cur;
        filter.prev = prev;
        uint32_t score[5];
        FilterPngRow(filter, score);
        const size_t best = static_cast<size_t>(std::min_element(score, score + 5) - score);
        uint8_t* line = filtered.get() + y * (row + 1);
        line[0] = static_cast<uint8_t>(best);
        std::memcpy(line + 1, filter.out[best], row);
        std::swap(prev, cur);
    }
    // Kept for the next picture; made again after a failure to make it.
    thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor;
    if (!compressor) compressor.reset(libdeflate_alloc_compressor(6));
    if (!compressor) {
        reason = "there is not enough memory to encode a PNG";
        return false;
    }
    // Room for the worst case, left unfilled: the compressed bytes are
    // usually a small part of it, and only the pages written are touched.
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
    const std::unique_ptr<uint8_t[]> room(new uint8_t[bound]);
    const std::span<const uint8_t> idat(room.get(),
                                        libdeflate_zlib_compress(compressor.get(), filtered.get(),
                                                                 filteredSize, room.get(), bound));
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (24 - 8 * i));
    }
    header[8] = 8; // bits per channel
    header[9] = colourType;
    out.reserve(8 + 25 + 12 + idat.size() + 12);
    out.assign({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'});
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return true;
}

} // namespace

bool EncodePng(const PngPixels& pixels, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.bgra.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) {
        reason = "no pixels to encode";
        return false;
    }
    const size_t row = static_cast<size_t>(pixels.width) * 4;
    const auto fill = [&](size_t y, uint8_t* rgba) {
        const uint8_t* bgra = pixels.bgra.data() + y * row;
        for (size_t i = 0; i < row; i += 4) {
            rgba[i] = bgra[i + 2];
            rgba[i + 1] = bgra[i + 1];
            rgba[i + 2] = bgra[i];
            rgba[i + 3] = bgra[i + 3];
        }
    };
    return EncodeRows(pixels.width, pixels.height, 4, 6, fill, out, reason);
}

bool EncodeRgbaRows(int32_t width, int32_t height,
                    const std::function<void(size_t y, uint8_t* rgba)>& fill,
                    std::vector<uint8_t>& out, std::string& reason) {
    if (width <= 0 || height <= 0) {
        reason = "no pixels to encode";
        return false;
    }
    return EncodeRows(width, height, 4, 6, fill, out, reason);
}

bool EncodeGreyPng(int32_t width, int32_t height, const uint8_t* grey, size_t stride,
                   std::vector<uint8_t>& out, std::string& reason) {
    if (width <= 0 || height <= 0) {
        reason = "no pixels to encode";
        return false;
    }
    const auto fill = [&](size_t y, uint8_t* row) {
        std::memcpy(row, grey + y * stride, static_cast<size_t>(width));
    };
    return EncodeRows(width, height, 1, 0, fill, out, reason);
}

IconImageRec RecordFromPng(const PngPixels& png, bool bottomRowFirst) {
    IconImageRec rec;
    rec.width = png.width;
    rec.height = png.height;
    rec.depth = kDepth32;
    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    const size_t n = rec.PixelCount();
    rec.colours.resize(n * 3);
    rec.alpha.resize(n);
    rec.mask.resize(n);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* src = png.bgra.data() + (bottomRowFirst ? h - 1 - y : y) * w * 4;
        SplitBgraRow(src, rec.colours.data() + y * w * 3, rec.alpha.data() + y * w, w);
    }
    for (size_t p = 0; p < n; ++p) rec.mask[p] = rec.alpha[p] != 0 ? 1 : 0;
    return rec;
}

bool EncodePlanesPng(int32_t width, int32_t height, std::span<const uint8_t> colours,
                     std::span<const uint8_t> alpha, std::span<const uint8_t> mask,
                     std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t n = w * (height > 0 ? static_cast<size_t>(height) : 0);
    if (n == 0 || colours.size() < 3 * n || (alpha.empty() ? mask.size() : alpha.size()) < n) {
        reason = "no pixels to encode";
        return false;
    }
    // Each row straight from the planes: no picture in between. Without
    // alpha, the mask gives it.
    std::vector<uint8_t> maskAlpha(alpha.empty() ? w : 0);
    const auto fill = [&](size_t y, uint8_t* rgba) {
        const uint8_t* a = alpha.empty() ? maskAlpha.data() : alpha.data() + w * y;
        if (alpha.empty()) {
            const uint8_t* m = mask.data() + w * y;
            for (size_t x = 0; x < w; ++x) maskAlpha[x] = m[x] ? 255 : 0;
        }
        JoinRgbaRow(colours.data() + 3 * w * y, a, rgba, w);
    };
    return EncodeRows(width, height, 4, 6, fill, out, reason);
}

} // namespace pictoform
