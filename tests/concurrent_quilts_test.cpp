#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

// A quilt from start-up to its session bytes, as the command line makes it.
std::vector<std::uint8_t> MakeQuilt(double seed, QuiltKind kind)
{
    CTilvexApp app(seed);
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuiltRequest request;
    request.kind = kind;
    NewQuilt(app, request);
    EXPECT_EQ(RunSteps(app, 300000), 300000);
    return EncodeSession(app);
}

}  // namespace

// Each application state owns all it draws from: two at once on two threads
// give exactly the quilts each gives alone.
TEST(ConcurrentQuilts, TwoThreadsGiveTheQuiltsMadeAlone)
{
    const auto squareAlone = MakeQuilt(7, QuiltKind::Square);
    const auto hexAlone = MakeQuilt(3, QuiltKind::Hex);
    std::vector<std::uint8_t> square, hex;
    std::thread a([&] { square = MakeQuilt(7, QuiltKind::Square); });
    std::thread b([&] { hex = MakeQuilt(3, QuiltKind::Hex); });
    a.join();
    b.join();
    EXPECT_EQ(square, squareAlone);
    EXPECT_EQ(hex, hexAlone);
    EXPECT_NE(square, hex);
}
