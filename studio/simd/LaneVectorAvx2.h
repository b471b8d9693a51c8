#pragma once
// Four doubles in an AVX2 register; included only by the AVX2 kernel file.

#include <immintrin.h>
#include <sleef.h>

#include <cstdint>

namespace tilvex::studio {
namespace {

struct V4 {
    static constexpr int kLanes = 4;
    struct Mask {
        __m256d m;  // all ones or all zeros per lane
        Mask operator&(Mask o) const { return {_mm256_and_pd(m, o.m)}; }
        Mask operator|(Mask o) const { return {_mm256_or_pd(m, o.m)}; }
        Mask operator~() const { return {_mm256_xor_pd(m, All().m)}; }
        bool Any() const { return _mm256_movemask_pd(m) != 0; }
        static Mask None() { return {_mm256_setzero_pd()}; }
        static Mask All() { return {_mm256_castsi256_pd(_mm256_set1_epi64x(-1))}; }
    };

    __m256d v;
    V4() = default;
    V4(__m256d x) : v(x) {}
    explicit V4(double x) : v(_mm256_set1_pd(x)) {}
    static V4 Load(const double* p) { return _mm256_load_pd(p); }
    void Store(double* p) const { _mm256_store_pd(p, v); }
    void StoreBits(std::uint64_t* p) const { _mm256_store_si256(reinterpret_cast<__m256i*>(p), _mm256_castpd_si256(v)); }

    friend V4 operator+(V4 a, V4 b) { return _mm256_add_pd(a.v, b.v); }
    friend V4 operator-(V4 a, V4 b) { return _mm256_sub_pd(a.v, b.v); }
    friend V4 operator*(V4 a, V4 b) { return _mm256_mul_pd(a.v, b.v); }
    friend V4 operator/(V4 a, V4 b) { return _mm256_div_pd(a.v, b.v); }
    friend V4 operator-(V4 a) { return _mm256_xor_pd(a.v, _mm256_set1_pd(-0.0)); }
    // As the C++ operators on doubles: false for NaN, except != which is true.
    friend Mask operator<(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)}; }
    friend Mask operator<=(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LE_OQ)}; }
    friend Mask operator>(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
    friend Mask operator>=(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GE_OQ)}; }
    friend Mask operator==(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_EQ_OQ)}; }
    friend Mask operator!=(V4 a, V4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_NEQ_UQ)}; }

    friend V4 Select(Mask m, V4 a, V4 b) { return _mm256_blendv_pd(b.v, a.v, m.m); }
    friend V4 Fma(V4 a, V4 b, V4 c) { return _mm256_fmadd_pd(a.v, b.v, c.v); }
    friend V4 Abs(V4 a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v); }
    friend V4 Trunc(V4 a) { return _mm256_round_pd(a.v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC); }
    friend V4 Floor(V4 a) { return _mm256_round_pd(a.v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
    friend V4 Sqrt(V4 a) { return _mm256_sqrt_pd(a.v); }
};

// SLEEF's deterministic forms: the same results as the other paths' bit for bit.
struct V4Exact {
    static V4 Sin(V4 a) { return Sleef_finz_sind4_u10avx2(a.v); }
    static void SinCos(V4 a, V4& s, V4& c)
    {
        const Sleef___m256d_2 r = Sleef_finz_sincosd4_u10avx2(a.v);
        s = r.x;
        c = r.y;
    }
    static V4 Atan2(V4 y, V4 x) { return Sleef_finz_atan2d4_u10avx2(y.v, x.v); }
    static V4 Pow(V4 x, V4 y) { return Sleef_finz_powd4_u10avx2(x.v, y.v); }
    static V4 Fmod(V4 a, V4 b) { return Sleef_finz_fmodd4_avx2(a.v, b.v); }
};

struct V4Fast : V4Exact {
    static V4 Sin(V4 a) { return Sleef_finz_sind4_u35avx2(a.v); }
    static void SinCos(V4 a, V4& s, V4& c)
    {
        const Sleef___m256d_2 r = Sleef_finz_sincosd4_u35avx2(a.v);
        s = r.x;
        c = r.y;
    }
    static V4 Atan2(V4 y, V4 x) { return Sleef_finz_atan2d4_u35avx2(y.v, x.v); }
};

}  // namespace
}  // namespace tilvex::studio
