#include "icon/ModuleFixtures.h"

#include <algorithm>
#include <cstring>
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

// A type with its names, a name with its languages; `key` is the type or the name.
struct NameNode {
    ResourceName key;
    std::vector<const Resource*> languages;
};
struct TypeNode {
    ResourceName key;
    std::vector<NameNode> names;
};

template <class T> T& FindOrAdd(std::vector<T>& nodes, const ResourceName& key) {
    const auto found = std::find_if(nodes.begin(), nodes.end(), [&](T& n) { return n.key == key; });
    return found != nodes.end() ? *found : nodes.emplace_back(T{key, {}});
}

std::vector<TypeNode> Tree(const std::vector<Resource>& resources) {
    std::vector<TypeNode> types;
    for (const Resource& r : resources) {
        FindOrAdd(FindOrAdd(types, r.type).names, r.name).languages.push_back(&r);
    }
    return types;
}

// Puts the nodes with string keys first, in their order; returns how many there are.
template <class T> uint32_t NamedFirst(std::vector<T>& nodes) {
    return static_cast<uint32_t>(std::stable_partition(nodes.begin(), nodes.end(),
                                                       [](const T& n) { return n.key.isString; }) -
                                 nodes.begin());
}

size_t Align(size_t v, size_t to) {
    return (v + to - 1) / to * to;
}

} // namespace

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

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
        const auto data = ico.begin() + static_cast<std::ptrdiff_t>(U32At(ico, e + 12));
        images[i] = {ico.at(e),         ico.at(e + 1),     ico.at(e + 2),
                     U16At(ico, e + 4), U16At(ico, e + 6), {data, data + U32At(ico, e + 8)}};
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

// --- PE and NE modules written byte by byte -----------------------------------
BuiltPe BuildPe(bool pe32Plus, const std::vector<Resource>& resources) {
    std::vector<TypeNode> types = Tree(resources);
    const uint32_t namedTypes = NamedFirst(types);
    std::vector<uint32_t> namedNames;

    // Layout of the section: directories level by level, data entries,
    // strings, then the data.
    constexpr uint32_t kRva = 0x1000;
    size_t entries = 16 + 8 * types.size(); // where the data entries start
    for (TypeNode& t : types) {
        namedNames.push_back(NamedFirst(t.names));
        entries += 16 + 8 * t.names.size();
        for (const NameNode& n : t.names) entries += 16 + 8 * n.languages.size();
    }
    size_t pos = entries + 16 * resources.size();
    std::map<std::string, size_t> strings;
    auto addString = [&](const ResourceName& n) {
        if (n.isString && strings.emplace(n.text, pos).second) pos += 2 + 2 * n.text.size();
    };
    for (const TypeNode& t : types) {
        addString(t.key);
        for (const NameNode& n : t.names) addString(n.key);
    }
    // A directory is its counts of named and numbered entries; an entry, its
    // name or identifier and where its directory (top bit set) or data entry is.
    Bytes sec;
    auto directory = [&](uint32_t named, size_t total) {
        sec.Zeros(12).U16(named).U16(static_cast<uint32_t>(total - named));
    };
    auto entry = [&](const ResourceName& n, size_t& next, size_t count) {
        sec.U32(n.isString ? 0x80000000u | static_cast<uint32_t>(strings.at(n.text)) : n.id);
        sec.U32(0x80000000u | static_cast<uint32_t>(next));
        next += 16 + 8 * count;
    };
    size_t next = 16 + 8 * types.size();
    directory(namedTypes, types.size());
    for (const TypeNode& t : types) entry(t.key, next, t.names.size());
    for (size_t t = 0; t < types.size(); ++t) {
        directory(namedNames[t], types[t].names.size());
        for (const NameNode& n : types[t].names) entry(n.key, next, n.languages.size());
    }
    for (const TypeNode& t : types) {
        for (const NameNode& n : t.names) {
            directory(0, n.languages.size());
            for (const Resource* r : n.languages) {
                sec.U32(r->language).U32(static_cast<uint32_t>(entries + 16 * (r - &resources[0])));
            }
        }
    }
    // Data entries: where the data is and its size (no code page).
    size_t data = Align(pos, 8);
    for (const Resource& r : resources) {
        const uint32_t size = static_cast<uint32_t>(r.data.size());
        sec.U32(kRva + static_cast<uint32_t>(data)).U32(size).Zeros(8);
        data = Align(data + size, 8);
    }
    sec.b.resize(Align(pos, 8));
    for (const auto& [text, at] : strings) {
        Put16(sec.b, at, static_cast<uint32_t>(text.size()));
        for (size_t i = 0; i < text.size(); ++i) Put16(sec.b, at + 2 + 2 * i, uint8_t(text[i]));
    }
    for (const Resource& r : resources)
        sec.Raw(r.data).Zeros(Align(r.data.size(), 8) - r.data.size());

    const uint32_t secSize = static_cast<uint32_t>(sec.b.size());
    const uint32_t rawSize = static_cast<uint32_t>(Align(secSize, 0x200));
    const uint32_t imageSize = static_cast<uint32_t>(Align(kRva + secSize, 0x1000));
    const uint32_t optionalBytes = pe32Plus ? 240 : 224;
    BuiltPe pe;
    Bytes f;
    f.Raw({'M', 'Z'}).Zeros(0x3A).U32(0x40).Raw({'P', 'E', 0, 0});
    // COFF header: machine, one section, the optional header's size, a DLL.
    f.U16(pe32Plus ? 0x8664 : 0x14C).U16(1).Zeros(12).U16(optionalBytes);
    f.U16(pe32Plus ? 0x2022 : 0x2102);
    // Optional header: magic, image base (its low half in PE32+), section and
    // file alignment, operating system and subsystem 4.0, image size, size of
    // the headers, GUI, 16 data directories, the resource one's place.
    f.U16(pe32Plus ? 0x20B : 0x10B).Zeros(pe32Plus ? 22 : 26).U32(0x10000000);
    f.Zeros(pe32Plus ? 4 : 0).U32(0x1000).U32(0x200).U16(4).Zeros(6).U16(4).Zeros(6);
    f.U32(imageSize).U32(0x200).Zeros(4).U16(2).Zeros(pe32Plus ? 38 : 22).U32(16);
    f.Zeros(16).U32(kRva).U32(secSize);
    pe.sectionTable = 0x44 + 20 + optionalBytes;
    f.Zeros(pe.sectionTable - f.b.size());
    // The section: its size, place, file data and file offset; initialised
    // data, readable.
    f.Raw({'.', 'r', 's', 'r', 'c', 0, 0, 0}).U32(secSize).U32(kRva).U32(rawSize).U32(0x200);
    f.Zeros(12).U32(0x40000040);
    pe.resourceRoot = 0x200;
    f.Zeros(pe.resourceRoot - f.b.size()).Raw(sec.b).Zeros(rawSize - secSize);
    pe.bytes = std::move(f.b);
    return pe;
}

std::vector<uint8_t> BuildNe(const std::vector<Resource>& resources, uint16_t shift) {
    std::vector<TypeNode> types = Tree(resources);
    const size_t unit = size_t{1} << shift;
    constexpr size_t kNe = 0x40, kTable = 0x80;
    // Resource table: shift, type blocks, terminator, names, terminator.
    size_t pos = kTable + 2;
    for (const TypeNode& t : types) {
        pos += 8;
        for (const NameNode& n : t.names) pos += 12 * n.languages.size();
    }
    pos += 2;
    std::map<std::string, size_t> strings;
    auto addString = [&](const ResourceName& n) {
        if (n.isString && strings.emplace(n.text, pos - kTable).second) pos += 1 + n.text.size();
    };
    for (const TypeNode& t : types) {
        addString(t.key);
        for (const NameNode& n : t.names) addString(n.key);
    }
    const size_t resident = pos + 1;
    const std::string module = "TESTLIB";
    size_t data = Align(resident + 1 + module.size() + 2 + 1, unit);
    Bytes f;
    f.Raw({'M', 'Z'}).Zeros(0x3A).U32(kNe);
    // Linker version 5; the entry table (empty), a library module, where the
    // resource, resident name, module reference and imported name tables
    // start, the alignment, Windows.
    const uint32_t after = uint32_t(resident + 1 + module.size() + 3 - kNe);
    f.Raw({'N', 'E', 5, 0}).U16(uint32_t(data - kNe)).Zeros(6).U16(0x8000).Zeros(0x16);
    f.U16(kTable - kNe).U16(uint32_t(resident - kNe)).U16(after).U16(after).Zeros(6);
    f.U16(shift).Zeros(2).U8(2).Zeros(9);
    // The resource table's own alignment shift, then each type's block.
    f.U16(shift);
    auto field = [&](const ResourceName& n) {
        return n.isString ? static_cast<uint32_t>(strings.at(n.text)) : 0x8000u | n.id;
    };
    for (const TypeNode& t : types) {
        size_t count = 0;
        for (const NameNode& n : t.names) count += n.languages.size();
        f.U16(field(t.key)).U16(uint32_t(count)).Zeros(4);
        for (const NameNode& n : t.names) {
            for (const Resource* r : n.languages) {
                // Offset and length in units, moveable, pure, discardable, the name.
                const size_t bytes = Align(r->data.size(), unit);
                f.U16(uint32_t(data >> shift)).U16(uint32_t(bytes >> shift)).U16(0x1030);
                f.U16(field(n.key)).Zeros(4);
                data += bytes;
            }
        }
    }
    f.Zeros(resident - f.b.size()).U8(uint32_t(module.size()));
    f.Raw(std::vector<uint8_t>(module.begin(), module.end())).Zeros(3);
    for (const auto& [text, at] : strings) {
        f.b[kTable + at] = static_cast<uint8_t>(text.size());
        std::memcpy(&f.b[kTable + at + 1], text.data(), text.size());
    }
    f.Zeros(Align(f.b.size(), unit) - f.b.size());
    for (const TypeNode& t : types) {
        for (const NameNode& n : t.names) {
            for (const Resource* r : n.languages) {
                f.Raw(r->data).Zeros(Align(r->data.size(), unit) - r->data.size());
            }
        }
    }
    return f.b;
}

} // namespace pictoform::test
