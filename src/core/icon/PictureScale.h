#pragma once
// Scaling pictures into icon sizes.

#include <vector>

#include "icon/IconImageRec.h"
#include "image/BgraPicture.h"

namespace pictoform {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// Whether the picture has a size and exactly the bytes that size needs.
[[nodiscard]] bool IsWhole(const BgraPicture& picture);

// The size a width x height picture takes inside a side x side square with
// its shape kept: the longer side fills the square, the other is rounded
// and at least 1.
[[nodiscard]] PictureSize FitSize(int width, int height, int side);

// The picture scaled to width x height: each new pixel averages the part of
// the picture it covers, weighted by alpha, so that transparent pixels lend
// no colour to the edges they meet. Empty for a picture that is not whole.
[[nodiscard]] BgraPicture ScalePicture(const BgraPicture& picture, int width, int height);

// The picture placed in the middle of a transparent side x side square,
// without scaling (a picture larger than the square is cut). Empty for a
// picture that is not whole.
[[nodiscard]] BgraPicture CentreInSquare(const BgraPicture& picture, int side);

// The image of a decoded file to make a side x side picture from: the
// smallest at least as large as the side, else the largest; of those, the
// deepest. Null when none is usable. Listed records (sizes without planes)
// are taken as they are.
[[nodiscard]] const IconImageRec* NearestImage(const std::vector<IconImageRec>& images, int side,
                                               bool listed = false);

} // namespace pictoform
