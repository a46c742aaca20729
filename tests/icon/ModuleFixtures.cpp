#include "icon/ModuleFixtures.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "icon/IconBytes.h"
#include "icon/IconFile.h"
#include "icon/IconTestImages.h"
#include "icon/PngCodec.h"

namespace pictoform::test {

namespace {

Px TableColour(uint32_t k) {
    return {static_cast<uint8_t>(k * 37), static_cast<uint8_t>(k * 91),
            static_cast<uint8_t>(k * 53 + 1), 255};
}

} // namespace

std::vector<uint8_t> PngBytes(const Picture& picture) {
    std::vector<uint8_t> png;
    std::string reason;
    EXPECT_TRUE(EncodePng(PngOfPicture(picture), png, reason)) << reason;
    return png;
}

IconImageRec Pattern(int width, int height, int32_t depth, uint32_t seed) {
    return MakeImage(width, height, depth, [=](int x, int y) -> Px {
        const uint32_t h = Hash(x, y, seed);
        const bool hole = h % 7 == 0;
        switch (depth) {
        case kDepth256:
            return hole ? Px{0, 0, 0, 0} : TableColour(1 + (h >> 4) % 200);
        case kDepth16:
            return hole ? Px{0, 0, 0, 0} : TableColour(1 + (h >> 4) % 14);
        case kDepth2:
            return (h >> 4) % 2 ? Px{255, 255, 255, 255} : Px{0, 0, 0, 255};
        default:
            break;
        }
        const uint8_t r = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
        const uint8_t g = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
        uint8_t a = hole ? 0 : 255;
        if (depth == kDepth32) a = static_cast<uint8_t>(x == 0 ? 0 : y == 0 ? 255 : h >> 8);
        return {r, g, static_cast<uint8_t>(h), a};
    });
}

std::vector<uint8_t> IcoBytes(const std::vector<IconImageRec>& images, unsigned flags) {
    CIconFile engine;
    std::vector<uint8_t> out;
    EXPECT_TRUE(engine.EncodeIconFile(images, flags, out)) << engine.LastError();
    return out;
}

std::vector<uint8_t> Preview32(const IconImageRec& src) {
    std::vector<uint8_t> out;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const size_t p =
                static_cast<size_t>(y * src.height / 32) * static_cast<size_t>(src.width) +
                static_cast<size_t>(x * src.width / 32);
            const uint8_t a = src.HasAlpha() ? src.alpha[p] : (src.mask[p] ? 255 : 0);
            if (a == 0) {
                out.insert(out.end(), {0, 0, 0, 0});
            } else {
                out.insert(out.end(),
                           {src.colours[p * 3], src.colours[p * 3 + 1], src.colours[p * 3 + 2], a});
            }
        }
    }
    return out;
}

std::vector<IcoImage> SplitIco(const std::vector<uint8_t>& ico) {
    std::vector<IcoImage> images(U16At(ico, 4));
    for (size_t i = 0; i < images.size(); ++i) {
        const size_t e = 6 + 16 * i;
        IcoImage& im = images[i];
        im.width = ico.at(e);
        im.height = ico.at(e + 1);
        im.colourCount = ico.at(e + 2);
        im.planes = U16At(ico, e + 4);
        im.bitCount = U16At(ico, e + 6);
        const size_t bytes = U32At(ico, e + 8), offset = U32At(ico, e + 12);
        im.data.assign(ico.begin() + static_cast<std::ptrdiff_t>(offset),
                       ico.begin() + static_cast<std::ptrdiff_t>(offset + bytes));
    }
    return images;
}

std::vector<uint8_t> GroupData(const std::vector<IcoImage>& images, uint16_t firstId,
                               uint16_t type) {
    Bytes g;
    g.U16(0).U16(type).U16(static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const IcoImage& im = images[i];
        g.U8(im.width).U8(im.height).U8(im.colourCount).U8(0).U16(im.planes).U16(im.bitCount);
        g.U32(static_cast<uint32_t>(im.data.size())).U16(static_cast<uint32_t>(firstId + i));
    }
    return g.b;
}

std::vector<Resource> GroupOfOneIcon(size_t entries) {
    const std::vector<IcoImage> one = SplitIco(IcoBytes({Pattern(256, 256, kDepth24, 24)}));
    std::vector<uint8_t> group = GroupData(std::vector<IcoImage>(entries, one[0]), 1);
    for (size_t i = 0; i < entries; ++i) Put16(group, 6 + 14 * i + 12, 1);
    return {{ResourceName::Id(kResourceTypeGroupIcon), ResourceName::Id(1), 1033, group},
            {ResourceName::Id(kResourceTypeIcon), ResourceName::Id(1), 1033, one[0].data}};
}

void AddIconGroup(std::vector<Resource>& resources, const ResourceName& name,
                  const std::vector<uint8_t>& ico, uint16_t& nextId) {
    const std::vector<IcoImage> images = SplitIco(ico);
    resources.push_back({ResourceName::Id(14), name, 1033, GroupData(images, nextId)});
    for (const IcoImage& im : images) {
        resources.push_back({ResourceName::Id(3), ResourceName::Id(nextId++), 1033, im.data});
    }
}

std::string BuildDll(const TempDir& dir, int bits, const std::vector<RcIcon>& icons,
                     const std::string& stem) {
    std::string rc;
    for (const RcIcon& icon : icons) rc += icon.name + " ICON \"" + icon.icoPath + "\"\n";
    const std::string rcPath = dir.File(stem + ".rc");
    const std::string obj = dir.File(stem + ".o");
    const std::string dll = dir.File(stem + ".dll");
    WriteBytes(rcPath, std::vector<uint8_t>(rc.begin(), rc.end()));
    // The script uses no preprocessor feature, so `cat` stands in for the C
    // preprocessor that windres would otherwise look for.
    CommandResult r =
        Run({WindresPath(bits), "--preprocessor=cat", "-i", rcPath, "-O", "coff", "-o", obj});
    if (r.status != 0) {
        ADD_FAILURE() << "windres: " << r.err;
        return {};
    }
    // A resource-only library: no code, entry point 0.
    r = Run({MingwLdPath(bits), "--dll", "-e", "0", "-o", dll, obj});
    if (r.status != 0) {
        ADD_FAILURE() << "ld: " << r.err;
        return {};
    }
    return dll;
}

std::vector<WrestoolEntry> WrestoolList(const std::string& module) {
    const CommandResult r = Run({WrestoolPath(), "-l", module});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<WrestoolEntry> out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        WrestoolEntry e;
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            // Brackets around the details, quotes around names.
            std::erase_if(w, [](char c) { return c == '[' || c == ']' || c == '\''; });
            if (w.rfind("--type=", 0) == 0) e.type = w.substr(7);
            if (w.rfind("--name=", 0) == 0) e.name = w.substr(7);
            if (w.rfind("size=", 0) == 0) e.size = std::stoul(w.substr(5));
        }
        out.push_back(e);
    }
    return out;
}

std::vector<Picture> WrestoolGroupPictures(const TempDir& dir, const std::string& module,
                                           const std::string& group) {
    const std::string stem = std::filesystem::path(module).stem().string() + "-" + group;
    const std::string ico = dir.File(stem + ".ico");
    CommandResult r =
        Run({WrestoolPath(), "-x", "--type=14", "--name=" + group, "-o", ico, module});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<Picture> out;
    for (const std::string& file : IcotoolExtract(dir, ico)) out.push_back(ReadPngFile(file));
    return out;
}

const std::vector<SampleGroup>& SampleGroups() {
    static const std::vector<SampleGroup> groups{
        {"APPICON", {Pattern(24, 24, kDepth24, 10), Pattern(16, 16, kDepth2, 11)}, false},
        {"5",
         {Pattern(16, 16, kDepth256, 1), Pattern(16, 16, kDepth32, 2),
          Pattern(32, 32, kDepth256, 3), Pattern(32, 32, kDepth32, 4)},
         false},
        {"7", {Pattern(48, 48, kDepth32, 5), Pattern(16, 16, kDepth16, 6)}, false},
        {"200", {Pattern(256, 256, kDepth32, 7)}, true},
    };
    return groups;
}

std::vector<Resource> SampleResources(bool named) {
    std::vector<Resource> out;
    uint16_t nextId = 1;
    for (const SampleGroup& g : SampleGroups()) {
        if (g.name == "APPICON" && !named) continue;
        const ResourceName name = g.name == "APPICON"
                                      ? ResourceName::Text(g.name)
                                      : ResourceName::Id(static_cast<uint32_t>(std::stoi(g.name)));
        std::vector<IconImageRec> images = g.sources;
        for (IconImageRec& rec : images) rec.png = g.png;
        AddIconGroup(out, name, IcoBytes(images), nextId);
    }
    return out;
}

const SampleLibraries& MinGwLibraries(int bits) {
    static TempDir dir;
    static std::map<int, SampleLibraries> built;
    auto found = built.find(bits);
    if (found != built.end()) return found->second;
    SampleLibraries& libs = built[bits];
    const auto usable = [](const std::string& p) {
        return !p.empty() && p.find("NOTFOUND") == std::string::npos;
    };
    if (!usable(WindresPath(bits)) || !usable(MingwLdPath(bits)) || !usable(IcotoolPath())) {
        return libs;
    }
    std::vector<RcIcon> icons;
    for (const SampleGroup& g : SampleGroups()) {
        const std::string stem = "sample-" + g.name;
        const std::string ico = dir.File(stem + ".ico"), png = dir.File(stem + ".png");
        // The PNG image is stored by icotool, as it is.
        WriteBytes(g.png ? png : ico,
                   g.png ? PngBytes(PictureOfSource(g.sources[0])) : IcoBytes(g.sources));
        if (g.png) {
            const CommandResult r = Run({IcotoolPath(), "-c", "-o", ico, "--raw=" + png});
            EXPECT_EQ(r.status, 0) << r.err;
        }
        icons.push_back({g.name, ico});
        libs.icons.push_back(ico);
    }
    libs.full = BuildDll(dir, bits, icons, "sample" + std::to_string(bits) + "-full");
    return libs;
}

} // namespace pictoform::test
