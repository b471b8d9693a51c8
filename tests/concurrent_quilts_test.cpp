#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "core/SessionFile.h"
#include "core/TilvexApp.h"

using namespace tilvex;

namespace {

// A quilt from start-up to its session bytes; hex quilts are chosen the way
// the random choice after start-up would make them.
std::vector<std::uint8_t> MakeQuilt(double seed, bool hex)
{
    CTilvexApp app(seed);
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    if (hex) {
        app.ClearKindFlags();
        app.kindHex = 1;
        app.RandomNewQuilt();
    }
    for (int i = 0; i < 300000; ++i) app.OnIdle();
    return EncodeSession(app);
}

}  // namespace

// Each application state owns all it draws from: two at once on two threads
// give exactly the quilts each gives alone.
TEST(ConcurrentQuilts, TwoThreadsGiveTheQuiltsMadeAlone)
{
    const auto squareAlone = MakeQuilt(7, false);
    const auto hexAlone = MakeQuilt(3, true);
    std::vector<std::uint8_t> square, hex;
    std::thread a([&] { square = MakeQuilt(7, false); });
    std::thread b([&] { hex = MakeQuilt(3, true); });
    a.join();
    b.join();
    EXPECT_EQ(square, squareAlone);
    EXPECT_EQ(hex, hexAlone);
    EXPECT_NE(square, hex);
}
