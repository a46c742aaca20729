#pragma once
// Little-endian numbers appended to bytes being made, as the file formats
// here store them; the counterpart of ByteReader.

#include <cstdint>
#include <vector>

namespace pictoform {

inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

} // namespace pictoform
