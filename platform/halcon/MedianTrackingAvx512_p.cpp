// The tracking median on 512-bit vectors: 64 columns of bytes, or 32 where the mask holds
// more pixels than a byte counts. Built with AVX-512 (BW, VL) and run only where the
// processor has it.

#include "MedianTracking_p.h"

#if defined(ZELVORIN_X86_KERNELS)

#include <immintrin.h>

namespace Halcon::Detail {
namespace {

// What 64 byte lanes and 32 word lanes share: masks are bit sets, one bit per lane.
template<class Mask, int lanes>
struct Avx512Masks
{
    using V = __m512i;
    using M = Mask;
    static constexpr int kLanes = lanes;

    static M andMask(M a, M b) { return a & b; }
    static M orMask(M a, M b) { return a | b; }
    static bool any(M m) { return m != 0; }
    static void laneFlags(M m, unsigned char *out)
    {
        for (int l = 0; l < kLanes; ++l)
            out[l] = (m >> l) & 1u;
    }
    static V loadState(const void *p) { return _mm512_loadu_si512(p); }
    static void storeState(void *p, V v) { _mm512_storeu_si512(p, v); }
};

struct Avx512Bytes : Avx512Masks<__mmask64, 64>
{
    using T = std::uint8_t;

    static V load(const std::uint8_t *p) { return _mm512_loadu_si512(p); }
    static V set1(int v) { return _mm512_set1_epi8(char(v)); }
    static V key(V v) { return v; }
    static M keyLess(V a, V b) { return _mm512_cmplt_epu8_mask(a, b); }
    static V incrementWhere(V c, M m) { return _mm512_mask_add_epi8(c, m, c, _mm512_set1_epi8(1)); }
    static V decrementWhere(V c, M m) { return _mm512_mask_sub_epi8(c, m, c, _mm512_set1_epi8(1)); }
    static V addConst(V v, int k) { return _mm512_add_epi8(v, set1(k)); }
    static V add(V a, V b) { return _mm512_add_epi8(a, b); }
    static V orBits(V v, int bits) { return _mm512_or_si512(v, set1(bits)); }
    static M less(V a, V b) { return _mm512_cmplt_epu8_mask(a, b); }
    static M lessEqual(V a, V b) { return _mm512_cmple_epu8_mask(a, b); }
    static M greater(V a, V b) { return _mm512_cmpgt_epu8_mask(a, b); }
    static V select(M m, V a, V b) { return _mm512_mask_blend_epi8(m, b, a); }
    static V min(V a, V b) { return _mm512_min_epu8(a, b); }
    static void storeOut(std::uint8_t *p, V v) { _mm512_storeu_si512(p, v); }
};

struct Avx512Words : Avx512Masks<__mmask32, 32>
{
    using T = std::uint16_t;

    static V load(const std::uint8_t *p)
    {
        return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)));
    }
    static V set1(int v) { return _mm512_set1_epi16(short(v)); }
    static V key(V v) { return v; }
    static M keyLess(V a, V b) { return _mm512_cmplt_epu16_mask(a, b); }
    static V incrementWhere(V c, M m) { return _mm512_mask_add_epi16(c, m, c, _mm512_set1_epi16(1)); }
    static V decrementWhere(V c, M m) { return _mm512_mask_sub_epi16(c, m, c, _mm512_set1_epi16(1)); }
    static V addConst(V v, int k) { return _mm512_add_epi16(v, set1(k)); }
    static V add(V a, V b) { return _mm512_add_epi16(a, b); }
    static V orBits(V v, int bits) { return _mm512_or_si512(v, set1(bits)); }
    static M less(V a, V b) { return _mm512_cmplt_epu16_mask(a, b); }
    static M lessEqual(V a, V b) { return _mm512_cmple_epu16_mask(a, b); }
    static M greater(V a, V b) { return _mm512_cmpgt_epu16_mask(a, b); }
    static V select(M m, V a, V b) { return _mm512_mask_blend_epi16(m, b, a); }
    static V min(V a, V b) { return _mm512_min_epu16(a, b); }
    static void storeOut(std::uint8_t *p, V v)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), _mm512_maskz_cvtepi16_epi8(~__mmask32(0), v));
    }
};

} // namespace
} // namespace Halcon::Detail

#include "MedianTrackingKernel_p.h"

namespace Halcon::Detail {

bool medianTrackAvx512(const MedianJob &job)
{
    if (job.windowSize <= 255)
        return MedianTracker<Avx512Bytes>(job).run();
    return MedianTracker<Avx512Words>(job).run();
}

} // namespace Halcon::Detail

#else

namespace Halcon::Detail {

bool medianTrackAvx512(const MedianJob &)
{
    return false;
}

} // namespace Halcon::Detail

#endif
