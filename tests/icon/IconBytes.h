#pragma once
// Building icon files and animated cursors byte by byte, for the reader tests.

#include <cstdint>
#include <string>
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

using Blob = std::vector<uint8_t>;

inline void PutU32At(Blob& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline Blob Cat(const std::vector<Blob>& parts) {
    Blob out;
    for (const Blob& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Blob Values(const std::vector<uint32_t>& values) {
    Bytes b;
    for (uint32_t v : values) b.U32(v);
    return b.b;
}

// A RIFF chunk; `pad` adds the byte that evens out an odd body, which some
// writers leave out.
inline Blob Chunk(const std::string& id, const Blob& body, bool pad = true) {
    Bytes c;
    c.Raw(Blob(id.begin(), id.end())).U32(static_cast<uint32_t>(body.size())).Raw(body);
    if (pad && (body.size() & 1)) c.U8(0);
    return c.b;
}

inline Blob Riff(const std::vector<Blob>& chunks) {
    const Blob body = Cat(chunks);
    Bytes f;
    f.Raw({'R', 'I', 'F', 'F'}).U32(static_cast<uint32_t>(body.size() + 4));
    return f.Raw({'A', 'C', 'O', 'N'}).Raw(body).b;
}

} // namespace pictoform::test
