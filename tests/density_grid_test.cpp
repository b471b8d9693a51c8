#include <gtest/gtest.h>

#include "core/QuiltMap.h"

using namespace tilvex;

namespace {
QuiltMap GridOf(int capacity, int width)
{
    QuiltMap g;
    g.AttachStorage(capacity);
    g.width = static_cast<std::uint16_t>(width);
    return g;
}
}  // namespace

TEST(DensityGrid, NewGridAndDetachedGridAreInert)
{
    QuiltMap g;
    EXPECT_EQ(g.width, 100);
    EXPECT_EQ(g.maxCount, 0);
    EXPECT_EQ(g.histogram.GetSize(), 256);
    g.Increment(3, 4);
    EXPECT_EQ(g.CountAt(3, 4), 0);
    g.BuildHistogram();
    for (int k = 0; k < 256; ++k) EXPECT_EQ(g.histogram[k], 0.0);
}

TEST(DensityGrid, CountsWrapAtSixteenBitsWhileTheMaximumStays)
{
    QuiltMap g = GridOf(101, 100);
    g.SetCount(7, 9, 65534);
    g.Increment(7, 9);
    EXPECT_EQ(g.maxCount, 65535);
    g.Increment(7, 9);
    EXPECT_EQ(g.CountAt(7, 9), 0);
    EXPECT_EQ(g.maxCount, 65535);
}

TEST(DensityGrid, CellIndexIsColumnTimesWidthPlusRow)
{
    QuiltMap g = GridOf(101, 100);
    g.Increment(2, 3);
    g.width = 50;  // same storage seen with another width
    EXPECT_EQ(g.CountAt(4, 3), 1);  // 4 * 50 + 3 = 2 * 100 + 3
    EXPECT_EQ(g.CountAt(3, 4), 0);
}

TEST(DensityGrid, PlotCoordinateOfOneStaysInsideTheStorage)
{
    // Width at the capacity's limit: cell (width, width) is the farthest write.
    QuiltMap g = GridOf(101, 100);
    g.Increment(100, 100);
    g.Increment(100, 0);
    EXPECT_EQ(g.maxCount, 1);
    EXPECT_EQ(g.FilledCells(), 0) << "outside the width x width area";
    EXPECT_EQ(g.ScanExtremes(), 0);
    // A width the storage cannot hold never writes past it.
    g.width = 200;
    g.Increment(200, 200);
    EXPECT_EQ(g.CountAt(200, 200), 0);
    g.Clear();
    g.width = 100;
    EXPECT_EQ(g.CountAt(100, 100), 0);
}

TEST(DensityGrid, RemoveFloorOnlyWhenEveryCellWasHit)
{
    QuiltMap g = GridOf(11, 10);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y) g.SetCount(x, y, static_cast<std::uint16_t>(5 + x));
    g.SetCount(0, 0, 0);
    g.maxCount = 14;
    g.RemoveFloor();
    EXPECT_EQ(g.CountAt(3, 3), 8) << "one empty cell keeps every count";

    g.SetCount(0, 0, 5);
    g.RemoveFloor();
    EXPECT_EQ(g.CountAt(0, 0), 0);
    EXPECT_EQ(g.CountAt(3, 3), 3);
    EXPECT_EQ(g.maxCount, 9);
    EXPECT_EQ(g.minCount, 0);
}

TEST(DensityGrid, HistogramBinsAreFractionsOfAllCells)
{
    QuiltMap g = GridOf(101, 100);
    g.SetCount(10, 10, 7);
    g.maxCount = 7;
    g.BuildHistogram();
    EXPECT_DOUBLE_EQ(g.histogram[255], 0.0001);
    EXPECT_DOUBLE_EQ(g.histogram[0], 0.9999);

    // Counts 1..4 of maximum 4: relative 0.25 -> bin 64, the maximum -> bin 255, never 256.
    QuiltMap h = GridOf(3, 2);
    h.SetCount(0, 0, 1);
    h.SetCount(0, 1, 2);
    h.SetCount(1, 0, 3);
    h.SetCount(1, 1, 4);
    h.maxCount = 4;
    h.BuildHistogram();
    EXPECT_EQ(h.maxCount, 3) << "the floor of 1 is removed first";
    EXPECT_DOUBLE_EQ(h.histogram[0], 0.25);
    EXPECT_DOUBLE_EQ(h.histogram[85], 0.25);
    EXPECT_DOUBLE_EQ(h.histogram[170], 0.25);
    EXPECT_DOUBLE_EQ(h.histogram[255], 0.25);
}
