// Writing icon and cursor files: the whole file is built in memory and only
// then put on disk, so a failure never leaves half a file behind.

#include <algorithm>
#include <cstring>

#include "icon/ColorReduction.h"
#include "icon/IconFile.h"
#include "icon/PngCodec.h"
#include "io/ByteWriter.h"

namespace pictoform {

namespace {

// The colour plane with transparent pixels blanked to black, and an alpha
// plane for depth 32 (derived from the mask when the record has none).
struct PreparedPlanes {
    std::vector<uint8_t> colours;
    std::vector<uint8_t> alpha;
};

PreparedPlanes Prepare(const IconImageRec& rec) {
    PreparedPlanes p;
    p.colours = rec.colours;
    const size_t n = rec.PixelCount();
    if (rec.depth == kDepth32) {
        if (rec.HasAlpha()) {
            p.alpha = rec.alpha;
        } else {
            p.alpha.resize(n);
            for (size_t i = 0; i < n; ++i) p.alpha[i] = rec.mask[i] ? 255 : 0;
        }
    }
    // Transparent pixels are stored black. At 32 bits alpha says what is
    // transparent: other writers mask pixels that are merely faint, and
    // blanking those by the mask would turn them black.
    for (size_t i = 0; i < n; ++i) {
        const bool transparent = rec.depth == kDepth32 ? p.alpha[i] == 0 : rec.mask[i] == 0;
        if (transparent) std::memset(&p.colours[i * 3], 0, 3);
    }
    return p;
}

bool EncodePngImage(const IconImageRec& rec, const PreparedPlanes& planes, DirectoryImage& out,
                    std::string& reason) {
    out.colourCount = 0;
    out.bitCount = 32;
    return EncodePlanesPng(rec.width, rec.height, planes.colours, planes.alpha, {}, out.bytes,
                           reason);
}

bool EncodeBitmapImage(const IconImageRec& rec, const PreparedPlanes& planes, DirectoryImage& out,
                       std::string& reason) {
    const int bits = BitsPerPixelOf(rec.depth);
    const int entries = PaletteEntriesOf(rec.depth);
    const size_t w = static_cast<size_t>(rec.width);
    const size_t h = static_cast<size_t>(rec.height);
    const size_t stride = static_cast<size_t>(RowStride(rec.width, bits));
    const size_t maskStride = static_cast<size_t>(RowStride(rec.width, 1));

    out.colourCount = static_cast<uint8_t>(entries == 256 ? 0 : entries);
    out.bitCount = static_cast<uint16_t>(bits);
    std::vector<uint8_t>& b = out.bytes;
    b.reserve(40 + static_cast<size_t>(entries) * 4 + (stride + maskStride) * h);
    PutU32(b, 40);
    PutU32(b, static_cast<uint32_t>(rec.width));
    PutU32(b, static_cast<uint32_t>(rec.height * 2));
    PutU16(b, 1);
    PutU16(b, static_cast<uint32_t>(bits));
    PutU32(b, 0);
    PutU32(b, static_cast<uint32_t>(stride * h));
    for (int i = 0; i < 4; ++i) PutU32(b, 0);

    // Rows go bottom row first; the record's rows run top row first.
    auto recordRow = [&](size_t fileRow) { return h - 1 - fileRow; };
    if (entries > 0) {
        PaletteImage reduced;
        if (!ReduceForDepth(planes.colours, rec.mask, rec.depth, reduced)) {
            reason = "colour reduction failed";
            return false;
        }
        b.insert(b.end(), reduced.palette.begin(), reduced.palette.end());
        std::vector<uint8_t> row(stride);
        for (size_t fy = 0; fy < h; ++fy) {
            std::fill(row.begin(), row.end(), 0);
            const size_t y = recordRow(fy);
            for (size_t x = 0; x < w; ++x) SetPackedIndex(row, x, bits, reduced.indices[y * w + x]);
            b.insert(b.end(), row.begin(), row.end());
        }
    } else if (rec.depth == kDepth24) {
        for (size_t fy = 0; fy < h; ++fy) {
            const uint8_t* src = &planes.colours[recordRow(fy) * w * 3];
            b.insert(b.end(), src, src + w * 3);
            b.insert(b.end(), stride - w * 3, 0);
        }
    } else {
        for (size_t fy = 0; fy < h; ++fy) {
            const size_t y = recordRow(fy);
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* src = &planes.colours[(y * w + x) * 3];
                b.insert(b.end(), src, src + 3);
                b.push_back(planes.alpha[y * w + x]);
            }
        }
    }

    std::vector<uint8_t> maskRow(maskStride);
    for (size_t fy = 0; fy < h; ++fy) {
        std::fill(maskRow.begin(), maskRow.end(), 0);
        const size_t y = recordRow(fy);
        for (size_t x = 0; x < w; ++x) {
            const size_t p = y * w + x;
            const bool transparent =
                rec.depth == kDepth32 ? planes.alpha[p] == 0 : rec.mask[p] == 0;
            if (transparent) SetPackedIndex(maskRow, x, 1, 1);
        }
        b.insert(b.end(), maskRow.begin(), maskRow.end());
    }
    return true;
}

std::string Unusable(size_t index, const std::string& why) {
    return "image " + std::to_string(index) + " cannot be written: " + why;
}

} // namespace

bool CIconFile::EncodeImages(const std::vector<IconImageRec>& images, uint16_t type, unsigned flags,
                             std::vector<uint8_t>& out) {
    out.clear();
    if (images.size() > 0xFFFF) return Fail("an icon file holds at most 65535 images");
    std::vector<DirectoryImage> encoded(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImageRec& rec = images[i];
        if (!IsValidDepthCode(rec.depth)) {
            return Fail(Unusable(i, "depth " + std::to_string(rec.depth) +
                                        " is not 2, 4, 16, "
                                        "256, 24 or 32"));
        }
        // Only 32-bit images are compressed, those whose records ask for it.
        const bool png = rec.depth == kDepth32 && rec.png;
        const int32_t maxSide = png ? kMaxPngSide : 256;
        if (rec.width < 1 || rec.height < 1 || rec.width > maxSide || rec.height > maxSide) {
            return Fail(Unusable(i, "size " + std::to_string(rec.width) + " x " +
                                        std::to_string(rec.height) + " is not 1 to " +
                                        std::to_string(maxSide) + " a side"));
        }
        if (!rec.IsConsistent()) return Fail(Unusable(i, "its planes do not match its size"));

        std::string reason;
        if (png && !rec.storedPng.empty()) {
            // A compressed image read and left alone is handed on as it came:
            // the same bytes, and no time spent compressing them again.
            encoded[i].bitCount = 32;
            encoded[i].bytes = rec.storedPng;
        } else {
            const PreparedPlanes planes = Prepare(rec);
            const bool ok = png ? EncodePngImage(rec, planes, encoded[i], reason)
                                : EncodeBitmapImage(rec, planes, encoded[i], reason);
            if (!ok) return Fail(Unusable(i, reason));
        }
        if ((flags & kWriteCursor)) {
            // A hot spot outside the image is pulled onto its last column or row.
            const HotSpot spot = rec.hotSpot.value_or(*m_hotSpot);
            encoded[i].planes = std::min<uint16_t>(spot.x, static_cast<uint16_t>(rec.width - 1));
            encoded[i].bitCount = std::min<uint16_t>(spot.y, static_cast<uint16_t>(rec.height - 1));
        }
    }

    for (size_t i = 0; i < images.size(); ++i) {
        // 0 stands for 256, and for larger compressed images, whose own
        // header gives their size.
        encoded[i].width = static_cast<uint8_t>(images[i].width < 256 ? images[i].width : 0);
        encoded[i].height = static_cast<uint8_t>(images[i].height < 256 ? images[i].height : 0);
    }
    std::string reason;
    return AssembleIconFile(type, encoded, out, reason) || Fail(reason);
}

bool AssembleIconFile(uint16_t type, std::vector<DirectoryImage>& images, std::vector<uint8_t>& out,
                      std::string& reason) {
    out.clear();
    size_t total = 6 + 16 * images.size();
    for (const DirectoryImage& e : images) total += e.bytes.size();
    // The file is made in place, each image's bytes let go once copied: a
    // file of many large images is held once, not two or three times.
    out.reserve(total);
    PutU16(out, 0);
    PutU16(out, type);
    PutU16(out, static_cast<uint32_t>(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (const DirectoryImage& e : images) {
        if (offset + e.bytes.size() > UINT32_MAX) {
            out.clear();
            reason = "file would exceed 4 GiB";
            return false;
        }
        out.push_back(e.width);
        out.push_back(e.height);
        out.push_back(e.colourCount);
        out.push_back(0);
        PutU16(out, e.planes);
        PutU16(out, e.bitCount);
        PutU32(out, static_cast<uint32_t>(e.bytes.size()));
        PutU32(out, static_cast<uint32_t>(offset));
        offset += e.bytes.size();
    }
    for (DirectoryImage& e : images) {
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
        std::vector<uint8_t>().swap(e.bytes);
    }
    return true;
}

} // namespace pictoform
