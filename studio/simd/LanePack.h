#pragma once
// K vectors of one type as one: every operation is done on each in turn. A
// batch of lanes wider than the processor's vectors is a pack, so every path
// steps the same lanes and several vectors are in flight at once.

#include <cstdint>

namespace tilvex::studio {
namespace {

template <class V, int K>
struct Pack {
    static constexpr int kLanes = V::kLanes * K;
    using Part = V;

    struct Mask {
        typename V::Mask m[K];
        Mask operator&(Mask o) const { return Each(o, [](auto a, auto b) { return a & b; }); }
        Mask operator|(Mask o) const { return Each(o, [](auto a, auto b) { return a | b; }); }
        Mask operator~() const
        {
            Mask r;
            for (int k = 0; k < K; ++k) r.m[k] = ~m[k];
            return r;
        }
        bool Any() const
        {
            bool any = false;
            for (int k = 0; k < K; ++k) any |= m[k].Any();
            return any;
        }
        static Mask None() { return Fill(V::Mask::None()); }
        static Mask All() { return Fill(V::Mask::All()); }

    private:
        template <class F>
        Mask Each(Mask o, F f) const
        {
            Mask r;
            for (int k = 0; k < K; ++k) r.m[k] = f(m[k], o.m[k]);
            return r;
        }
        static Mask Fill(typename V::Mask x)
        {
            Mask r;
            for (int k = 0; k < K; ++k) r.m[k] = x;
            return r;
        }
    };

    V v[K];

    Pack() = default;
    explicit Pack(double x)
    {
        for (int k = 0; k < K; ++k) v[k] = V(x);
    }
    static Pack Load(const double* p)
    {
        Pack r;
        for (int k = 0; k < K; ++k) r.v[k] = V::Load(p + k * V::kLanes);
        return r;
    }
    void Store(double* p) const
    {
        for (int k = 0; k < K; ++k) v[k].Store(p + k * V::kLanes);
    }
    void StoreBits(std::uint64_t* p) const
    {
        for (int k = 0; k < K; ++k) v[k].StoreBits(p + k * V::kLanes);
    }

    template <class F>
    friend Pack Map(Pack a, F f)
    {
        Pack r;
        for (int k = 0; k < K; ++k) r.v[k] = f(a.v[k]);
        return r;
    }
    template <class F>
    friend Pack Map(Pack a, Pack b, F f)
    {
        Pack r;
        for (int k = 0; k < K; ++k) r.v[k] = f(a.v[k], b.v[k]);
        return r;
    }
    template <class F>
    friend Mask Test(Pack a, Pack b, F f)
    {
        Mask r;
        for (int k = 0; k < K; ++k) r.m[k] = f(a.v[k], b.v[k]);
        return r;
    }

    friend Pack operator+(Pack a, Pack b) { return Map(a, b, [](V x, V y) { return x + y; }); }
    friend Pack operator-(Pack a, Pack b) { return Map(a, b, [](V x, V y) { return x - y; }); }
    friend Pack operator*(Pack a, Pack b) { return Map(a, b, [](V x, V y) { return x * y; }); }
    friend Pack operator/(Pack a, Pack b) { return Map(a, b, [](V x, V y) { return x / y; }); }
    friend Pack operator-(Pack a) { return Map(a, [](V x) { return -x; }); }
    friend Mask operator<(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x < y; }); }
    friend Mask operator<=(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x <= y; }); }
    friend Mask operator>(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x > y; }); }
    friend Mask operator>=(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x >= y; }); }
    friend Mask operator==(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x == y; }); }
    friend Mask operator!=(Pack a, Pack b) { return Test(a, b, [](V x, V y) { return x != y; }); }

    friend Pack Select(Mask m, Pack a, Pack b)
    {
        Pack r;
        for (int k = 0; k < K; ++k) r.v[k] = Select(m.m[k], a.v[k], b.v[k]);
        return r;
    }
    friend Pack Fma(Pack a, Pack b, Pack c)
    {
        Pack r;
        for (int k = 0; k < K; ++k) r.v[k] = Fma(a.v[k], b.v[k], c.v[k]);
        return r;
    }
    friend Pack Abs(Pack a) { return Map(a, [](V x) { return Abs(x); }); }
    friend Pack Trunc(Pack a) { return Map(a, [](V x) { return Trunc(x); }); }
    friend Pack Floor(Pack a) { return Map(a, [](V x) { return Floor(x); }); }
    friend Pack Sqrt(Pack a) { return Map(a, [](V x) { return Sqrt(x); }); }
};

// The library functions of a pack: those of its parts, one part after the other.
template <class Pack, class PartMath>
struct PackMath {
    using V = typename Pack::Part;
    static Pack Sin(Pack a) { return Map(a, [](V x) { return PartMath::Sin(x); }); }
    static void SinCos(Pack a, Pack& s, Pack& c)
    {
        for (int k = 0; k < Pack::kLanes / V::kLanes; ++k) PartMath::SinCos(a.v[k], s.v[k], c.v[k]);
    }
    static Pack Atan2(Pack y, Pack x) { return Map(y, x, [](V a, V b) { return PartMath::Atan2(a, b); }); }
    static Pack Pow(Pack x, Pack y) { return Map(x, y, [](V a, V b) { return PartMath::Pow(a, b); }); }
    static Pack Fmod(Pack x, Pack y) { return Map(x, y, [](V a, V b) { return PartMath::Fmod(a, b); }); }
};

}  // namespace
}  // namespace tilvex::studio
