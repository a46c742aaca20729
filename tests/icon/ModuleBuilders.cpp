// PE and NE modules written byte by byte, for the module tests.

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

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

// Writes each field: offset, width in bytes, value.
void PutFields(std::vector<uint8_t>& b,
               std::initializer_list<std::tuple<size_t, int, uint32_t>> fields) {
    for (const auto& [at, width, v] : fields) width == 2 ? Put16(b, at, v) : Put32(b, at, v);
}

size_t Align(size_t v, size_t to) {
    return (v + to - 1) / to * to;
}

} // namespace

BuiltPe BuildPe(bool pe32Plus, const std::vector<Resource>& resources) {
    std::vector<TypeNode> types = Tree(resources);
    const uint32_t namedTypes = NamedFirst(types);
    std::vector<uint32_t> namedNames;
    for (TypeNode& t : types) namedNames.push_back(NamedFirst(t.names));

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
        addString(t.key);
        for (const NameNode& n : t.names) addString(n.key);
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
    auto directory = [&](size_t at, uint32_t named, size_t total) {
        PutFields(sec, {{at + 12, 2, named}, {at + 14, 2, static_cast<uint32_t>(total - named)}});
    };
    directory(0, namedTypes, types.size());
    size_t nameIndex = 0;
    for (size_t t = 0; t < types.size(); ++t) {
        Put32(sec, 16 + 8 * t, nameField(types[t].key));
        Put32(sec, 16 + 8 * t + 4, 0x80000000u | static_cast<uint32_t>(typeDirs[t]));
        const auto& names = types[t].names;
        directory(typeDirs[t], namedNames[t], names.size());
        for (size_t n = 0; n < names.size(); ++n, ++nameIndex) {
            const size_t e = typeDirs[t] + 16 + 8 * n;
            Put32(sec, e, nameField(names[n].key));
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
    const size_t coff = 0x44, opt = coff + 20, count = opt + (pe32Plus ? 108 : 92);
    const uint32_t rawSize = static_cast<uint32_t>(Align(sec.size(), 0x200));
    const uint32_t secSize = static_cast<uint32_t>(sec.size());
    pe.sectionTable = opt + optionalBytes;
    const size_t s = pe.sectionTable;
    std::memcpy(&f[s], ".rsrc", 5);
    // COFF header: machine, one section, the optional header's size, a DLL.
    // Optional header: magic, image base (its low half in PE32+), section and
    // file alignment, operating system and subsystem 4.0, image size, size of
    // the headers, GUI, 16 data directories, the resource one's place. The
    // section: its size, place, file data and file offset; initialised data,
    // readable.
    const uint32_t machine = pe32Plus ? 0x8664 : 0x14C, dll = pe32Plus ? 0x2022 : 0x2102;
    const uint32_t magic = pe32Plus ? 0x20B : 0x10B, optBytes = uint32_t(optionalBytes);
    const uint32_t imageSize = static_cast<uint32_t>(Align(kRva + sec.size(), 0x1000));
    const size_t base = opt + (pe32Plus ? 24 : 28);
    PutFields(f, {{coff, 2, machine},        {coff + 2, 2, 1},
                  {coff + 16, 2, optBytes},  {coff + 18, 2, dll},
                  {opt, 2, magic},           {base, 4, 0x10000000},
                  {opt + 32, 4, 0x1000},     {opt + 36, 4, 0x200},
                  {opt + 40, 2, 4},          {opt + 48, 2, 4},
                  {opt + 56, 4, imageSize},  {opt + 60, 4, 0x200},
                  {opt + 68, 2, 2},          {count, 4, 16},
                  {count + 4 + 16, 4, kRva}, {count + 4 + 20, 4, secSize},
                  {s + 8, 4, secSize},       {s + 12, 4, kRva},
                  {s + 16, 4, rawSize},      {s + 20, 4, 0x200},
                  {s + 36, 4, 0x40000040}});
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
        addString(t.key);
        for (const NameNode& n : t.names) addString(n.key);
    }
    pos += 1;
    const size_t resident = pos;
    const std::string module = "TESTLIB";
    pos += 1 + module.size() + 2 + 1;
    std::vector<uint8_t> f(Align(pos, unit));
    std::memcpy(&f[0], "MZ", 2);
    Put32(f, 0x3C, kNe);
    std::memcpy(&f[kNe], "NE", 2);
    f[kNe + 2] = 5;    // linker version
    f[kNe + 0x36] = 2; // Windows
    // The entry table (empty), a library module, where the resource, resident
    // name, module reference and imported name tables start, the alignment.
    const uint32_t entries = uint32_t(f.size() - kNe), names = uint32_t(resident - kNe);
    const uint32_t after = uint32_t(resident + 1 + module.size() + 3 - kNe);
    PutFields(f, {{kNe + 0x04, 2, entries},
                  {kNe + 0x0C, 2, 0x8000},
                  {kNe + 0x24, 2, kTable - kNe},
                  {kNe + 0x26, 2, names},
                  {kNe + 0x28, 2, after},
                  {kNe + 0x2A, 2, after},
                  {kNe + 0x32, 2, shift}});
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
        PutFields(f, {{at, 2, field(t.key)}, {at + 2, 2, uint32_t(count)}});
        at += 8;
        for (const NameNode& n : t.names) {
            for (const Resource* r : n.languages) {
                const size_t start = f.size();
                f.insert(f.end(), r->data.begin(), r->data.end());
                f.resize(Align(f.size(), unit));
                // Offset and length in units, moveable, pure, discardable, the name.
                const uint32_t units = uint32_t(Align(r->data.size(), unit) >> shift);
                PutFields(f, {{at, 2, uint32_t(start >> shift)},
                              {at + 2, 2, units},
                              {at + 4, 2, 0x1030},
                              {at + 6, 2, field(n.key)}});
                at += 12;
            }
        }
    }
    return f;
}

} // namespace pictoform::test
