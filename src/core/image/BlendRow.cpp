// The colour blend of Composite across a row, in the widest vectors the
// processor has: each pixel's three bytes are pulled apart into a vector per
// colour, blended in 16-bit lanes with that pixel's weight, and put back.
// Built for each instruction set and chosen when first called.

// Highway's debug checks (on under the sanitizers) report through its
// shared library, which is not linked; the blend's lanes need none of them.
#ifndef HWY_IS_DEBUG_BUILD
#define HWY_IS_DEBUG_BUILD 0
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/BlendRow.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>

#include "image/BlendRow.h"

#ifndef PICTOFORM_BLEND_ROW_PLAIN
#define PICTOFORM_BLEND_ROW_PLAIN
namespace pictoform {
namespace {

// For processors without the wide vectors.
void BlendRowPlain(uint8_t* to, const uint8_t* from, const uint16_t* under, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i) {
        const int w = under[i];
        for (int c = 0; c < 3; ++c) {
            uint8_t& t = to[3 * i + c];
            t = static_cast<uint8_t>((t * w + from[3 * i + c] * (256 - w)) >> 8);
        }
    }
}

} // namespace
} // namespace pictoform
#endif

HWY_BEFORE_NAMESPACE();
namespace pictoform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void BlendRowImpl(uint8_t* HWY_RESTRICT to, const uint8_t* HWY_RESTRICT from,
                  const uint16_t* HWY_RESTRICT under, size_t pixels) {
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint16_t, decltype(d8)> d16;
    const hn::Half<decltype(d8)> half;
    using V8 = hn::Vec<decltype(d8)>;
    const size_t lanes = hn::Lanes(d8);
    const size_t halfLanes = hn::Lanes(d16);
    const auto full = hn::Set(d16, uint16_t{256});
    // One vector's worth of pixels.
    const auto step = [&](uint8_t* HWY_RESTRICT t8, const uint8_t* HWY_RESTRICT f8,
                          const uint16_t* HWY_RESTRICT w) {
        V8 tb, tg, tr, fb, fg, fr;
        hn::LoadInterleaved3(d8, t8, tb, tg, tr);
        hn::LoadInterleaved3(d8, f8, fb, fg, fr);
        const auto underLow = hn::LoadU(d16, w);
        const auto underHigh = hn::LoadU(d16, w + halfLanes);
        const auto overLow = hn::Sub(full, underLow);
        const auto overHigh = hn::Sub(full, underHigh);
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
        hn::StoreInterleaved3(blend(tb, fb), blend(tg, fg), blend(tr, fr), d8, t8);
    };
    size_t i = 0;
    for (; i + lanes <= pixels; i += lanes) step(to + 3 * i, from + 3 * i, under + i);
    if (i == pixels) return;
    // The pixels left over (all of a short row, as a stroke's step makes)
    // go through one more vector, padded with pixels that keep their colour.
    HWY_ALIGN uint8_t t8[3 * HWY_MAX_BYTES] = {};
    HWY_ALIGN uint8_t f8[3 * HWY_MAX_BYTES] = {};
    HWY_ALIGN uint16_t w[HWY_MAX_BYTES];
    const size_t rest = pixels - i;
    std::copy_n(to + 3 * i, 3 * rest, t8);
    std::copy_n(from + 3 * i, 3 * rest, f8);
    std::copy_n(under + i, rest, w);
    std::fill(w + rest, w + lanes, uint16_t{256});
    step(t8, f8, w);
    std::copy_n(t8, 3 * rest, to + 3 * i);
#else
    BlendRowPlain(to, from, under, pixels);
#endif
}

} // namespace HWY_NAMESPACE
} // namespace pictoform
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#if HWY_ARCH_X86
#include <cpuid.h>
#endif

namespace pictoform {

namespace {

using BlendFunction = void (*)(uint8_t*, const uint8_t*, const uint16_t*, size_t);

#if HWY_TARGETS & HWY_AVX2
// Half-float conversion, which Highway's AVX2 code may use; not every
// compiler's cpu check knows its name.
bool HasF16c() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & bit_F16C) != 0;
}
#endif

// Chosen here rather than by Highway's own dispatch, which lives in its
// shared library and would bring the shared C++ library into the command
// line tool's start-up.
BlendFunction ChooseBlend() {
    __builtin_cpu_init();
#if HWY_TARGETS & HWY_AVX3
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
        return &N_AVX3::BlendRowImpl;
    }
#endif
#if HWY_TARGETS & HWY_AVX2
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
        __builtin_cpu_supports("fma") && HasF16c()) {
        return &N_AVX2::BlendRowImpl;
    }
#endif
    return &BlendRowPlain;
}

} // namespace

void BlendRow(uint8_t* to, const uint8_t* from, const uint16_t* under, size_t pixels) {
    static const BlendFunction chosen = ChooseBlend();
    chosen(to, from, under, pixels);
}

} // namespace pictoform
#endif
