#include "core/calc/filter.h"

#include "core/util/numeric.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vro {

namespace {

// The sliding phase goes in blocks: first the running sums and counts of a
// block (a chain of additions), then its quotients, which are independent
// and so go through vector division (the division and the rounding call
// are most of the time of a sample otherwise).
constexpr std::size_t kBlock = 512;

// dest[k] = sum[k] / valid[k] rounded half to even, or the no-value marker
// where valid[k] is 0.
void QuotientsPlain(const double* sum, const std::int32_t* valid, std::size_t n, std::int32_t* dest,
                    std::int32_t noValue)
{
    for (std::size_t k = 0; k < n; ++k)
        dest[k] = valid[k] > 0 ? static_cast<std::int32_t>(RoundHalfEven(sum[k] / valid[k])) : noValue;
}

#if defined(__x86_64__)
// The same four at a time. The conversion rounds in the processor's
// rounding mode, which is to nearest with halves to even as for nearbyint;
// a mean of 32-bit values always fits.
__attribute__((target("avx2"))) void QuotientsAvx2(const double* sum, const std::int32_t* valid, std::size_t n,
                                                   std::int32_t* dest, std::int32_t noValue)
{
    const __m128i one = _mm_set1_epi32(1), zero = _mm_setzero_si128(), marker = _mm_set1_epi32(noValue);
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(valid + k));
        const __m256d q = _mm256_div_pd(_mm256_loadu_pd(sum + k), _mm256_cvtepi32_pd(_mm_max_epi32(v, one)));
        const __m128i r = _mm_blendv_epi8(_mm256_cvtpd_epi32(q), marker, _mm_cmpeq_epi32(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + k), r);
    }
    QuotientsPlain(sum + k, valid + k, n - k, dest + k, noValue);
}
#endif

void Quotients(const double* sum, const std::int32_t* valid, std::size_t n, std::int32_t* dest, std::int32_t noValue)
{
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return QuotientsAvx2(sum, valid, n, dest, noValue);
#endif
    QuotientsPlain(sum, valid, n, dest, noValue);
}

} // namespace

std::int32_t TFilter::EffectiveWidth(std::int32_t requested, std::int64_t count)
{
    std::int64_t w = std::clamp<std::int64_t>(requested, 5, kMaxWidth);
    if (w >= count - 1)
        w = count - 2;
    return static_cast<std::int32_t>(std::max<std::int64_t>(w, 0));
}

std::int32_t TFilter::SliderWidth(int position)
{
    return static_cast<std::int32_t>(RoundHalfEven(std::pow(position / 10.0, 10)));
}

void TFilter::Apply(std::span<const std::int32_t> source, std::int32_t width, std::span<std::int32_t> dest)
{
    if (dest.size() != source.size())
        throw std::invalid_argument("filter destination size differs from its source");
    const std::int64_t count = static_cast<std::int64_t>(source.size());
    const std::int64_t h = EffectiveWidth(width, count) / 2;
    std::int64_t sum = 0;
    std::int64_t valid = 0;
    auto add = [&](std::int64_t k) {
        const std::int32_t v = source[static_cast<std::size_t>(k)];
        if (v != kNoValue) {
            sum += v;
            ++valid;
        }
    };
    auto remove = [&](std::int64_t k) {
        const std::int32_t v = source[static_cast<std::size_t>(k)];
        if (v != kNoValue) {
            sum -= v;
            --valid;
        }
    };
    auto store = [&](std::int64_t i) {
        // |sum| <= 2^31 * 2^20 < 2^53: the quotient is exact to well below half a unit.
        dest[static_cast<std::size_t>(i)] =
            valid ? static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(sum) / static_cast<double>(valid)))
                  : kNoValue;
    };
    // The three phases below are the window rule above, unrolled: the start
    // grows the window by two samples, the middle slides it, the end shrinks it.
    const std::int64_t middleEnd = count - 1 - h; // last i of the middle phase
    std::int64_t i = 0;
    for (; i < h && i <= middleEnd; ++i) {
        add(2 * i);
        add(2 * i + 1);
        store(i);
    }
    // The middle: one sample comes in, one goes out. |sum| <= 2^31 × 2^20
    // stays exact in a double.
    double sums[kBlock];
    std::int32_t valids[kBlock];
    const std::int32_t* src = source.data();
    while (i <= middleEnd) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, middleEnd + 1 - i));
        for (std::size_t k = 0; k < n; ++k) {
            const std::int32_t in = src[i + h + static_cast<std::int64_t>(k)];
            const std::int32_t out = src[i - h + static_cast<std::int64_t>(k)];
            const bool inOk = in != kNoValue, outOk = out != kNoValue;
            sum += std::int64_t(inOk ? in : 0) - std::int64_t(outOk ? out : 0);
            valid += std::int64_t(inOk) - std::int64_t(outOk);
            sums[k] = static_cast<double>(sum);
            valids[k] = static_cast<std::int32_t>(valid);
        }
        Quotients(sums, valids, n, dest.data() + i, kNoValue);
        i += static_cast<std::int64_t>(n);
    }
    // EffectiveWidth keeps 2h <= Count - 2, so every i of the end phase is >= h.
    for (; i < count; ++i) {
        const std::int64_t c = count - i - 1;
        remove(i - c);
        remove(i - c - 1);
        store(i);
    }
}

} // namespace vro
