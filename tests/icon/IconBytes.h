#pragma once
// Building icon files byte by byte, for the reader tests.

#include <cstdint>
#include <vector>

namespace pictoform::test {

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& U8(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& Raw(const std::vector<uint8_t>& more) {
        b.insert(b.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& Zeros(size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
    void PutU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
    size_t Size() const { return b.size(); }
};

inline Bytes& IconHeader(Bytes& f, uint16_t type, uint16_t count) {
    return f.U16(0).U16(type).U16(count);
}

inline Bytes& Entry(Bytes& f, uint8_t w, uint8_t h, uint8_t colours, uint16_t planes, uint16_t bits,
                    uint32_t bytes, uint32_t offset) {
    return f.U8(w).U8(h).U8(colours).U8(0).U16(planes).U16(bits).U32(bytes).U32(offset);
}

inline Bytes& BitmapHeader(Bytes& f, int32_t w, int32_t h, uint16_t bits, uint32_t size = 40) {
    f.U32(size).U32(static_cast<uint32_t>(w)).U32(static_cast<uint32_t>(h * 2)).U16(1).U16(bits);
    return f.Zeros(size - 16);
}

} // namespace pictoform::test
