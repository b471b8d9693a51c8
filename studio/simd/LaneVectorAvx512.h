#pragma once
// Eight doubles in an AVX-512 register; included only by the AVX-512 kernel file.

#include <immintrin.h>
#include <sleef.h>

#include <cstdint>

namespace tilvex::studio {
namespace {

struct V8 {
    static constexpr int kLanes = 8;
    struct Mask {
        __mmask8 m;
        Mask operator&(Mask o) const { return {static_cast<__mmask8>(m & o.m)}; }
        Mask operator|(Mask o) const { return {static_cast<__mmask8>(m | o.m)}; }
        Mask operator~() const { return {static_cast<__mmask8>(~m)}; }
        bool Any() const { return m != 0; }
        static Mask None() { return {0}; }
        static Mask All() { return {0xFF}; }
    };

    __m512d v;
    V8() = default;
    V8(__m512d x) : v(x) {}
    explicit V8(double x) : v(_mm512_set1_pd(x)) {}
    static V8 Load(const double* p) { return _mm512_load_pd(p); }
    void Store(double* p) const { _mm512_store_pd(p, v); }
    void StoreBits(std::uint64_t* p) const { _mm512_store_si512(p, _mm512_castpd_si512(v)); }

    friend V8 operator+(V8 a, V8 b) { return _mm512_add_pd(a.v, b.v); }
    friend V8 operator-(V8 a, V8 b) { return _mm512_sub_pd(a.v, b.v); }
    friend V8 operator*(V8 a, V8 b) { return _mm512_mul_pd(a.v, b.v); }
    friend V8 operator/(V8 a, V8 b) { return _mm512_div_pd(a.v, b.v); }
    friend V8 operator-(V8 a) { return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(a.v), _mm512_set1_epi64(INT64_MIN))); }
    // As the C++ operators on doubles: false for NaN, except != which is true.
    friend Mask operator<(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LT_OQ)}; }
    friend Mask operator<=(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LE_OQ)}; }
    friend Mask operator>(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GT_OQ)}; }
    friend Mask operator>=(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GE_OQ)}; }
    friend Mask operator==(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_EQ_OQ)}; }
    friend Mask operator!=(V8 a, V8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_NEQ_UQ)}; }

    friend V8 Select(Mask m, V8 a, V8 b) { return _mm512_mask_blend_pd(m.m, b.v, a.v); }
    friend V8 Fma(V8 a, V8 b, V8 c) { return _mm512_fmadd_pd(a.v, b.v, c.v); }
    friend V8 Abs(V8 a) { return _mm512_andnot_pd(_mm512_set1_pd(-0.0), a.v); }
    // The zero-masking forms: GCC 12 warns about the unmasked ones' undefined source.
    friend V8 Trunc(V8 a) { return _mm512_maskz_roundscale_pd(0xFF, a.v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC); }
    friend V8 Floor(V8 a) { return _mm512_maskz_roundscale_pd(0xFF, a.v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
    friend V8 Sqrt(V8 a) { return _mm512_maskz_sqrt_pd(0xFF, a.v); }
};

// SLEEF's deterministic forms: the same results as the other paths' bit for bit.
struct V8Exact {
    static V8 Sin(V8 a) { return Sleef_finz_sind8_u10avx512f(a.v); }
    static void SinCos(V8 a, V8& s, V8& c)
    {
        const Sleef___m512d_2 r = Sleef_finz_sincosd8_u10avx512f(a.v);
        s = r.x;
        c = r.y;
    }
    static V8 Atan2(V8 y, V8 x) { return Sleef_finz_atan2d8_u10avx512f(y.v, x.v); }
    static V8 Pow(V8 x, V8 y) { return Sleef_finz_powd8_u10avx512f(x.v, y.v); }
    static V8 Fmod(V8 a, V8 b) { return Sleef_finz_fmodd8_avx512f(a.v, b.v); }
};

struct V8Fast : V8Exact {
    static V8 Sin(V8 a) { return Sleef_finz_sind8_u35avx512f(a.v); }
    static void SinCos(V8 a, V8& s, V8& c)
    {
        const Sleef___m512d_2 r = Sleef_finz_sincosd8_u35avx512f(a.v);
        s = r.x;
        c = r.y;
    }
    static V8 Atan2(V8 y, V8 x) { return Sleef_finz_atan2d8_u35avx512f(y.v, x.v); }
};

}  // namespace
}  // namespace tilvex::studio
