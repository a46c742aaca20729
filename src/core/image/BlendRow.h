#pragma once

#include <cstddef>
#include <cstdint>

namespace pictoform {

// to = (to * under + from * (256 - under)) >> 8 for each of the three colour
// bytes of each pixel, with under (0 to 256) given per pixel. The two
// pictures must not overlap.
void BlendRow(uint8_t* to, const uint8_t* from, const uint16_t* under, size_t pixels);

} // namespace pictoform
