// PE and NE modules written byte by byte, for the module tests.

#include <algorithm>
#include <cstring>
#include <map>

#include "icon/ModuleFixtures.h"

namespace pictoform::test {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

namespace {

struct NameNode {
    ResourceName name;
    std::vector<const Resource*> languages;
};
struct TypeNode {
    ResourceName type;
    std::vector<NameNode> names;
};

template <class T, class Key> T& FindOrAdd(std::vector<T>& nodes, const ResourceName& key, Key of) {
    for (T& n : nodes) {
        if (of(n) == key) return n;
    }
    nodes.push_back({key, {}});
    return nodes.back();
}

std::vector<TypeNode> Tree(const std::vector<Resource>& resources) {
    std::vector<TypeNode> types;
    for (const Resource& r : resources) {
        TypeNode& t = FindOrAdd(types, r.type, [](const TypeNode& n) { return n.type; });
        NameNode& n = FindOrAdd(t.names, r.name, [](const NameNode& m) { return m.name; });
        n.languages.push_back(&r);
    }
    return types;
}

size_t Align(size_t v, size_t to) {
    return (v + to - 1) / to * to;
}

} // namespace

BuiltPe BuildPe(bool pe32Plus, const std::vector<Resource>& resources) {
    std::vector<TypeNode> types = Tree(resources);
    auto namedFirst = [](auto& nodes, auto of) {
        std::stable_partition(nodes.begin(), nodes.end(),
                              [&](const auto& n) { return of(n).isString; });
    };
    namedFirst(types, [](const TypeNode& n) { return n.type; });
    for (TypeNode& t : types) namedFirst(t.names, [](const NameNode& n) { return n.name; });

    // Layout of the section: directories level by level, data entries,
    // strings, then the data.
    constexpr uint32_t kRva = 0x1000;
    size_t pos = 16 + 8 * types.size();
    std::vector<size_t> typeDirs, nameDirs, dataEntries, dataAt;
    for (const TypeNode& t : types) {
        typeDirs.push_back(pos);
        pos += 16 + 8 * t.names.size();
    }
    for (const TypeNode& t : types) {
        for (const NameNode& n : t.names) {
            nameDirs.push_back(pos);
            pos += 16 + 8 * n.languages.size();
        }
    }
    for (size_t i = 0; i < resources.size(); ++i, pos += 16) dataEntries.push_back(pos);
    std::map<std::string, size_t> strings;
    auto addString = [&](const ResourceName& n) {
        if (n.isString && strings.emplace(n.text, pos).second) pos += 2 + 2 * n.text.size();
    };
    for (const TypeNode& t : types) {
        addString(t.type);
        for (const NameNode& n : t.names) addString(n.name);
    }
    std::vector<uint8_t> sec(Align(pos, 8));
    for (const auto& [text, at] : strings) {
        Put16(sec, at, static_cast<uint32_t>(text.size()));
        for (size_t i = 0; i < text.size(); ++i) Put16(sec, at + 2 + 2 * i, uint8_t(text[i]));
    }
    std::map<const Resource*, size_t> entryOf;
    for (size_t i = 0; i < resources.size(); ++i) {
        const Resource& r = resources[i];
        entryOf[&r] = dataEntries[i];
        const size_t at = sec.size();
        sec.insert(sec.end(), r.data.begin(), r.data.end());
        sec.resize(Align(sec.size(), 8));
        Put32(sec, dataEntries[i], kRva + static_cast<uint32_t>(at));
        Put32(sec, dataEntries[i] + 4, static_cast<uint32_t>(r.data.size()));
    }
    auto nameField = [&](const ResourceName& n) {
        return n.isString ? 0x80000000u | static_cast<uint32_t>(strings.at(n.text)) : n.id;
    };
    auto directory = [&](size_t at, size_t named, size_t total) {
        Put16(sec, at + 12, static_cast<uint32_t>(named));
        Put16(sec, at + 14, static_cast<uint32_t>(total - named));
    };
    auto countNamed = [](const auto& nodes, auto of) {
        return static_cast<size_t>(std::count_if(nodes.begin(), nodes.end(),
                                                 [&](const auto& n) { return of(n).isString; }));
    };
    directory(0, countNamed(types, [](const TypeNode& n) { return n.type; }), types.size());
    size_t nameIndex = 0;
    for (size_t t = 0; t < types.size(); ++t) {
        Put32(sec, 16 + 8 * t, nameField(types[t].type));
        Put32(sec, 16 + 8 * t + 4, 0x80000000u | static_cast<uint32_t>(typeDirs[t]));
        const auto& names = types[t].names;
        directory(typeDirs[t], countNamed(names, [](const NameNode& n) { return n.name; }),
                  names.size());
        for (size_t n = 0; n < names.size(); ++n, ++nameIndex) {
            const size_t e = typeDirs[t] + 16 + 8 * n;
            Put32(sec, e, nameField(names[n].name));
            Put32(sec, e + 4, 0x80000000u | static_cast<uint32_t>(nameDirs[nameIndex]));
            directory(nameDirs[nameIndex], 0, names[n].languages.size());
            for (size_t l = 0; l < names[n].languages.size(); ++l) {
                const size_t le = nameDirs[nameIndex] + 16 + 8 * l;
                Put32(sec, le, names[n].languages[l]->language);
                Put32(sec, le + 4, static_cast<uint32_t>(entryOf.at(names[n].languages[l])));
            }
        }
    }

    const size_t optionalBytes = pe32Plus ? 240 : 224;
    BuiltPe pe;
    std::vector<uint8_t>& f = pe.bytes;
    f.resize(0x200);
    std::memcpy(&f[0], "MZ", 2);
    Put32(f, 0x3C, 0x40);
    std::memcpy(&f[0x40], "PE", 2);
    const size_t coff = 0x44, opt = coff + 20;
    Put16(f, coff, pe32Plus ? 0x8664 : 0x14C);
    Put16(f, coff + 2, 1);
    Put16(f, coff + 16, static_cast<uint32_t>(optionalBytes));
    Put16(f, coff + 18, pe32Plus ? 0x2022 : 0x2102);
    Put16(f, opt, pe32Plus ? 0x20B : 0x10B);
    const uint32_t rawSize = static_cast<uint32_t>(Align(sec.size(), 0x200));
    const uint32_t imageSize = static_cast<uint32_t>(Align(kRva + sec.size(), 0x1000));
    Put32(f, opt + (pe32Plus ? 24 : 28), 0x10000000); // image base (its low half in PE32+)
    Put32(f, opt + 32, 0x1000);                       // section alignment
    Put32(f, opt + 36, 0x200);                        // file alignment
    Put16(f, opt + 40, 4);                            // operating system 4.0
    Put16(f, opt + 48, 4);                            // subsystem 4.0
    Put32(f, opt + 56, imageSize);
    Put32(f, opt + 60, 0x200); // size of the headers
    Put16(f, opt + 68, 2);     // GUI
    const size_t countField = pe32Plus ? 108 : 92;
    Put32(f, opt + countField, 16);
    Put32(f, opt + countField + 4 + 16, kRva);
    Put32(f, opt + countField + 4 + 20, static_cast<uint32_t>(sec.size()));
    pe.sectionTable = opt + optionalBytes;
    const size_t s = pe.sectionTable;
    std::memcpy(&f[s], ".rsrc", 5);
    Put32(f, s + 8, static_cast<uint32_t>(sec.size()));
    Put32(f, s + 12, kRva);
    Put32(f, s + 16, rawSize);
    Put32(f, s + 20, 0x200);
    Put32(f, s + 36, 0x40000040); // initialised data, readable
    pe.resourceRoot = 0x200;
    f.insert(f.end(), sec.begin(), sec.end());
    f.resize(0x200 + rawSize);
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
        addString(t.type);
        for (const NameNode& n : t.names) addString(n.name);
    }
    pos += 1;
    const size_t resident = pos;
    const std::string module = "TESTLIB";
    pos += 1 + module.size() + 2 + 1;
    std::vector<uint8_t> f(Align(pos, unit));
    std::memcpy(&f[0], "MZ", 2);
    Put32(f, 0x3C, kNe);
    std::memcpy(&f[kNe], "NE", 2);
    f[kNe + 2] = 5;                                              // linker version
    Put16(f, kNe + 0x04, static_cast<uint32_t>(f.size() - kNe)); // entry table, empty
    Put16(f, kNe + 0x0C, 0x8000);                                // library module
    Put16(f, kNe + 0x24, kTable - kNe);
    Put16(f, kNe + 0x26, static_cast<uint32_t>(resident - kNe));
    Put16(f, kNe + 0x28, static_cast<uint32_t>(resident + 1 + module.size() + 3 - kNe));
    Put16(f, kNe + 0x2A, static_cast<uint32_t>(resident + 1 + module.size() + 3 - kNe));
    Put16(f, kNe + 0x32, shift);
    f[kNe + 0x36] = 2; // Windows
    f[resident] = static_cast<uint8_t>(module.size());
    std::memcpy(&f[resident + 1], module.data(), module.size());
    for (const auto& [text, at] : strings) {
        f[kTable + at] = static_cast<uint8_t>(text.size());
        std::memcpy(&f[kTable + at + 1], text.data(), text.size());
    }
    auto field = [&](const ResourceName& n) {
        return n.isString ? static_cast<uint32_t>(strings.at(n.text)) : 0x8000u | n.id;
    };
    Put16(f, kTable, shift);
    size_t at = kTable + 2;
    for (const TypeNode& t : types) {
        size_t count = 0;
        for (const NameNode& n : t.names) count += n.languages.size();
        Put16(f, at, field(t.type));
        Put16(f, at + 2, static_cast<uint32_t>(count));
        at += 8;
        for (const NameNode& n : t.names) {
            for (const Resource* r : n.languages) {
                const size_t start = f.size();
                f.insert(f.end(), r->data.begin(), r->data.end());
                f.resize(Align(f.size(), unit));
                Put16(f, at, static_cast<uint32_t>(start >> shift));
                Put16(f, at + 2, static_cast<uint32_t>(Align(r->data.size(), unit) >> shift));
                Put16(f, at + 4, 0x1030); // moveable, pure, discardable
                Put16(f, at + 6, field(n.name));
                at += 12;
            }
        }
    }
    return f;
}

} // namespace pictoform::test
