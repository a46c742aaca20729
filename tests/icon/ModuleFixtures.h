#pragma once
// Programs and libraries for the module tests: PE and NE modules written byte
// by byte here, libraries that the MinGW-w64 resource compiler and linker
// build, and what wrestool and icotool make of them.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "icon/IconImageRec.h"
#include "icon/ModuleResources.h"
#include "support/Pictures.h"
#include "support/TestSupport.h"

namespace pictoform::test {

// Known pixels for the writer (top row first): at most 200 colours plus
// black holes for 256, 14 plus holes for 16, black and white for 2, every
// pixel its own colour for 24 and 32, and for 32 a spread of opacities that
// includes 0 and 255.
IconImageRec Pattern(int width, int height, int32_t depth, uint32_t seed);
// The picture as a PNG file's bytes, by our encoder.
std::vector<uint8_t> PngBytes(const Picture& picture);
// An icon file (a cursor file with kWriteCursor) of these images, written by our writer.
std::vector<uint8_t> IcoBytes(const std::vector<IconImageRec>& images, unsigned flags = 0);

// The 32 x 32 BGRA picture that previews and the shell show of a source
// record (top row first): each pixel the nearest source pixel, fully
// transparent ones all zero.
std::vector<uint8_t> Preview32(const IconImageRec& src);

// One image of an icon file as a module holds it: the group entry's fields
// and the bytes of the icon resource.
struct IcoImage {
    uint8_t width = 0, height = 0, colourCount = 0;
    uint16_t planes = 0, bitCount = 0;
    std::vector<uint8_t> data;
};
std::vector<IcoImage> SplitIco(const std::vector<uint8_t>& ico);
// Group icon data that lists the images under identifiers firstId, firstId + 1, ...
std::vector<uint8_t> GroupData(const std::vector<IcoImage>& images, uint16_t firstId,
                               uint16_t type = 1);

struct Resource {
    ResourceName type;
    ResourceName name;
    uint16_t language = 1033;
    std::vector<uint8_t> data;
};
// Group 1 whose `entries` entries all name icon 1, one 256 x 256 true-colour
// image: the module stays small whatever the group decodes to.
std::vector<Resource> GroupOfOneIcon(size_t entries);
// Adds the icon file as group `name` and its images as icons nextId, nextId + 1, ...
void AddIconGroup(std::vector<Resource>& resources, const ResourceName& name,
                  const std::vector<uint8_t>& ico, uint16_t& nextId);

struct BuiltPe {
    std::vector<uint8_t> bytes;
    size_t sectionTable = 0; // file offset of the section table
    size_t resourceRoot = 0; // file offset of the root resource directory
};
// A PE32 or PE32+ library with one section, ".rsrc". Types, names and
// languages keep the order of first appearance, except that each directory
// lists its string names before its identifiers, as the format requires.
BuiltPe BuildPe(bool pe32Plus, const std::vector<Resource>& resources);
// Little-endian fields written into built bytes (to damage them on purpose, too).
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v);
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v);
// An NE library; types in order of first appearance, resources in the order given.
std::vector<uint8_t> BuildNe(const std::vector<Resource>& resources, uint16_t alignmentShift = 4);

// A resource-only library of `bits` bits made by windres and ld from icon
// files, one ICON statement per entry. Returns its path, empty on failure.
struct RcIcon {
    std::string name; // "5" or "APPICON"
    std::string icoPath;
};
std::string BuildDll(const TempDir& dir, int bits, const std::vector<RcIcon>& icons,
                     const std::string& stem);

struct WrestoolEntry {
    std::string type; // "14"
    std::string name; // "5", or "APPICON" for a named resource
    size_t size = 0;
};
std::vector<WrestoolEntry> WrestoolList(const std::string& module);
// The group's images as wrestool extracts the group and icotool decodes it.
std::vector<Picture> WrestoolGroupPictures(const TempDir& dir, const std::string& module,
                                           const std::string& group);

// The sample icons of the module tests, in the fixed order: a named group
// "APPICON" (24 x 24 true colour, 16 x 16 monochrome), group 5 (16 x 16 and
// 32 x 32, each in 256 colours and 32 bits), group 7 (48 x 48 32 bits,
// 16 x 16 16 colours) and group 200 (one 256 x 256 PNG image).
struct SampleGroup {
    std::string name;
    std::vector<IconImageRec> sources; // top row first
    bool png = false;
};
const std::vector<SampleGroup>& SampleGroups();
// The sample groups as resources of a module we write ourselves, the named
// one left out unless asked for; the PNG image is stored compressed by our writer.
std::vector<Resource> SampleResources(bool named);

// The sample groups in a library built by windres and ld (the PNG one
// through icotool). Built once per run; empty paths when a tool is missing or
// failed. `icons` are the icon files the groups were made from, in the order
// of the groups.
struct SampleLibraries {
    std::string full;
    std::vector<std::string> icons;
};
const SampleLibraries& MinGwLibraries(int bits);

} // namespace pictoform::test
