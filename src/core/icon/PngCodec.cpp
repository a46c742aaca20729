#include "icon/PngCodec.h"

#include <png.h>

#include <cstring>

namespace pictoform {

bool HasPngSignature(std::span<const uint8_t> data) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return data.size() >= 8 && std::memcmp(data.data(), kSignature, 8) == 0;
}

bool DecodePng(std::span<const uint8_t> data, int32_t maxSide, PngPixels& out,
               std::string& reason) {
    out = PngPixels{};
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
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        reason = std::string("damaged PNG data (") + image.message + ")";
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    out.bgra = std::move(pixels);
    return true;
}

bool EncodePng(const PngPixels& pixels, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.bgra.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) {
        reason = "no pixels to encode";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.width);
    image.height = static_cast<png_uint_32>(pixels.height);
    image.format = PNG_FORMAT_BGRA;
    // Encode once into a buffer of the largest size the PNG can take; asking
    // libpng for the exact size first would compress everything twice.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.bgra.data(), 0, nullptr)) {
        reason = std::string("cannot encode PNG: ") + image.message;
        out.clear();
        return false;
    }
    out.resize(size);
    // The buffer was sized for the worst case; a file of many pictures that
    // compress well must not keep that room for each.
    out.shrink_to_fit();
    return true;
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
        for (size_t x = 0; x < w; ++x, src += 4) {
            const size_t p = y * w + x;
            std::memcpy(&rec.colours[p * 3], src, 3);
            rec.alpha[p] = src[3];
            rec.mask[p] = src[3] != 0 ? 1 : 0;
        }
    }
    return rec;
}

PngPixels PngFromPlanes(int32_t width, int32_t height, std::span<const uint8_t> colours,
                        std::span<const uint8_t> alpha, std::span<const uint8_t> mask) {
    PngPixels png;
    png.width = width;
    png.height = height;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    png.bgra.resize(n * 4);
    for (size_t p = 0; p < n; ++p) {
        std::memcpy(&png.bgra[p * 4], &colours[p * 3], 3);
        png.bgra[p * 4 + 3] = !alpha.empty() ? alpha[p] : (mask[p] ? 255 : 0);
    }
    return png;
}

} // namespace pictoform
