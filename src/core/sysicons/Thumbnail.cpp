#include "sysicons/Thumbnail.h"

#include <algorithm>

#include "icon/IconFile.h"
#include "icon/ModuleIcons.h"
#include "icon/PictureScale.h"
#include "icon/PngCodec.h"
#include "sysicons/DesktopShell.h"

namespace pictoform {

namespace {

// Pictures handed in as they are may be larger than any icon.
constexpr int32_t kMaxPictureSide = 4096;

} // namespace

bool ReadPictureForSide(std::span<const uint8_t> bytes, int group, int side, BgraPicture& out,
                        std::string& reason) {
    out = {};
    if (side < 1) {
        reason = "the size must be at least one pixel";
        return false;
    }
    if (HasPngSignature(bytes)) {
        if (group == 0) return DecodePng(bytes, kMaxPictureSide, out, reason);
        reason = "a PNG picture holds no icon groups";
        return false;
    }
    const bool module = IsModuleData(bytes);
    if (!module && group != 0) {
        reason = "only a program holds icon groups";
        return false;
    }
    // Listed first, so that choosing costs no decoding and only the image
    // chosen is decoded.
    CIconFile file;
    if (!(module ? file.ListModuleIconData(bytes, group) : file.ListIconData(bytes))) {
        reason = file.LastError();
        return false;
    }
    const std::vector<IconImageRec>& listed = file.Images();
    if (listed.empty()) {
        reason = "it holds no images";
        return false;
    }
    size_t chosen = 0;
    if (IsAnimatedCursorData(bytes)) {
        std::vector<int32_t> times;
        for (const IconImageRec& rec : listed) times.push_back(rec.frameTime);
        chosen = AnimationSteps(times, file.Animation()).front().frame;
    } else {
        chosen = static_cast<size_t>(NearestImage(listed, side, true) - listed.data());
    }
    if (!(module ? file.LoadModuleIconImage(bytes, group, chosen)
                 : file.ReadIconImage(bytes, chosen))) {
        reason = file.LastError();
        return false;
    }
    const IconImageRec& rec = file.Images()[chosen];
    if (!rec.IsConsistent()) {
        reason = "its image " + std::to_string(chosen) + " cannot be read";
        return false;
    }
    out = {rec.width, rec.height, BgraOfRecord(rec)};
    return true;
}

bool MakeThumbnail(std::span<const uint8_t> bytes, int side, BgraPicture& out,
                   std::string& reason) {
    BgraPicture picture;
    if (!ReadPictureForSide(bytes, 0, side, picture, reason)) return false;
    if (std::max(picture.width, picture.height) <= side) {
        out = std::move(picture);
        return true;
    }
    const PictureSize fitted = FitSize(picture.width, picture.height, side);
    out = ScalePicture(picture, fitted.width, fitted.height);
    return true;
}

} // namespace pictoform
