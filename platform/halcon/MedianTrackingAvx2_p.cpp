// The tracking median on 256-bit vectors: 32 columns of bytes, or 16 where the mask holds
// more pixels than a byte counts. Built with AVX2 and run only where the processor has it.
// Signed compares serve for bytes once the sign bit is flipped ("keys").

#include "MedianTracking_p.h"

#if defined(ZELVORIN_X86_KERNELS)

#include <immintrin.h>

namespace Halcon::Detail {
namespace {

struct Avx2Common
{
    using V = __m256i;
    using M = __m256i;
    static M andMask(M a, M b) { return _mm256_and_si256(a, b); }
    static M orMask(M a, M b) { return _mm256_or_si256(a, b); }
    static bool any(M m) { return _mm256_movemask_epi8(m) != 0; }
    static V select(M m, V a, V b) { return _mm256_blendv_epi8(b, a, m); }
    static V loadBytes(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
    static void storeBytes(void *p, V v) { _mm256_storeu_si256(static_cast<__m256i *>(p), v); }
};

struct Avx2Bytes : Avx2Common
{
    using T = std::uint8_t;
    static constexpr int kLanes = 32;

    static V load(const std::uint8_t *p) { return loadBytes(p); }
    static V set1(int v) { return _mm256_set1_epi8(char(v)); }
    static V key(V v) { return _mm256_xor_si256(v, _mm256_set1_epi8(char(0x80))); }
    static M keyLess(V a, V b) { return _mm256_cmpgt_epi8(b, a); }
    // Masks are -1 where true: subtracting one adds one.
    static V incrementWhere(V c, M m) { return _mm256_sub_epi8(c, m); }
    static V decrementWhere(V c, M m) { return _mm256_add_epi8(c, m); }
    static V addConst(V v, int k) { return _mm256_add_epi8(v, set1(k)); }
    static V add(V a, V b) { return _mm256_add_epi8(a, b); }
    static V orBits(V v, int bits) { return _mm256_or_si256(v, set1(bits)); }
    static M lessEqual(V a, V b) { return _mm256_cmpeq_epi8(_mm256_min_epu8(a, b), a); }
    static M less(V a, V b) { return keyLess(key(a), key(b)); }
    static M greater(V a, V b) { return less(b, a); }
    static void laneFlags(M m, unsigned char *out)
    {
        const unsigned bits = unsigned(_mm256_movemask_epi8(m));
        for (int l = 0; l < kLanes; ++l)
            out[l] = (bits >> l) & 1u;
    }
    static V min(V a, V b) { return _mm256_min_epu8(a, b); }
    static V loadState(const T *p) { return loadBytes(p); }
    static void storeState(T *p, V v) { storeBytes(p, v); }
    static void storeOut(std::uint8_t *p, V v) { storeBytes(p, v); }
};

struct Avx2Words : Avx2Common
{
    using T = std::uint16_t;
    static constexpr int kLanes = 16;

    static V load(const std::uint8_t *p)
    {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    }
    static V set1(int v) { return _mm256_set1_epi16(short(v)); }
    // Grey values and counts stay far below the sign bit of a 16-bit lane.
    static V key(V v) { return v; }
    static M keyLess(V a, V b) { return _mm256_cmpgt_epi16(b, a); }
    static V incrementWhere(V c, M m) { return _mm256_sub_epi16(c, m); }
    static V decrementWhere(V c, M m) { return _mm256_add_epi16(c, m); }
    static V addConst(V v, int k) { return _mm256_add_epi16(v, set1(k)); }
    static V add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V orBits(V v, int bits) { return _mm256_or_si256(v, set1(bits)); }
    static M less(V a, V b) { return _mm256_cmpgt_epi16(b, a); }
    static M lessEqual(V a, V b) { return _mm256_cmpeq_epi16(_mm256_min_epi16(a, b), a); }
    static M greater(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
    static void laneFlags(M m, unsigned char *out)
    {
        const unsigned bits = unsigned(_mm256_movemask_epi8(m));
        for (int l = 0; l < kLanes; ++l)
            out[l] = (bits >> (2 * l)) & 1u;
    }
    static V min(V a, V b) { return _mm256_min_epi16(a, b); }
    static V loadState(const T *p) { return loadBytes(p); }
    static void storeState(T *p, V v) { storeBytes(p, v); }
    static void storeOut(std::uint8_t *p, V v)
    {
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm256_castsi256_si128(packed));
    }
};

} // namespace
} // namespace Halcon::Detail

#include "MedianTrackingKernel_p.h"

namespace Halcon::Detail {

bool medianTrackAvx2(const MedianJob &job)
{
    if (job.windowSize <= 255)
        return MedianTracker<Avx2Bytes>(job).run();
    return MedianTracker<Avx2Words>(job).run();
}

} // namespace Halcon::Detail

#else

namespace Halcon::Detail {

bool medianTrackAvx2(const MedianJob &)
{
    return false;
}

} // namespace Halcon::Detail

#endif
