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
    return true;
}

} // namespace pictoform
