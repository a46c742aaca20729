// The row loops of Composite and of the 3 x 3 reduction in the widest
// vectors the processor has. The blend: each pixel's weights, alpha and
// coverage from its strength in byte lanes, then its three colour bytes
// pulled apart into a vector per colour, blended in 16-bit lanes and put
// back. The reduction: a vector of blocks at a time, each sub-pixel of the
// blocks pulled into a vector of its own, summed in 16-bit lanes. And the
// split of 32-bit pixels into colour and alpha rows, and their join in PNG's
// order. And PNG's row filters with their scores, all five in one pass.
// Built for each instruction set and chosen when first called.

// Highway's debug checks (on under the sanitizers) report through its
// shared library, which is not linked; these lanes need none of them.
#ifndef HWY_IS_DEBUG_BUILD
#define HWY_IS_DEBUG_BUILD 0
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/PixelRows.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cstring>

#include "image/PixelRows.h"

#ifndef PICTOFORM_PIXEL_ROWS_PLAIN
#define PICTOFORM_PIXEL_ROWS_PLAIN
namespace pictoform {
namespace {

// For processors without the wide vectors, the same rules pixel by pixel.
void CompositeRowPlain(const CompositeRowArgs& row) {
    for (size_t i = 0; i < row.pixels; ++i) {
        const int a = row.fromCoverage && row.fromCoverage[i] == 0 ? 0 : row.strength[i];
        const bool keep = a == 0;
        const bool copy = !keep && !row.blendAlways && row.toCoverage[i] == 0;
        const int under = keep ? 256 : copy ? 0 : 255 - a;
        for (int c = 0; c < 3; ++c) {
            uint8_t& t = row.to[3 * i + c];
            t = static_cast<uint8_t>((t * under + row.from[3 * i + c] * (256 - under)) >> 8);
        }
        row.toAlpha[i] = copy ? static_cast<uint8_t>(a)
                              : static_cast<uint8_t>(std::min(row.toAlpha[i] + a, 255));
        if (!keep && (copy || row.blendAlways)) row.toCoverage[i] = 1;
    }
}

// Without the wide vectors every block is left to the caller.
void ReduceRowPlain(const ReduceRowArgs& row) {
    std::fill_n(row.pending, row.blocks, uint8_t{1});
}

// Pixels `first` to `pixels` of a row, one at a time; the vector loops
// finish their rows with these.
void SplitBgraFrom(size_t first, const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
    for (size_t i = first; i < pixels; ++i) {
        std::copy_n(bgra + 4 * i, 3, bgr + 3 * i);
        alpha[i] = bgra[4 * i + 3];
    }
}

void JoinRgbaFrom(size_t first, const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba,
                  size_t pixels) {
    for (size_t i = first; i < pixels; ++i) {
        rgba[4 * i] = bgr[3 * i + 2];
        rgba[4 * i + 1] = bgr[3 * i + 1];
        rgba[4 * i + 2] = bgr[3 * i];
        rgba[4 * i + 3] = alpha[i];
    }
}

void SplitBgraPlain(const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
    SplitBgraFrom(0, bgra, bgr, alpha, pixels);
}

void JoinRgbaPlain(const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba, size_t pixels) {
    JoinRgbaFrom(0, bgr, alpha, rgba, pixels);
}

// Sum of the bytes read as signed numbers, without their signs.
uint32_t Magnitudes(const uint8_t* bytes, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        const int8_t v = static_cast<int8_t>(bytes[i]);
        sum += static_cast<uint32_t>(v < 0 ? -v : v);
    }
    return sum;
}

// The row's first pixel, which has no left neighbour.
void FilterPngHead(const PngFilterRowArgs& row) {
    const uint8_t *cur = row.cur, *prev = row.prev;
    for (size_t i = 0; i < std::min(row.left, row.bytes); ++i) {
        row.out[0][i] = cur[i];
        row.out[1][i] = cur[i];
        row.out[2][i] = static_cast<uint8_t>(cur[i] - prev[i]);
        row.out[3][i] = static_cast<uint8_t>(cur[i] - (prev[i] >> 1));
        row.out[4][i] = static_cast<uint8_t>(cur[i] - prev[i]);
    }
}

// Bytes `first` to the end (`first` at least one pixel in) under the five
// filters, each a loop the compiler vectorises at the baseline; the vector
// loops finish their rows with these. The rows never overlap, and saying so
// spares the vectoriser its overlap checks.
void FilterPngFrom(const PngFilterRowArgs& row, size_t first) {
    const uint8_t* __restrict cur = row.cur;
    const uint8_t* __restrict prev = row.prev;
    uint8_t* __restrict none = row.out[0];
    uint8_t* __restrict sub = row.out[1];
    uint8_t* __restrict up = row.out[2];
    uint8_t* __restrict average = row.out[3];
    uint8_t* __restrict paeth = row.out[4];
    const size_t left = row.left, n = row.bytes;
    if (first < n) std::memcpy(none + first, cur + first, n - first);
    for (size_t i = first; i < n; ++i) sub[i] = static_cast<uint8_t>(cur[i] - cur[i - left]);
    for (size_t i = first; i < n; ++i) up[i] = static_cast<uint8_t>(cur[i] - prev[i]);
    for (size_t i = first; i < n; ++i)
        average[i] = static_cast<uint8_t>(cur[i] - ((cur[i - left] + prev[i]) >> 1));
    // In 16-bit lanes, which hold every sum and difference of the three bytes.
    for (size_t i = first; i < n; ++i) {
        const int16_t a = cur[i - left], b = prev[i], c = prev[i - left];
        const int16_t p = static_cast<int16_t>(a + b - c);
        const int16_t da = static_cast<int16_t>(p - a), db = static_cast<int16_t>(p - b),
                      dc = static_cast<int16_t>(p - c);
        const int16_t pa = da < 0 ? -da : da, pb = db < 0 ? -db : db, pc = dc < 0 ? -dc : dc;
        const int16_t predicted = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
        paeth[i] = static_cast<uint8_t>(cur[i] - predicted);
    }
}

void FilterPngPlain(const PngFilterRowArgs& row, uint32_t (&score)[5]) {
    FilterPngHead(row);
    FilterPngFrom(row, std::min(row.left, row.bytes));
    for (size_t f = 0; f < 5; ++f) score[f] = Magnitudes(row.out[f], row.bytes);
}

} // namespace
} // namespace pictoform
#endif

HWY_BEFORE_NAMESPACE();
namespace pictoform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void CompositeRowImpl(const CompositeRowArgs& row) {
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint16_t, decltype(d8)> d16;
    const hn::Half<decltype(d8)> half;
    using V8 = hn::Vec<decltype(d8)>;
    const size_t lanes = hn::Lanes(d8);
    const auto zero = hn::Zero(d8);
    const auto one = hn::Set(d8, uint8_t{1});
    const auto most = hn::Set(d8, uint8_t{255});
    const auto full = hn::Set(d16, uint16_t{256});
    // All lanes or none: whether an empty target takes a copy or a blend.
    const auto always = hn::FirstN(d8, row.blendAlways ? lanes : 0);
    const auto copyAllowed = hn::FirstN(d8, row.blendAlways ? 0 : lanes);
    // One vector's worth of pixels.
    const auto step = [&](uint8_t* HWY_RESTRICT to, uint8_t* HWY_RESTRICT toAlpha,
                          uint8_t* HWY_RESTRICT toCoverage, const uint8_t* HWY_RESTRICT from,
                          const uint8_t* HWY_RESTRICT strength,
                          const uint8_t* HWY_RESTRICT fromCoverage) {
        const auto a = fromCoverage ? hn::IfThenZeroElse(hn::Eq(hn::LoadU(d8, fromCoverage), zero),
                                                         hn::LoadU(d8, strength))
                                    : hn::LoadU(d8, strength);
        const auto alpha = hn::LoadU(d8, toAlpha);
        const auto coverage = hn::LoadU(d8, toCoverage);
        // A clear or uncovered source pixel leaves the target alone; over an
        // empty target it is copied (unless blendAlways); otherwise blended.
        const auto keep = hn::Eq(a, zero);
        const auto copy = hn::AndNot(keep, hn::And(hn::Eq(coverage, zero), copyAllowed));
        hn::StoreU(hn::IfThenElse(copy, a, hn::SaturatedAdd(alpha, a)), d8, toAlpha);
        const auto covered = hn::Or(copy, hn::AndNot(keep, always));
        hn::StoreU(hn::IfThenElse(covered, one, coverage), d8, toCoverage);
        // The weight of what lies under: 256 kept, 0 copied, 255 - a blended.
        const auto base = hn::IfThenZeroElse(copy, hn::Sub(most, a));
        const auto extra = hn::IfThenElseZero(keep, one);
        const auto underLow = hn::Add(hn::PromoteTo(d16, hn::LowerHalf(half, base)),
                                      hn::PromoteTo(d16, hn::LowerHalf(half, extra)));
        const auto underHigh = hn::Add(hn::PromoteTo(d16, hn::UpperHalf(half, base)),
                                       hn::PromoteTo(d16, hn::UpperHalf(half, extra)));
        const auto overLow = hn::Sub(full, underLow);
        const auto overHigh = hn::Sub(full, underHigh);
        V8 tb, tg, tr, fb, fg, fr;
        hn::LoadInterleaved3(d8, to, tb, tg, tr);
        hn::LoadInterleaved3(d8, from, fb, fg, fr);
        // At most 255 * 256 in all, so 16 bits hold the sum.
        const auto blend = [&](V8 t, V8 f) {
            const auto low = hn::ShiftRight<8>(
                hn::Add(hn::Mul(hn::PromoteTo(d16, hn::LowerHalf(half, t)), underLow),
                        hn::Mul(hn::PromoteTo(d16, hn::LowerHalf(half, f)), overLow)));
            const auto high = hn::ShiftRight<8>(
                hn::Add(hn::Mul(hn::PromoteTo(d16, hn::UpperHalf(half, t)), underHigh),
                        hn::Mul(hn::PromoteTo(d16, hn::UpperHalf(half, f)), overHigh)));
            return hn::ConcatEven(d8, hn::BitCast(d8, high), hn::BitCast(d8, low));
        };
        hn::StoreInterleaved3(blend(tb, fb), blend(tg, fg), blend(tr, fr), d8, to);
    };
    size_t i = 0;
    // The layer's planes are read once and come from memory; asking for
    // them a few hundred pixels ahead hides some of the wait. That is often
    // in the plane's next row, which the caller lays next: the address is
    // worked out as a number, since it may lie past this row (or past the
    // plane, where a prefetch does nothing).
    constexpr size_t kAhead = 512;
    const auto prefetch = [](const uint8_t* base, size_t offset) {
        __builtin_prefetch(
            reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(base) + offset));
    };
    for (; i + lanes <= row.pixels; i += lanes) {
        for (size_t byte = 0; byte < 3 * lanes; byte += 64)
            prefetch(row.from, 3 * (i + kAhead) + byte);
        prefetch(row.strength, i + kAhead);
        if (row.fromCoverage) prefetch(row.fromCoverage, i + kAhead);
        step(row.to + 3 * i, row.toAlpha + i, row.toCoverage + i, row.from + 3 * i,
             row.strength + i, row.fromCoverage ? row.fromCoverage + i : nullptr);
    }
    if (i == row.pixels) return;
    // The pixels left over (all of a short row, as a stroke's step makes)
    // go through one more vector, padded with clear pixels that change nothing.
    HWY_ALIGN uint8_t to[3 * HWY_MAX_BYTES] = {};
    HWY_ALIGN uint8_t from[3 * HWY_MAX_BYTES] = {};
    HWY_ALIGN uint8_t alpha[HWY_MAX_BYTES] = {};
    HWY_ALIGN uint8_t coverage[HWY_MAX_BYTES] = {};
    HWY_ALIGN uint8_t strength[HWY_MAX_BYTES] = {};
    const size_t rest = row.pixels - i;
    std::copy_n(row.to + 3 * i, 3 * rest, to);
    std::copy_n(row.from + 3 * i, 3 * rest, from);
    std::copy_n(row.toAlpha + i, rest, alpha);
    std::copy_n(row.toCoverage + i, rest, coverage);
    std::copy_n(row.strength + i, rest, strength);
    // An uncovered pixel's strength counts for nothing, so the padding's too.
    if (row.fromCoverage) {
        for (size_t k = 0; k < rest; ++k)
            if (row.fromCoverage[i + k] == 0) strength[k] = 0;
    }
    step(to, alpha, coverage, from, strength, nullptr);
    std::copy_n(to, 3 * rest, row.to + 3 * i);
    std::copy_n(alpha, rest, row.toAlpha + i);
    std::copy_n(coverage, rest, row.toCoverage + i);
#else
    CompositeRowPlain(row);
#endif
}

void ReduceRowImpl(const ReduceRowArgs& row) {
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint16_t, decltype(d8)> d16;
    const hn::Half<decltype(d8)> half;
    using V8 = hn::Vec<decltype(d8)>;
    using V16 = hn::Vec<decltype(d16)>;
    const size_t lanes = hn::Lanes(d8);
    const auto zero = hn::Zero(d8);
    const auto one = hn::Set(d8, uint8_t{1});
    const auto white = hn::Set(d8, uint8_t{255});
    const auto sixteen = hn::Set(d8, uint8_t{16});
    // The colour of a vector's worth of blocks, one colour at a time, so
    // that each can be pulled apart by sub-pixel like the other planes.
    HWY_ALIGN uint8_t planes[3][3 * HWY_MAX_BYTES];
    // The weighted sum of one plane's row: 1 2 1 across, in 16-bit lanes.
    struct Sum {
        V16 low, high;
    };
    const auto across = [&](V8 left, V8 middle, V8 right) {
        const auto widen = [&](V8 v) {
            return Sum{hn::PromoteTo(d16, hn::LowerHalf(half, v)),
                       hn::PromoteTo(d16, hn::UpperHalf(half, v))};
        };
        const Sum l = widen(left), m = widen(middle), r = widen(right);
        return Sum{hn::Add(hn::Add(l.low, r.low), hn::Add(m.low, m.low)),
                   hn::Add(hn::Add(l.high, r.high), hn::Add(m.high, m.high))};
    };
    // Rows weighted 1 2 1 down; a sum over 16 at most 255 * 16, so 16 bits
    // hold it, and the sum over 16 goes back to bytes.
    const auto down = [&](const Sum(&s)[3]) {
        const auto shrink = [&](V16 top, V16 middle, V16 bottom) {
            return hn::ShiftRight<4>(hn::Add(hn::Add(top, bottom), hn::Add(middle, middle)));
        };
        const V16 low = shrink(s[0].low, s[1].low, s[2].low);
        const V16 high = shrink(s[0].high, s[1].high, s[2].high);
        return hn::ConcatEven(d8, hn::BitCast(d8, high), hn::BitCast(d8, low));
    };
    size_t x = 0;
    for (; x + lanes <= row.blocks; x += lanes) {
        Sum colour[3][3], alpha[3]; // [colour][row], [row]
        V8 weight = zero, anyAlpha = zero, cover = zero;
        for (int j = 0; j < 3; ++j) {
            V8 c0, c1, c2, a0, a1, a2;
            hn::LoadInterleaved3(d8, row.coverage[j] + 3 * x, c0, c1, c2);
            hn::LoadInterleaved3(d8, row.alpha[j] + 3 * x, a0, a1, a2);
            cover = hn::Or(cover, hn::Or(hn::Or(c0, c1), c2));
            const auto covered0 = hn::Ne(c0, zero);
            const auto covered1 = hn::Ne(c1, zero);
            const auto covered2 = hn::Ne(c2, zero);
            const V8 rowWeight = hn::Add(hn::Add(c0, c2), hn::Add(c1, c1));
            weight = hn::Add(weight, j == 1 ? hn::Add(rowWeight, rowWeight) : rowWeight);
            a0 = hn::IfThenElseZero(covered0, a0);
            a1 = hn::IfThenElseZero(covered1, a1);
            a2 = hn::IfThenElseZero(covered2, a2);
            anyAlpha = hn::Or(anyAlpha, hn::Or(hn::Or(a0, a1), a2));
            alpha[j] = across(a0, a1, a2);
            for (int k = 0; k < 3; ++k) {
                V8 b, g, r;
                hn::LoadInterleaved3(d8, row.colour[j] + 9 * x + 3 * lanes * k, b, g, r);
                hn::Store(b, d8, planes[0] + lanes * k);
                hn::Store(g, d8, planes[1] + lanes * k);
                hn::Store(r, d8, planes[2] + lanes * k);
            }
            for (int c = 0; c < 3; ++c) {
                V8 p0, p1, p2;
                hn::LoadInterleaved3(d8, planes[c], p0, p1, p2);
                colour[c][j] =
                    across(hn::IfThenElseZero(covered0, p0), hn::IfThenElseZero(covered1, p1),
                           hn::IfThenElseZero(covered2, p2));
            }
        }
        const auto whole = hn::And(hn::Eq(weight, sixteen), hn::Ne(anyAlpha, zero));
        const auto clear = hn::Or(hn::Eq(weight, zero), hn::Eq(anyAlpha, zero));
        // Coverage above 1 weighs more than these sums allow for.
        const auto above = hn::Ne(hn::AndNot(one, cover), zero);
        const auto pending = hn::Or(above, hn::Not(hn::Or(whole, clear)));
        hn::StoreU(hn::IfThenElseZero(pending, one), d8, row.pending + x);
        hn::StoreU(hn::IfThenElseZero(whole, one), d8, row.toCoverage + x);
        hn::StoreU(hn::IfThenElseZero(whole, down(alpha)), d8, row.toAlpha + x);
        hn::StoreInterleaved3(hn::IfThenElse(whole, down(colour[0]), white),
                              hn::IfThenElse(whole, down(colour[1]), white),
                              hn::IfThenElse(whole, down(colour[2]), white), d8, row.to + 3 * x);
    }
    std::fill_n(row.pending + x, row.blocks - x, uint8_t{1});
#else
    ReduceRowPlain(row);
#endif
}

void SplitBgraImpl(const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
    size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const size_t lanes = hn::Lanes(d8);
    for (; i + lanes <= pixels; i += lanes) {
        hn::Vec<decltype(d8)> b, g, r, a;
        hn::LoadInterleaved4(d8, bgra + 4 * i, b, g, r, a);
        hn::StoreInterleaved3(b, g, r, d8, bgr + 3 * i);
        hn::StoreU(a, d8, alpha + i);
    }
#endif
    SplitBgraFrom(i, bgra, bgr, alpha, pixels);
}

void JoinRgbaImpl(const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba, size_t pixels) {
    size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const size_t lanes = hn::Lanes(d8);
    for (; i + lanes <= pixels; i += lanes) {
        hn::Vec<decltype(d8)> b, g, r;
        hn::LoadInterleaved3(d8, bgr + 3 * i, b, g, r);
        hn::StoreInterleaved4(r, g, b, hn::LoadU(d8, alpha + i), d8, rgba + 4 * i);
    }
#endif
    JoinRgbaFrom(i, bgr, alpha, rgba, pixels);
}

// The vector part's Paeth works in bytes: with pa = |b - c| and
// pb = |a - c|, pc = |(a - c) + (b - c)| is pa + pb where the two
// differences share a sign and |pa - pb| where they do not; a sum past 255
// is held at 255, which still orders it after pa and pb as before. A row's
// last bytes are one more vector that ends with the row, overlapping the
// one before: filtering them again writes the same bytes, and the lanes
// already counted are left out of the scores.
void FilterPngImpl(const PngFilterRowArgs& row, uint32_t (&score)[5]) {
    FilterPngHead(row);
    const size_t first = std::min(row.left, row.bytes), n = row.bytes;
    size_t i = first;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint64_t, decltype(d8)> d64;
    using V64 = hn::Vec<decltype(d64)>;
    const size_t lanes = hn::Lanes(d8);
    const auto zero = hn::Zero(d8);
    V64 sums[5] = {hn::Zero(d64), hn::Zero(d64), hn::Zero(d64), hn::Zero(d64), hn::Zero(d64)};
    const auto filterAt = [&](size_t at, size_t counted) {
        const auto x = hn::LoadU(d8, row.cur + at);
        const auto a = hn::LoadU(d8, row.cur + at - row.left);
        const auto b = hn::LoadU(d8, row.prev + at);
        const auto c = hn::LoadU(d8, row.prev + at - row.left);
        const auto pa = hn::Or(hn::SaturatedSub(b, c), hn::SaturatedSub(c, b));
        const auto pb = hn::Or(hn::SaturatedSub(a, c), hn::SaturatedSub(c, a));
        const auto aAbove = hn::VecFromMask(d8, hn::Eq(hn::Max(a, c), a));
        const auto bAbove = hn::VecFromMask(d8, hn::Eq(hn::Max(b, c), b));
        const auto pc = hn::IfThenElse(hn::Eq(aAbove, bAbove), hn::SaturatedAdd(pa, pb),
                                       hn::Or(hn::SaturatedSub(pa, pb), hn::SaturatedSub(pb, pa)));
        const auto takeA = hn::And(hn::Eq(hn::Min(pa, pb), pa), hn::Eq(hn::Min(pa, pc), pa));
        const auto takeB = hn::Eq(hn::Min(pb, pc), pb);
        const hn::Vec<decltype(d8)> filtered[5] = {
            x, hn::Sub(x, a), hn::Sub(x, b),
            hn::Sub(x, hn::Add(hn::And(a, b), hn::ShiftRight<1>(hn::Xor(a, b)))),
            hn::Sub(x, hn::IfThenElse(takeA, a, hn::IfThenElse(takeB, b, c)))};
        const auto skipped = hn::FirstN(d8, lanes - counted);
        for (size_t f = 0; f < 5; ++f) {
            hn::StoreU(filtered[f], d8, row.out[f] + at);
            // A byte's magnitude as a signed number: the smaller of it and its negation.
            const auto magnitude = hn::Min(filtered[f], hn::Sub(zero, filtered[f]));
            sums[f] = hn::Add(sums[f], hn::SumsOf8(hn::IfThenZeroElse(skipped, magnitude)));
        }
    };
    for (; i + lanes <= n; i += lanes) filterAt(i, lanes);
    if (i < n && n - first >= lanes) {
        filterAt(n - lanes, n - i);
        i = n;
    }
    for (size_t f = 0; f < 5; ++f) {
        score[f] = static_cast<uint32_t>(hn::GetLane(hn::SumOfLanes(d64, sums[f])));
    }
#else
    for (uint32_t& s : score) s = 0;
#endif
    FilterPngFrom(row, i);
    for (size_t f = 0; f < 5; ++f) {
        score[f] += Magnitudes(row.out[f], first) + Magnitudes(row.out[f] + i, n - i);
    }
}

} // namespace HWY_NAMESPACE
} // namespace pictoform
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#if HWY_ARCH_X86
// The header's inline readers are C and return C's _Bool, which GCC takes
// in C++ and clang does not (its own stdbool.h maps it to bool only for GNU
// dialects); mapped the same way here, for this header alone.
#if defined(__clang__) && !defined(_Bool)
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool
#else
#include <sys/platform/x86.h>
#endif
#endif

namespace pictoform {

namespace {

struct RowFunctions {
    void (*composite)(const CompositeRowArgs&);
    void (*reduce)(const ReduceRowArgs&);
    void (*splitBgra)(const uint8_t*, uint8_t*, uint8_t*, size_t);
    void (*joinRgba)(const uint8_t*, const uint8_t*, uint8_t*, size_t);
    void (*filterPng)(const PngFilterRowArgs&, uint32_t (&)[5]);
};

// Chosen here rather than by Highway's own dispatch, which lives in its
// shared library and would bring the shared C++ library into the command
// line tool's start-up. The C library has already asked the processor (and
// the kernel, for the wide registers' state); asking again costs several
// microseconds a question in a virtual machine, at every start of the tool.
RowFunctions ChooseRows() {
#if HWY_TARGETS & HWY_AVX3
    if (CPU_FEATURE_ACTIVE(AVX512F) && CPU_FEATURE_ACTIVE(AVX512BW) &&
        CPU_FEATURE_ACTIVE(AVX512DQ) && CPU_FEATURE_ACTIVE(AVX512VL)) {
        return {&N_AVX3::CompositeRowImpl, &N_AVX3::ReduceRowImpl, &N_AVX3::SplitBgraImpl,
                &N_AVX3::JoinRgbaImpl, &N_AVX3::FilterPngImpl};
    }
#endif
#if HWY_TARGETS & HWY_AVX2
    if (CPU_FEATURE_ACTIVE(AVX2) && CPU_FEATURE_ACTIVE(BMI2) && CPU_FEATURE_ACTIVE(FMA) &&
        CPU_FEATURE_ACTIVE(F16C)) {
        return {&N_AVX2::CompositeRowImpl, &N_AVX2::ReduceRowImpl, &N_AVX2::SplitBgraImpl,
                &N_AVX2::JoinRgbaImpl, &N_AVX2::FilterPngImpl};
    }
#endif
    return {&CompositeRowPlain, &ReduceRowPlain, &SplitBgraPlain, &JoinRgbaPlain, &FilterPngPlain};
}

const RowFunctions& Chosen() {
    static const RowFunctions chosen = ChooseRows();
    return chosen;
}

} // namespace

void CompositeRow(const CompositeRowArgs& row) {
    Chosen().composite(row);
}

void ReduceRow(const ReduceRowArgs& row) {
    Chosen().reduce(row);
}

void SplitBgraRow(const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
    Chosen().splitBgra(bgra, bgr, alpha, pixels);
}

void JoinRgbaRow(const uint8_t* bgr, const uint8_t* alpha, uint8_t* rgba, size_t pixels) {
    Chosen().joinRgba(bgr, alpha, rgba, pixels);
}

void FilterPngRow(const PngFilterRowArgs& row, uint32_t (&score)[5]) {
    Chosen().filterPng(row, score);
}

} // namespace pictoform
#endif
