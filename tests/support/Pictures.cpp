#include "support/Pictures.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

namespace pictoform::test {

Picture Paint(int width, int height, const PixelFn& fn) {
    Picture pic{width, height, {}};
    pic.rgba.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::array<uint8_t, 4> px = fn(x, y);
            pic.rgba.insert(pic.rgba.end(), px.begin(), px.end());
        }
    }
    return pic;
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 seed * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

Picture PictureOf(const IconImageRec& rec) {
    return Paint(rec.width, rec.height, [&](int x, int y) -> std::array<uint8_t, 4> {
        const size_t p = static_cast<size_t>(rec.height - 1 - y) * static_cast<size_t>(rec.width) +
                         static_cast<size_t>(x);
        const uint8_t a = rec.HasAlpha() ? rec.alpha[p] : (rec.mask[p] ? 255 : 0);
        return {rec.colours[p * 3 + 2], rec.colours[p * 3 + 1], rec.colours[p * 3], a};
    });
}

Picture PictureOfSource(const IconImageRec& rec) {
    IconImageRec flipped = rec;
    FlipRows(flipped);
    return PictureOf(flipped);
}

IconImageRec ToRecord(const Picture& pic, int32_t depth) {
    IconImageRec rec;
    rec.width = pic.width;
    rec.height = pic.height;
    rec.depth = depth;
    const size_t n = rec.PixelCount();
    rec.colours.resize(n * 3);
    rec.mask.resize(n);
    if (depth == kDepth32) rec.alpha.resize(n);
    for (size_t p = 0; p < n; ++p) {
        const uint8_t* px = &pic.rgba[p * 4];
        rec.colours[p * 3] = px[2];
        rec.colours[p * 3 + 1] = px[1];
        rec.colours[p * 3 + 2] = px[0];
        rec.mask[p] = depth == kDepth32 ? px[3] != 0 : px[3] == 255;
        if (depth == kDepth32) rec.alpha[p] = px[3];
    }
    return rec;
}

namespace {

// Red and blue trade places; the same swap goes either way.
std::vector<uint8_t> SwapRedBlue(std::vector<uint8_t> px) {
    for (size_t p = 0; p + 3 < px.size(); p += 4) std::swap(px[p], px[p + 2]);
    return px;
}

} // namespace

Picture PictureOfPng(const PngPixels& png) {
    return {png.width, png.height, SwapRedBlue(png.bgra)};
}

PngPixels PngOfPicture(const Picture& pic) {
    return {pic.width, pic.height, SwapRedBlue(pic.rgba)};
}

Picture ReadPngFile(const std::string& path) {
    PngPixels px;
    std::string reason;
    if (!DecodePng(ReadBytes(path), 256, px, reason)) {
        ADD_FAILURE() << path << ": " << reason;
        return {};
    }
    return PictureOfPng(px);
}

::testing::AssertionResult SamePixels(const Picture& expected, const Picture& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
               << "x" << expected.height;
    }
    size_t differing = 0, first = 0;
    for (size_t p = 0; p * 4 < expected.rgba.size(); ++p) {
        const uint8_t* e = &expected.rgba[p * 4];
        const uint8_t* a = &actual.rgba[p * 4];
        const bool same = e[3] == a[3] && (e[3] == 0 || std::memcmp(e, a, 3) == 0);
        if (!same && differing++ == 0) first = p;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    auto show = [&](const Picture& pic) {
        std::ostringstream s;
        for (int i = 0; i < 4; ++i) s << (i ? "," : "(") << int(pic.rgba[first * 4 + i]);
        return s.str() + ")";
    };
    const size_t w = static_cast<size_t>(expected.width);
    return ::testing::AssertionFailure()
           << differing << " pixels differ; first at (" << first % w << "," << first / w
           << "): " << show(actual) << ", expected " << show(expected) << " (r,g,b,a)";
}

CommandResult RunPython(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> argv{PythonPath(), "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandResult r = Run(argv);
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
}

namespace {

const char* const kSavePngs = R"(
import sys
from PIL import Image
a = sys.argv[1:]
for i in range(0, len(a), 4):
    raw, w, h, out = a[i:i + 4]
    with open(raw, 'rb') as f:
        Image.frombytes('RGBA', (int(w), int(h)), f.read()).save(out)
)";

// For each file: the frame count, then per frame "w h" and its RGBA bytes.
// Pillow lists an icon's frames by size; sorting by offset gives file order.
const char* const kDecode = R"(
import sys
from PIL import Image, IcoImagePlugin
out = sys.stdout.buffer
for path in sys.argv[1:]:
    with open(path, 'rb') as fp:
        if fp.read(8).startswith(b'\x89PNG'):
            frames = [Image.open(path).convert('RGBA')]
        else:
            fp.seek(0)
            ico = IcoImagePlugin.IcoFile(fp)
            order = sorted(range(len(ico.entry)), key=lambda i: ico.entry[i]['offset'])
            frames = [ico.frame(i).convert('RGBA') for i in order]
    out.write(b'%d\n' % len(frames))
    for f in frames:
        out.write(b'%d %d\n' % f.size)
        out.write(f.tobytes())
)";

} // namespace

void SavePngs(const TempDir& dir, const std::vector<std::pair<std::string, Picture>>& files) {
    std::vector<std::string> args;
    for (const auto& [path, pic] : files) {
        const std::string raw = dir.File(std::filesystem::path(path).filename().string() + ".rgba");
        WriteBytes(raw, pic.rgba);
        args.insert(args.end(), {raw, std::to_string(pic.width), std::to_string(pic.height), path});
    }
    (void)RunPython(kSavePngs, args);
}

std::vector<std::vector<Picture>> PillowDecode(const std::vector<std::string>& paths) {
    std::vector<std::vector<Picture>> files(paths.size());
    const CommandResult r = RunPython(kDecode, paths);
    if (r.status != 0) return files;
    size_t pos = 0;
    auto line = [&]() {
        const size_t end = r.out.find('\n', pos);
        std::string text = r.out.substr(pos, end - pos);
        pos = end == std::string::npos ? r.out.size() : end + 1;
        return text;
    };
    for (std::vector<Picture>& frames : files) {
        const int count = std::stoi(line());
        for (int i = 0; i < count; ++i) {
            Picture pic;
            std::istringstream(line()) >> pic.width >> pic.height;
            const size_t bytes =
                static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height) * 4;
            if (pos + bytes > r.out.size()) {
                ADD_FAILURE() << "Pillow's output ends early";
                return files;
            }
            pic.rgba.assign(r.out.begin() + static_cast<std::ptrdiff_t>(pos),
                            r.out.begin() + static_cast<std::ptrdiff_t>(pos + bytes));
            pos += bytes;
            frames.push_back(std::move(pic));
        }
    }
    return files;
}

std::vector<std::string> IcotoolExtract(const TempDir& dir, const std::string& path,
                                        std::string* warnings) {
    const std::string stem = std::filesystem::path(path).stem().string();
    const std::string into = dir.File("x-" + std::filesystem::path(path).filename().string());
    std::filesystem::create_directory(into);
    const CommandResult r = Run({IcotoolPath(), "-x", "-o", into, path});
    EXPECT_EQ(r.status, 0) << r.err;
    if (warnings) *warnings = r.err;
    // Named <stem>_<index>_<w>x<h>x<bits>.png, index from 1.
    std::map<int, std::string> byIndex;
    for (const auto& entry : std::filesystem::directory_iterator(into)) {
        const std::string name = entry.path().filename().string();
        byIndex[std::stoi(name.substr(stem.size() + 1))] = entry.path().string();
    }
    std::vector<std::string> out;
    for (const auto& [index, file] : byIndex) out.push_back(file);
    return out;
}

} // namespace pictoform::test
