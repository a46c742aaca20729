// One row of Composite in the widest vectors the processor has: each
// pixel's weights, alpha and coverage from its strength in byte lanes, then
// its three colour bytes pulled apart into a vector per colour, blended in
// 16-bit lanes and put back. Built for each instruction set and chosen when
// first called.

// Highway's debug checks (on under the sanitizers) report through its
// shared library, which is not linked; these lanes need none of them.
#ifndef HWY_IS_DEBUG_BUILD
#define HWY_IS_DEBUG_BUILD 0
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/CompositeRow.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>

#include "image/CompositeRow.h"

#ifndef PICTOFORM_COMPOSITE_ROW_PLAIN
#define PICTOFORM_COMPOSITE_ROW_PLAIN
namespace pictoform {
namespace {

// For processors without the wide vectors, the same rules pixel by pixel.
void CompositeRowPlain(const CompositeRowArgs& row) {
    for (size_t i = 0; i < row.pixels; ++i) {
        const int a = row.strength[i];
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
                          const uint8_t* HWY_RESTRICT strength) {
        const auto a = hn::LoadU(d8, strength);
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
    for (; i + lanes <= row.pixels; i += lanes) {
        step(row.to + 3 * i, row.toAlpha + i, row.toCoverage + i, row.from + 3 * i,
             row.strength + i);
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
    step(to, alpha, coverage, from, strength);
    std::copy_n(to, 3 * rest, row.to + 3 * i);
    std::copy_n(alpha, rest, row.toAlpha + i);
    std::copy_n(coverage, rest, row.toCoverage + i);
#else
    CompositeRowPlain(row);
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

using RowFunction = void (*)(const CompositeRowArgs&);

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
RowFunction ChooseRow() {
    __builtin_cpu_init();
#if HWY_TARGETS & HWY_AVX3
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
        return &N_AVX3::CompositeRowImpl;
    }
#endif
#if HWY_TARGETS & HWY_AVX2
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
        __builtin_cpu_supports("fma") && HasF16c()) {
        return &N_AVX2::CompositeRowImpl;
    }
#endif
    return &CompositeRowPlain;
}

} // namespace

void CompositeRow(const CompositeRowArgs& row) {
    static const RowFunction chosen = ChooseRow();
    chosen(row);
}

} // namespace pictoform
#endif
