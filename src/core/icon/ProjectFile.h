#pragma once
// Pictoform's own file (.pfi): the whole layered document, so that work can
// be put away and taken up again as it was, where icon files keep only each
// format's final image.
//
// Layout, integers little-endian: an 8-byte signature, then chunks, each a
// four-letter type, a 32-bit length, that many bytes and a CRC-32 of type
// and bytes, as in PNG. "HEAD" comes first (version, number of formats, the
// kind Save writes), then per format a "FRMT" followed by its "LAYR" chunks
// bottom first, an optional "ANIM" (an animated cursor's order, times and
// texts), in a recovery copy a "path" (where the document came from) and
// "DONE" last. A later version adds chunks: one whose type starts
// with a small letter may be skipped by a reader that does not know it;
// any other unknown chunk, or a higher version, is refused as made by a
// newer Pictoform. Each layer's picture, at three times the format's size,
// is two PNGs: colour with alpha, and the coverage as grey.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "icon/IconFile.h"
#include "icon/IconFormat.h"

namespace pictoform {

// A layer as the project keeps it: the picture as shown (the committed one
// with any floating object on it) and whether it takes part in composing.
struct ProjectLayerRef {
    const CIconLayer* layer = nullptr;
    bool visible = true;
};
// A format with its layers, bottom first: the shown format's layers are
// held by the layers panel, not by the format.
struct ProjectFormatRef {
    const CIconFormat* format = nullptr;
    std::vector<ProjectLayerRef> layers;
};

// The references of formats that hold their own layers.
[[nodiscard]] ProjectFormatRef ProjectRefOf(const CIconFormat& format);
[[nodiscard]] std::vector<ProjectFormatRef>
ProjectRefsOf(const std::vector<std::unique_ptr<CIconFormat>>& formats);

struct ProjectDocument {
    std::vector<std::unique_ptr<CIconFormat>> formats;
    AnimationInfo animation;
    // What Save writes when the document is exported ("ico", "cur", "ani",
    // "xcursor"), or empty.
    std::string kind;
    // A recovery copy's document: the file it was opened from or saved to,
    // and the kind Save writes there; empty for a project saved as such.
    std::string originPath;
    std::string originKind;
};

[[nodiscard]] bool IsProjectData(std::span<const uint8_t> data);

[[nodiscard]] bool EncodeProject(std::span<const ProjectFormatRef> formats,
                                 const AnimationInfo& animation, const std::string& kind,
                                 std::vector<uint8_t>& out, std::string& reason,
                                 const std::string& originPath = {},
                                 const std::string& originKind = {});

// Makes the document's formats, their layers named and numbered as saved
// (the counter goes on after the highest "Layer N"), each format composed.
// False, with nothing made and a reason in words, for a file that is not a
// project, is damaged or cut short, was made by a newer version, or would
// need more memory than a document may take.
[[nodiscard]] bool DecodeProject(std::span<const uint8_t> data, LayerCounter& counter,
                                 ProjectDocument& out, std::string& reason);

} // namespace pictoform
