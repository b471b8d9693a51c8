#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stop_token>
#include <vector>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {
constexpr std::uint64_t kPlentyOfMemory = 1ull << 32;

struct StartedApp {
    explicit StartedApp(double seed = 7) : app(seed) { EXPECT_TRUE(app.InitInstance(kPlentyOfMemory)); }
    CTilvexApp app;
};

// Fills exactly n cells of the width x width area with a count of 1.
void FillCells(QuiltMap& grid, int n)
{
    grid.Clear();
    for (int i = 0; i < n; ++i) grid.SetCount(i % grid.width, i / grid.width, 1);
    grid.maxCount = n > 0 ? 1 : 0;
}

long long CountedPoints(const QuiltMap& grid)
{
    // A plot coordinate of 1.0 in y lands in the next column's row 0; one of
    // 1.0 in x lands past the area, up to (width, width).
    long long total = 0;
    for (int x = 0; x <= grid.width; ++x)
        for (int y = 0; y < grid.width; ++y) total += grid.CountAt(x, y);
    return total + grid.CountAt(grid.width, grid.width);
}
}  // namespace

TEST(GenerationLoop, WrapToUnitSquareExamples)
{
    CTilvexApp app(0.0);
    const double cases[][2] = {{1.25, 0.25}, {1.0, 1.0}, {-0.25, 0.75}, {-2.0, 1.0}, {0.0, 0.0}};
    for (const auto& c : cases) {
        app.orbit.plotX = c[0];
        app.orbit.plotY = -c[0];
        app.WrapToUnitSquare();
        EXPECT_EQ(app.orbit.plotX, c[1]) << c[0];
        EXPECT_EQ(app.orbit.plotY, ReduceToUnit(-c[0])) << c[0];
    }
}

TEST(GenerationLoop, ResetClearsCountersAndKeepsThePoint)
{
    StartedApp s;
    CTilvexApp& app = s.app;
    for (int i = 0; i < 5000; ++i) app.OnIdle();
    Complex before = app.orbit.point;
    app.grid.width = 150;
    app.ResetGeneration();
    EXPECT_EQ(app.counters.iterationCount, 0);
    EXPECT_EQ(app.geometry.gridSize, 150);
    EXPECT_EQ(app.counters.minFilledCells, 2250);
    EXPECT_EQ(app.geometry.gridScale, 150.0);
    EXPECT_EQ(app.grid.maxCount, 0);
    EXPECT_EQ(app.orbit.point, before);
    EXPECT_EQ(app.run.generating, 1);
}

TEST(GenerationLoop, LimitIsInclusiveAndTheWarmUpIsNotCounted)
{
    // A wide grid keeps this quilt from filling every cell, so no floor is
    // removed and the grid's total is exactly the number of counted points.
    StartedApp s(7);
    CTilvexApp& app = s.app;
    app.ApplyGridWidth(600);
    app.RandomNewQuilt();
    app.counters.maxIterations = 3500000;
    ASSERT_EQ(app.counters.iterationCount, 0);
    long long calls = 0;
    while (!app.run.limitReached) {
        app.OnIdle();
        ++calls;
    }
    ASSERT_EQ(app.counters.restarts, 0);
    EXPECT_EQ(app.counters.iterationCount, 3500001);
    EXPECT_EQ(calls, 3500002) << "the call after the last step only stops";
    EXPECT_LT(app.grid.FilledCells(), 600 * 600);
    EXPECT_LT(app.grid.maxCount, 65535);
    EXPECT_EQ(CountedPoints(app.grid), 3497001);

    // Stopped: further calls do nothing and still answer true.
    EXPECT_TRUE(app.OnIdle());
    EXPECT_EQ(app.counters.iterationCount, 3500001);
    EXPECT_EQ(app.run.generating, 0);
    // Raising the limit resumes where it stopped.
    app.counters.maxIterations = 3500010;
    app.OnIdle();
    EXPECT_EQ(app.counters.iterationCount, 3500002);
    EXPECT_EQ(app.run.limitReached, 0);
}

TEST(GenerationLoop, ConvergenceThresholdsAtTheChecks)
{
    struct Case {
        int step, filled;
        bool restarts;
    };
    const Case cases[] = {{10000, 199, true}, {10000, 200, false}, {100000, 999, true}, {100000, 1000, false}};
    for (const Case& c : cases) {
        StartedApp s;
        CTilvexApp& app = s.app;
        ASSERT_EQ(app.counters.minFilledCells, 1000);
        FillCells(app.grid, c.filled);
        app.counters.iterationCount = c.step - 1;
        int restartsBefore = app.counters.restarts;
        std::string nameBefore = app.QuiltName();
        app.OnIdle();
        EXPECT_EQ(app.counters.restarts - restartsBefore, c.restarts ? 1 : 0) << c.step << " " << c.filled;
        if (c.restarts) {
            EXPECT_EQ(app.counters.iterationCount, 0);
            EXPECT_NE(app.QuiltName(), nameBefore);
            EXPECT_EQ(app.run.generating, 1);
            EXPECT_EQ(app.run.restartPending, 0);
        } else {
            EXPECT_EQ(app.counters.iterationCount, c.step);
            EXPECT_EQ(app.counters.filledCells, c.filled);
        }
    }
}

TEST(GenerationLoop, AnEscapedOrbitIsCountedWithoutUndefinedConversions)
{
    StartedApp s;
    CTilvexApp& app = s.app;
    app.maps.square.lambda = std::numeric_limits<double>::quiet_NaN();
    app.counters.iterationCount = 5000;
    for (int i = 0; i < 100; ++i) app.OnIdle();
    EXPECT_FALSE(std::isfinite(app.orbit.plotX));
    EXPECT_EQ(app.orbit.cellX, INT_MIN);
    EXPECT_GE(app.grid.maxCount, 1);
}

TEST(GenerationLoop, IdleBusyGuardsAgainstReentry)
{
    StartedApp s;
    s.app.run.idleBusy = 1;
    EXPECT_TRUE(s.app.OnIdle());
    EXPECT_EQ(s.app.counters.iterationCount, 0);
}

TEST(StartUp, PaletteFollowsTheWildCornerDrawAndIsTheSameEveryStart)
{
    CTilvexApp a(1.0);
    // rand from state 1: 41 (Wild Corner), 18467, 6334, 26500, ...
    EXPECT_EQ(a.palette.paletteEntries[0].red, 18467 % 200 + 55);
    EXPECT_EQ(a.palette.paletteEntries[0].green, 6334 % 200 + 55);
    EXPECT_EQ(a.palette.paletteEntries[0].blue, 26500 % 200 + 55);
    EXPECT_EQ(a.palette.paletteEntries[0].flags, 0);
    EXPECT_EQ(a.palette.paletteEntries[1].flags, 1);
    CTilvexApp b(2.0);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(a.palette.paletteEntries[i].red, b.palette.paletteEntries[i].red);
        ASSERT_EQ(a.palette.paletteEntries[i].blue, b.palette.paletteEntries[i].blue);
        ASSERT_GE(a.palette.paletteEntries[i].green, 55);
        ASSERT_LE(a.palette.paletteEntries[i].green, 254);
    }
}

TEST(StartUp, SameSeedSameQuilt)
{
    auto run = [](double seed) {
        CTilvexApp app(seed);
        EXPECT_TRUE(app.InitInstance(kPlentyOfMemory));
        for (int i = 0; i < 50000; ++i) app.OnIdle();
        return std::make_tuple(app.QuiltName(), app.orbit.point.re, app.orbit.point.im, app.grid.maxCount);
    };
    EXPECT_EQ(run(123), run(123));
    EXPECT_NE(run(123), run(124));
}

TEST(StartUp, GridCapacityFitsTheAvailableMemory)
{
    EXPECT_EQ(ImageBlockSize(601), 1448272u);
    {
        CTilvexApp app(1.0);
        ASSERT_TRUE(app.InitInstance(2770675));
        EXPECT_EQ(app.maxGridSize, 601);
        EXPECT_EQ(app.geometry.hexSizeLimit, 400);
        EXPECT_EQ(app.image.imageMemory.size(), 1448272u);
    }
    {
        CTilvexApp app(1.0);
        ASSERT_TRUE(app.InitInstance(2770674));
        EXPECT_EQ(app.maxGridSize, 540);
        EXPECT_EQ(app.grid.StorageCells(), 540u * 540u + 2u);
    }
    {
        CTilvexApp app(1.0);
        AcceptingInteraction user;
        app.ui = &user;
        EXPECT_FALSE(app.InitInstance(800000));
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0], "Not Enouth non-Virtual Memory free for Startup");
    }
}

TEST(StepRuns, ProgressSeesEveryIntervalAndCanCancel)
{
    StartedApp s;
    std::vector<int> seen;
    std::stop_source cancel;
    auto watch = [&seen, &cancel](const CTilvexApp& app) {
        seen.push_back(app.counters.iterationCount);
        if (seen.size() == 2) cancel.request_stop();
    };
    EXPECT_EQ(RunSteps(s.app, 10000, cancel.get_token(), watch, 1000), 2000);
    EXPECT_EQ(seen, (std::vector<int>{1000, 2000}));

    // Uncancelled: every interval, then once at the end.
    seen.clear();
    SetIterationLimit(s.app, 4500);
    EXPECT_EQ(RunToLimit(s.app, {}, watch, 1000), 2502);  // 2500 steps, then the call that finds the limit passed
    EXPECT_EQ(seen, (std::vector<int>{3000, 4000, 4501}));
    EXPECT_EQ(s.app.counters.iterationCount, 4501);
    EXPECT_EQ(s.app.run.limitReached, 1);
}

TEST(GenerationLoop, TheCounterStopsAtTheTopOfItsRange)
{
    StartedApp s;
    CTilvexApp& app = s.app;
    app.counters.iterationCount = app.counters.maxIterations = INT_MAX;
    app.OnIdle();
    EXPECT_EQ(app.counters.iterationCount, INT_MAX);
    EXPECT_EQ(app.run.limitReached, 1);
    EXPECT_EQ(app.run.generating, 0);
    app.counters.iterationCount = INT_MAX - 1;
    app.OnIdle();
    app.OnIdle();
    EXPECT_EQ(app.counters.iterationCount, INT_MAX);
    EXPECT_EQ(app.run.limitReached, 1);
}
