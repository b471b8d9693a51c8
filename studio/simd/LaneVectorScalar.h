#pragma once
// One double as a vector of one lane: the scalar path runs the vector kernels
// lane by lane. Included only by the scalar kernel files.

#include <cmath>  // before SLEEF: its forms with fused multiply-adds are there where FP_FAST_FMA is
#include <cstdint>
#include <cstring>

// glibc names FP_FAST_FMA for g++ -mfma but not for clang, and SLEEF declares
// its fused forms only under it.
#if defined(__FMA__) && !defined(FP_FAST_FMA)
#define FP_FAST_FMA 1
#endif
#include <sleef.h>

namespace tilvex::studio {
namespace {

struct V1 {
    static constexpr int kLanes = 1;
    struct Mask {
        bool m;
        Mask operator&(Mask o) const { return {m && o.m}; }
        Mask operator|(Mask o) const { return {m || o.m}; }
        Mask operator~() const { return {!m}; }
        bool Any() const { return m; }
        static Mask None() { return {false}; }
        static Mask All() { return {true}; }
    };

    double v;
    V1() = default;
    explicit V1(double x) : v(x) {}
    static V1 Load(const double* p) { return V1(*p); }
    void Store(double* p) const { *p = v; }
    void StoreBits(std::uint64_t* p) const { std::memcpy(p, &v, sizeof v); }

    friend V1 operator+(V1 a, V1 b) { return V1(a.v + b.v); }
    friend V1 operator-(V1 a, V1 b) { return V1(a.v - b.v); }
    friend V1 operator*(V1 a, V1 b) { return V1(a.v * b.v); }
    friend V1 operator/(V1 a, V1 b) { return V1(a.v / b.v); }
    friend V1 operator-(V1 a) { return V1(-a.v); }
    friend Mask operator<(V1 a, V1 b) { return {a.v < b.v}; }
    friend Mask operator<=(V1 a, V1 b) { return {a.v <= b.v}; }
    friend Mask operator>(V1 a, V1 b) { return {a.v > b.v}; }
    friend Mask operator>=(V1 a, V1 b) { return {a.v >= b.v}; }
    friend Mask operator==(V1 a, V1 b) { return {a.v == b.v}; }
    friend Mask operator!=(V1 a, V1 b) { return {a.v != b.v}; }

    friend V1 Select(Mask m, V1 a, V1 b) { return m.m ? a : b; }
    // Rounded once, as the vector paths' fused multiply-add (in software where the processor has none).
    friend V1 Fma(V1 a, V1 b, V1 c) { return V1(std::fma(a.v, b.v, c.v)); }
    friend V1 Abs(V1 a) { return V1(std::fabs(a.v)); }
    friend V1 Trunc(V1 a) { return V1(std::trunc(a.v)); }
    friend V1 Floor(V1 a) { return V1(std::floor(a.v)); }
    friend V1 Sqrt(V1 a) { return V1(std::sqrt(a.v)); }
};

#if defined(FP_FAST_FMA)
// SLEEF's deterministic forms with fused multiply-adds: bit for bit the vector paths' results.
struct V1FmaExact {
    static V1 Sin(V1 a) { return V1(Sleef_finz_sind1_u10purecfma(a.v)); }
    static void SinCos(V1 a, V1& s, V1& c)
    {
        const Sleef_double_2 r = Sleef_finz_sincosd1_u10purecfma(a.v);
        s = V1(r.x);
        c = V1(r.y);
    }
    static V1 Atan2(V1 y, V1 x) { return V1(Sleef_finz_atan2d1_u10purecfma(y.v, x.v)); }
    static V1 Pow(V1 x, V1 y) { return V1(Sleef_finz_powd1_u10purecfma(x.v, y.v)); }
    static V1 Fmod(V1 a, V1 b) { return V1(Sleef_finz_fmodd1_purecfma(a.v, b.v)); }
};

struct V1FmaFast : V1FmaExact {
    static V1 Sin(V1 a) { return V1(Sleef_finz_sind1_u35purecfma(a.v)); }
    static void SinCos(V1 a, V1& s, V1& c)
    {
        const Sleef_double_2 r = Sleef_finz_sincosd1_u35purecfma(a.v);
        s = V1(r.x);
        c = V1(r.y);
    }
    static V1 Atan2(V1 y, V1 x) { return V1(Sleef_finz_atan2d1_u35purecfma(y.v, x.v)); }
};

#else
// For processors without fused multiply-adds: SLEEF's deterministic forms
// without them, which round differently from the other paths.
struct V1PlainExact {
    static V1 Sin(V1 a) { return V1(Sleef_cinz_sind1_u10purec(a.v)); }
    static void SinCos(V1 a, V1& s, V1& c)
    {
        const Sleef_double_2 r = Sleef_cinz_sincosd1_u10purec(a.v);
        s = V1(r.x);
        c = V1(r.y);
    }
    static V1 Atan2(V1 y, V1 x) { return V1(Sleef_cinz_atan2d1_u10purec(y.v, x.v)); }
    static V1 Pow(V1 x, V1 y) { return V1(Sleef_cinz_powd1_u10purec(x.v, y.v)); }
    static V1 Fmod(V1 a, V1 b) { return V1(Sleef_cinz_fmodd1_purec(a.v, b.v)); }
};

struct V1PlainFast : V1PlainExact {
    static V1 Sin(V1 a) { return V1(Sleef_cinz_sind1_u35purec(a.v)); }
    static void SinCos(V1 a, V1& s, V1& c)
    {
        const Sleef_double_2 r = Sleef_cinz_sincosd1_u35purec(a.v);
        s = V1(r.x);
        c = V1(r.y);
    }
    static V1 Atan2(V1 y, V1 x) { return V1(Sleef_cinz_atan2d1_u35purec(y.v, x.v)); }
};
#endif

}  // namespace
}  // namespace tilvex::studio
