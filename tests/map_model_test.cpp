#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "maps/HexMap.h"
#include "maps/MapClassRegistry.h"
#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"
#include "maps/SegmentsIntersect.h"
#include "maps/SqrMap.h"

namespace tilvex {
namespace {

TEST(GrowableArray, GrowKeepsValuesAndIncrement)
{
    CDoubleArray a;
    a.SetSize(6, 1);
    ASSERT_EQ(a.GetSize(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(a[i], 0.0);
        a.SetAt(i, i + 0.5);
    }
    a.SetSize(8, -1);
    ASSERT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a.GrowBy(), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a.GetAt(i), i + 0.5);
    EXPECT_EQ(a[6], 0.0);
    EXPECT_EQ(a[7], 0.0);
}

TEST(GrowableArray, SizeZeroFreesAndRegrowsZeroed)
{
    CintArray a(4, -1);
    for (int i = 0; i < 4; ++i) a[i] = 7;
    a.SetSize(0);
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.Data(), nullptr);
    a.SetSize(3);
    ASSERT_EQ(a.GetSize(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], 0);
}

TEST(GrowableArray, CapacityFollowsTheIncrement)
{
    CComplexArray a;
    a.SetSize(2, 10);  // no storage yet: exactly two
    const Complex* exact = a.Data();
    a[0] = {1, 2};
    a.SetSize(3);  // beyond: max(2 + 10, 3) = 12
    const Complex* grown = a.Data();
    EXPECT_NE(grown, exact);
    EXPECT_EQ(a[0], Complex(1, 2));
    a[2] = {5, 5};
    a.SetSize(1);
    a.SetSize(12);  // within the capacity: same storage, new elements zero again
    EXPECT_EQ(a.Data(), grown);
    EXPECT_EQ(a[0], Complex(1, 2));
    for (int i = 1; i < 12; ++i) EXPECT_EQ(a[i], Complex()) << i;
    a.SetSize(13);
    EXPECT_NE(a.Data(), grown);
    EXPECT_EQ(a[0], Complex(1, 2));
    EXPECT_EQ(a[12], Complex());
}

TEST(SegmentsIntersect, CrossingTouchingAndApart)
{
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 1, 0, 1, 1, 0), 1);
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 0, 0, 1, 1, 1), 0);
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 0, 1, 0, 2, 5), 1);  // shared end point
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 0, 2, 0, 3, 0), 0);  // collinear, disjoint
    EXPECT_EQ(SegmentsIntersect(0, 0, 2, 0, 1, 0, 3, 0), 1);  // collinear, overlapping
    EXPECT_EQ(SegmentsIntersect(0, 0, 2, 0, 1, -1, 1, 0), 1);  // T junction
    EXPECT_EQ(SegmentsIntersect(0, 0, 2, 0, 1, 0.001, 1, 1), 0);  // near miss above
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 1, 0, 3, 3, 0), 0);      // boxes overlap, lines cross outside
    EXPECT_EQ(SegmentsIntersect(0, 0, 1, 1, 0, 1, 1, 2), 0);      // parallel, not collinear
}

TEST(SegmentsIntersect, IndependentOfDirectionAndOrder)
{
    const double cases[][8] = {{0, 0, 1, 1, 0, 1, 1, 0},     {0, 0, 1, 0, 1, 0, 2, 5},
                               {0, 0, 1, 0, 2, 0, 3, 0},     {-1, 2, 3, -2, 0, -5, 0.5, 4},
                               {0, 0, -1, 0.5, -2, 0, -0.5, 1}, {0, 0, 0.3, 0.9, 1, 0, 0.5, 0.8}};
    for (const auto& c : cases) {
        int base = SegmentsIntersect(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        EXPECT_EQ(SegmentsIntersect(c[2], c[3], c[0], c[1], c[4], c[5], c[6], c[7]), base);
        EXPECT_EQ(SegmentsIntersect(c[0], c[1], c[2], c[3], c[6], c[7], c[4], c[5]), base);
        EXPECT_EQ(SegmentsIntersect(c[4], c[5], c[6], c[7], c[0], c[1], c[2], c[3]), base);
    }
}

TEST(ComplexValue, ProductDifferenceAndScaling)
{
    EXPECT_EQ(Complex(1, 2) * Complex(3, 4), Complex(-5, 10));
    EXPECT_EQ(Complex(1, 2) - Complex(3, 4), Complex(-2, -2));
    EXPECT_EQ(Complex(1, 2) + Complex(3, 4), Complex(4, 6));
    EXPECT_EQ(2.0 * Complex(1, -3), Complex(2, -6));
    EXPECT_EQ(Complex(1, -3) * 0.5, Complex(0.5, -1.5));
    EXPECT_EQ(Conj(Complex(1, 2)), Complex(1, -2));
}

template <typename T>
void ExpectRegistered(const char* name)
{
    const MapClass* cls = FindMapClass(name);
    ASSERT_NE(cls, nullptr) << name;
    EXPECT_STREQ(cls->className, name);
    EXPECT_EQ(cls->schema, 2u);
    EXPECT_EQ(cls->objectSize, static_cast<int>(sizeof(T)));
    ASSERT_NE(cls->baseClass, nullptr);
    EXPECT_STREQ(cls->baseClass->className, "CObject");
    EXPECT_EQ(cls, &RuntimeClassOf<T>());
    EXPECT_TRUE(IsDerivedFrom(*cls, classCObject));
    cls->construct(nullptr);  // no storage: nothing happens
}

TEST(MapClassRegistry, FiveMapClassesAtStartUp)
{
    ExpectRegistered<SqrMap>("SqrMap");
    ExpectRegistered<HexMap>("HexMap");
    ExpectRegistered<MapSixFourTwelve>("MapSixFourTwelve");
    ExpectRegistered<MapFourEight>("MapFourEight");
    ExpectRegistered<MapThreeTwelve>("MapThreeTwelve");

    int count = 0;
    for (const MapClass* cls = FirstMapClass(); cls; cls = cls->nextClass) ++count;
    EXPECT_EQ(count, 5);
    EXPECT_EQ(FindMapClass("WildCornerMap"), nullptr);  // a plain class, not registered
    EXPECT_EQ(FindMapClass("hexmap"), nullptr);
    EXPECT_EQ(FindMapClass(""), nullptr);
    EXPECT_FALSE(IsDerivedFrom(classCObject, RuntimeClassOf<HexMap>()));
}

TEST(MapClassRegistry, ConstructBuildsADefaultInstanceInPlace)
{
    const MapClass* cls = FindMapClass("HexMap");
    ASSERT_NE(cls, nullptr);
    alignas(HexMap) unsigned char storage[sizeof(HexMap)];
    std::memset(storage, 0xAB, sizeof storage);
    cls->construct(storage);
    HexMap* map = std::launder(reinterpret_cast<HexMap*>(storage));
    EXPECT_EQ(map->depth, 11);
    EXPECT_EQ(map->twoPi, 6.283185307);
    EXPECT_EQ(map->detailCoef[5].GetSize(), 12);
    map->~HexMap();
}

}  // namespace
}  // namespace tilvex
