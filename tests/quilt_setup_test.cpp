#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/StdRand.h"
#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

constexpr std::uint64_t kPlentyOfMemory = 1ull << 32;

// A user who records what every parameter dialog was filled with and answers
// with a programmed edit (OK) or Cancel. Unprogrammed dialogs are confirmed
// as filled.
class ScriptedUser : public AcceptingInteraction {
public:
    template <typename F>
    using Answer = std::function<bool(F&)>;

    std::vector<std::string> log;
    std::vector<SquareQuiltFields> squareShown;
    std::vector<AllCoefficientsFields> allShown;
    std::vector<HexQuiltFields> hexShown;
    std::vector<HexDetailFields> hexDetailShown;
    std::vector<CornerWildFields> cornerShown;

    Answer<SquareQuiltFields> square;
    Answer<AllCoefficientsFields> all;
    Answer<HexQuiltFields> hex;
    Answer<HexDetailFields> hexDetail;
    Answer<CornerWildFields> corner;
    std::function<void(ChooseMapFields&, ChooseMapModel&)> chooseMap;

    void ShowConvergedMessage() override { log.emplace_back("converged"); }
    bool AskSquareQuilt(SquareQuiltFields& f) override { return Ask("square", f, squareShown, square); }
    bool AskAllCoefficients(AllCoefficientsFields& f) override { return Ask("all", f, allShown, all); }
    bool AskHexQuilt(HexQuiltFields& f) override { return Ask("hex", f, hexShown, hex); }
    bool AskHexDetail(HexDetailFields& f) override { return Ask("hexDetail", f, hexDetailShown, hexDetail); }
    bool AskCornerWild(CornerWildFields& f) override { return Ask("corner", f, cornerShown, corner); }
    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override
    {
        if (chooseMap) chooseMap(f, radios);
    }

private:
    template <typename F>
    bool Ask(const char* name, F& f, std::vector<F>& shown, const Answer<F>& answer)
    {
        log.emplace_back(name);
        shown.push_back(f);
        return answer ? answer(f) : true;
    }
};

template <typename F>
bool Cancel(F&)
{
    return false;
}

struct StartedQuilt {
    explicit StartedQuilt(double seed = 5) : app(seed)
    {
        app.ui = &user;
        EXPECT_TRUE(app.InitInstance(kPlentyOfMemory));
    }
    CTilvexApp app;
    ScriptedUser user;
};

void MarkCells(CTilvexApp& app, int n)
{
    for (int i = 0; i < n; ++i) app.grid.Increment(i % app.grid.width, i / app.grid.width);
}

int TotalCount(const CTilvexApp& app)
{
    int total = 0;
    for (int x = 0; x < app.grid.width; ++x)
        for (int y = 0; y < app.grid.width; ++y) total += app.grid.CountAt(x, y);
    return total;
}

// Everything a flow may change, for the Cancel checks.
struct Snapshot {
    explicit Snapshot(const CTilvexApp& a)
        : squareCoef(a.maps.square.coef),
          alpha(a.maps.square.alpha),
          emm(a.maps.square.emm),
          shift(a.maps.square.shiftX),
          squareDetailed(a.maps.square.detailed),
          squareDepth(a.maps.square.depth),
          hexAlpha(a.maps.hex.alpha),
          hexDepth(a.maps.hex.depth),
          hexKnot(a.maps.hex.knot),
          cornerN(a.maps.wildCorner.cornerN),
          cornerDepth(a.maps.wildCorner.depth),
          cornerAmplitudes(a.maps.wildCorner.amplitudes),
          flags{
              a.kindFlags.kindHex,      a.kindFlags.kindWildCorner, a.detail.detailedSquare, a.detail.detailedHex,
              a.detail.hexKnot,      a.run.useRandomSettings,    a.image.imageBuilt,      a.counters.iterationCount,
              a.counters.maxIterations, a.detail.squareDetailDepth, a.detail.hexDetailDepth, a.grid.width,
              a.grid.maxCount},
          point(a.orbit.point),
          randomState(a.random.state0 + 7 * a.random.state1 + 13 * a.random.state2),
          name(a.QuiltName())
    {
    }
    CDoubleArray squareCoef;
    double alpha, emm, shift;
    int squareDetailed;
    std::uint16_t squareDepth;
    Complex hexAlpha;
    int hexDepth, hexKnot, cornerN, cornerDepth;
    CComplexArray cornerAmplitudes;
    std::vector<int> flags;
    Complex point;
    double randomState;
    std::string name;

    void ExpectSame(const CTilvexApp& a) const
    {
        Snapshot now(a);
        for (int i = 0; i < 36; ++i) EXPECT_EQ(now.squareCoef[i], squareCoef[i]) << i;
        EXPECT_EQ(now.alpha, alpha);
        EXPECT_EQ(now.emm, emm);
        EXPECT_EQ(now.shift, shift);
        EXPECT_EQ(now.squareDetailed, squareDetailed);
        EXPECT_EQ(now.squareDepth, squareDepth);
        EXPECT_EQ(now.hexAlpha, hexAlpha);
        EXPECT_EQ(now.hexDepth, hexDepth);
        EXPECT_EQ(now.hexKnot, hexKnot);
        EXPECT_EQ(now.cornerN, cornerN);
        EXPECT_EQ(now.cornerDepth, cornerDepth);
        ASSERT_EQ(now.cornerAmplitudes.GetSize(), cornerAmplitudes.GetSize());
        for (int i = 0; i < cornerAmplitudes.GetSize(); ++i) EXPECT_EQ(now.cornerAmplitudes[i], cornerAmplitudes[i]);
        EXPECT_EQ(now.flags, flags);
        EXPECT_EQ(now.point, point);
        EXPECT_EQ(now.randomState, randomState);
        EXPECT_EQ(now.name, name);
    }
};

}  // namespace

// ---- Random New Quilt and its draws ----

TEST(RandomNewQuilt, SquareDrawsInOrderAndKeepsDetailChoiceAndDepth)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.detail.detailedSquare = app.maps.square.detailed = 1;
    app.detail.squareDetailDepth = app.maps.square.depth = 4;
    app.counters.iterationCount = 777;
    const double oldAlpha = app.maps.square.alpha;

    RandomSource replay = app.random;
    app.RandomNewQuilt();
    for (int i = 0; i < 43; ++i) replay.RandomUnit();  // the square map's own draws
    double x = replay.RandomUnit(), y = replay.RandomUnit();
    double plotX = replay.RandomUnit(), plotY = replay.RandomUnit();
    int number = static_cast<int>(std::trunc(replay.RandomUnit() * 999999.0));

    EXPECT_NE(app.maps.square.alpha, oldAlpha);
    EXPECT_EQ(app.maps.square.detailed, 1);
    EXPECT_EQ(app.maps.square.depth, 4);
    EXPECT_EQ(app.detail.detailedSquare, 1);
    EXPECT_EQ(app.detail.squareDetailDepth, 4);
    EXPECT_EQ(app.orbit.point, Complex(x, y));
    EXPECT_EQ(app.orbit.plotX, plotX);
    EXPECT_EQ(app.orbit.plotY, plotY);
    EXPECT_EQ(app.identity.quiltNumber, number);
    EXPECT_EQ(app.counters.iterationCount, 0);
    EXPECT_EQ(app.QuiltName().substr(0, 2), "Qs");
    EXPECT_EQ(replay.Next(), app.random.Next());
}

TEST(RandomNewQuilt, WildCornerTakesCornerFromRandAndDepthEleven)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindWildCorner = 1;
    app.maps.wildCorner.depth = 5;

    StdRand replayInts;
    replayInts.srand(4242);
    int expectedCorner = replayInts.rand() % 11 + 3;
    app.random.srand(4242);
    RandomSource replay = app.random;
    app.RandomNewQuilt();
    for (int i = 0; i < 24; ++i) replay.RandomUnit();
    double x = replay.RandomUnit(), y = replay.RandomUnit();
    replay.RandomUnit();
    replay.RandomUnit();
    int number = static_cast<int>(std::trunc(replay.RandomUnit() * 999999.0));

    EXPECT_EQ(app.maps.wildCorner.cornerN, expectedCorner);
    EXPECT_EQ(app.maps.wildCorner.depth, 11);
    EXPECT_EQ(app.orbit.point, Complex(x, y));
    EXPECT_EQ(app.identity.quiltNumber, number);
    EXPECT_EQ(app.QuiltName().substr(0, 2), "Qx");
    EXPECT_EQ(replay.Next(), app.random.Next());
}

TEST(RandomNewQuilt, HexStartPointAndGeometry)
{
    for (int knot : {0, 1}) {
        StartedQuilt s;
        CTilvexApp& app = s.app;
        app.kindFlags.Clear();
        app.kindFlags.kindHex = 1;
        app.detail.hexKnot = knot;
        app.grid.width = 120;
        app.counters.iterationCount = 50;
        app.RandomNewQuilt();

        const Complex p = app.orbit.nextPoint;
        EXPECT_GE(p.re, 0.0);
        EXPECT_LE(p.re, 1.0);
        EXPECT_GE(p.im, 0.0);
        EXPECT_LE(p.im, 1.0);
        if (knot) {
            // Inside the lattice cell spanned by (1, 0) and (1/2, h), not folded.
            EXPECT_EQ(app.orbit.point, Complex(p.re + p.im * 0.5, p.im * app.maps.hex.halfHeight));
        } else {
            EXPECT_EQ(app.orbit.point, app.maps.hex.FoldToCell(p));
        }
        EXPECT_EQ(app.geometry.gridSize, 120);
        EXPECT_EQ(app.geometry.gridScale, 120.0);
        EXPECT_EQ(app.geometry.gridScaleInverse, 1.0 / 120);
        EXPECT_EQ(app.geometry.tileWidth, app.maps.hex.tileWidth);
        EXPECT_EQ(app.geometry.tileHeight, app.maps.hex.tileHeight);
        EXPECT_GT(app.geometry.tileWidth, 0.0);
        EXPECT_EQ(app.counters.iterationCount, 0);
        EXPECT_EQ(app.QuiltName().substr(0, 2), "Qh");
    }
}

// ---- quilt names ----

TEST(QuiltName, SixDigitsWithLeadingZerosAndKindLetter)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    struct Case {
        int number;
        const char* name;
    };
    for (Case c : {Case{4711, "Qs004711"}, Case{0, "Qs000000"}, Case{999999, "Qs999999"}}) {
        app.identity.quiltNumber = c.number;
        app.FormatQuiltName();
        EXPECT_EQ(app.QuiltName(), c.name);
    }
    struct Kind {
        int KindFlags::*flag;
        const char* name;
    };
    app.identity.quiltNumber = 42;
    for (Kind k : {Kind{&KindFlags::kindHex, "Qh000042"}, Kind{&KindFlags::kindThreeTwelveTwelve, "QT000042"},
                   Kind{&KindFlags::kindFourEightEight, "Qe000042"}, Kind{&KindFlags::kindFourSixTwelve, "Qf000042"},
                   Kind{&KindFlags::kindWildCorner, "Qx000042"}}) {
        app.kindFlags.Clear();
        app.kindFlags.*k.flag = 1;
        app.FormatQuiltName();
        EXPECT_EQ(app.QuiltName(), k.name);
    }
}

TEST(QuiltName, NumberComesFromOneDraw)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    for (int i = 0; i < 50; ++i) {
        RandomSource replay = app.random;
        app.MakeQuiltName();
        EXPECT_EQ(app.identity.quiltNumber, static_cast<int>(std::trunc(replay.RandomUnit() * 999999.0)));
        ASSERT_GE(app.identity.quiltNumber, 0);
        ASSERT_LE(app.identity.quiltNumber, 999999);
        char expected[20];
        std::snprintf(expected, sizeof expected, "Qs%06d", app.identity.quiltNumber);
        EXPECT_EQ(app.QuiltName(), expected);
    }
}

// ---- grid width ----

TEST(GridWidth, GrowingBeyondAHundredRaisesTheLimit)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    struct Step {
        unsigned width;
        int maxIterations;
    };
    // 100 -> 200 keeps, 200 -> 300 sets 3.00^2 * 3500000, 300 -> 200 keeps.
    app.counters.maxIterations = 3500000;
    app.run.useRandomSettings = 0;
    for (Step st : {Step{200, 3500000}, Step{300, 31500000}, Step{200, 31500000}}) {
        MarkCells(app, 40);
        s.user.square = [&](SquareQuiltFields& f) {
            f.size = st.width;
            return true;
        };
        app.SetSquareQuilt();
        EXPECT_EQ(app.grid.width, st.width);
        EXPECT_EQ(app.geometry.gridSize, st.width);
        EXPECT_EQ(app.counters.maxIterations, st.maxIterations) << st.width;
        EXPECT_EQ(TotalCount(app), 0);
        EXPECT_EQ(app.grid.maxCount, 0);
    }
}

TEST(GridWidth, DirectChangesClearOnlyWhenTheWidthChanges)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.ApplyGridWidth(250);
    MarkCells(app, 30);
    app.ApplyGridWidth(250);
    EXPECT_EQ(TotalCount(app), 30);
    EXPECT_EQ(app.grid.maxCount, 1);
    app.counters.maxIterations = 1;
    app.ApplyGridWidth(400, 9500000.0);
    EXPECT_EQ(TotalCount(app), 0);
    EXPECT_EQ(app.counters.maxIterations, 152000000);  // 4.00^2 * 9500000
    // Widths the storage cannot hold are brought inside it.
    app.ApplyGridWidth(100000);
    EXPECT_EQ(app.grid.width, app.maxGridSize - 1);
    EXPECT_EQ(app.geometry.gridSize, app.maxGridSize - 1);
    app.ApplyGridWidth(0);
    EXPECT_EQ(app.grid.width, 20);
    app.ApplyGridWidth(-5);
    EXPECT_EQ(app.grid.width, 20);
}

// ---- the square dialogs ----

TEST(SquareFlows, PlainDialogIsFilledAndWrittenBack)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.maps.square.emm = -1.0;
    app.maps.square.shiftX = app.maps.square.shiftY = 0.5;
    app.run.useRandomSettings = 0;
    s.user.square = [](SquareQuiltFields& f) {
        f.alpha = 0.1;
        f.beta = -0.2;
        f.gamma = 0.05;
        f.lambda = -0.15;
        f.omega = 0.005;
        f.emm = 2;
        f.offset = 0;
        f.size = 150;
        return true;
    };
    app.image.imageBuilt = 1;
    app.counters.iterationCount = 99;
    app.SetSquareQuilt();

    ASSERT_EQ(s.user.squareShown.size(), 1u);
    const SquareQuiltFields& shown = s.user.squareShown[0];
    EXPECT_EQ(shown.sizeLimit, static_cast<unsigned>(app.maxGridSize - 1));
    EXPECT_EQ(shown.emm, -1);
    EXPECT_EQ(shown.offset, 1);
    EXPECT_EQ(shown.size, 100u);
    EXPECT_EQ(shown.useRandom, 0);
    EXPECT_EQ(shown.detailed, 0);

    EXPECT_EQ(app.maps.square.alpha, 0.1);
    EXPECT_EQ(app.maps.square.beta, -0.2);
    EXPECT_EQ(app.maps.square.gamma, 0.05);
    EXPECT_EQ(app.maps.square.lambda, -0.15);
    EXPECT_EQ(app.maps.square.omega, 0.005);
    EXPECT_EQ(app.maps.square.emm, 2.0);
    EXPECT_EQ(app.maps.square.shiftX, 0.0);
    EXPECT_EQ(app.maps.square.shiftY, 0.0);
    EXPECT_EQ(app.grid.width, 150);
    EXPECT_EQ(app.image.imageBuilt, 0);
    EXPECT_EQ(app.counters.iterationCount, 0);
    EXPECT_EQ(app.run.useRandomSettings, 0);
}

TEST(SquareFlows, CoefficientDialogShowsTheMatrixAndTakesEdits)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) app.maps.square.SetCoef(i, j, 0.01 * i - 0.001 * j);
    app.maps.square.emm = 1.0;
    app.maps.square.shiftX = app.maps.square.shiftY = 0.0;
    app.detail.squareDetailDepth = 5;
    app.run.useRandomSettings = 0;
    s.user.all = [](AllCoefficientsFields& f) {
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) f.coef[i][j] = -0.3 + 0.01 * (6 * i + j);
        f.depth = 3;
        f.detailed = 1;
        f.offset = 1;
        f.emm = -3;
        return true;
    };
    app.SetSquareCoefficients();

    ASSERT_EQ(s.user.allShown.size(), 1u);
    const AllCoefficientsFields& shown = s.user.allShown[0];
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) EXPECT_EQ(shown.coef[i][j], 0.01 * i - 0.001 * j) << i << "," << j;
    EXPECT_EQ(shown.sizeLimit, static_cast<unsigned>(app.maxGridSize - 1));
    EXPECT_EQ(shown.depth, 5u);
    EXPECT_EQ(shown.emm, 1);
    EXPECT_EQ(shown.offset, 0);

    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) EXPECT_EQ(app.maps.square.Coef(i, j), -0.3 + 0.01 * (6 * i + j));
    EXPECT_EQ(app.detail.squareDetailDepth, 3);
    EXPECT_EQ(app.maps.square.depth, 3);
    EXPECT_EQ(app.detail.detailedSquare, 1);
    EXPECT_EQ(app.maps.square.detailed, 1);
    EXPECT_EQ(app.maps.square.shiftX, 0.5);
    EXPECT_EQ(app.maps.square.shiftY, 0.5);
    EXPECT_EQ(app.maps.square.emm, -3.0);  // an edited Emm takes effect
    EXPECT_EQ(app.counters.iterationCount, 0);
}

TEST(SquareFlows, NewRandomSettingsDiscardTypedCoefficientsOnly)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.run.useRandomSettings = 0;
    s.user.all = [](AllCoefficientsFields& f) {
        for (auto& column : f.coef)
            for (double& c : column) c = 0.123;
        f.depth = 4;
        f.detailed = 1;
        f.size = 180;
        f.useRandom = 1;
        return true;
    };
    app.SetSquareCoefficients();
    int typed = 0;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) typed += app.maps.square.Coef(i, j) == 0.123;
    EXPECT_EQ(typed, 0);
    EXPECT_EQ(app.detail.squareDetailDepth, 4);
    EXPECT_EQ(app.maps.square.depth, 4);
    EXPECT_EQ(app.detail.detailedSquare, 1);
    EXPECT_EQ(app.maps.square.detailed, 1);
    EXPECT_EQ(app.grid.width, 180);
    EXPECT_EQ(app.run.useRandomSettings, 1);

    s.user.square = [](SquareQuiltFields& f) {
        f.alpha = 0.3333;
        f.size = 90;
        f.detailed = 0;
        f.useRandom = 1;
        return true;
    };
    app.SetSquareQuilt();
    EXPECT_NE(app.maps.square.alpha, 0.3333);
    EXPECT_EQ(app.grid.width, 90);
    EXPECT_EQ(app.detail.detailedSquare, 0);
    EXPECT_EQ(app.maps.square.depth, 4);
}

TEST(SquareFlows, CoefficientDialogCopiesDetailSettingsEvenWhenCancelled)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.detail.detailedSquare = 1;
    app.detail.squareDetailDepth = 3;
    app.maps.square.detailed = 0;
    app.maps.square.depth = 6;
    s.user.all = Cancel<AllCoefficientsFields>;
    app.SetSquareCoefficients();
    EXPECT_EQ(app.maps.square.detailed, 1);
    EXPECT_EQ(app.maps.square.depth, 3);
}

// ---- Cancel ----

TEST(Cancel, EveryParameterDialogLeavesTheQuiltAsItWas)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    // Bring the detail copies in line first: the coefficient dialog makes them
    // before it opens.
    app.maps.square.detailed = app.detail.detailedSquare;
    app.maps.square.depth = app.detail.squareDetailDepth;
    MarkCells(app, 25);
    app.counters.iterationCount = 4321;
    app.image.imageBuilt = 1;
    s.user.square = Cancel<SquareQuiltFields>;
    s.user.all = Cancel<AllCoefficientsFields>;
    s.user.hex = Cancel<HexQuiltFields>;
    s.user.hexDetail = Cancel<HexDetailFields>;
    s.user.corner = Cancel<CornerWildFields>;
    Snapshot before(app);

    app.SetSquareQuilt();
    app.SetSquareCoefficients();
    app.SetHexQuilt();
    app.SetHexCoefficients();
    app.SetWildCornerQuilt();

    EXPECT_EQ(s.user.log, (std::vector<std::string>{"square", "all", "hex", "hexDetail", "corner"}));
    before.ExpectSame(app);
    EXPECT_EQ(TotalCount(app), 25);
}

// ---- Choose Quilt Fractal ----

TEST(ChooseQuiltFractal, DetailBoxLeadsToTheOtherSquareDialogOnce)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    // Plain first: ticking the box opens the detailed dialog, clearing it
    // there does not lead back.
    s.user.square = [](SquareQuiltFields& f) { return f.detailed = 1, true; };
    s.user.all = [](AllCoefficientsFields& f) { return f.detailed = 0, true; };
    app.ChooseQuiltFractal();
    EXPECT_EQ(s.user.log, (std::vector<std::string>{"square", "all"}));
    EXPECT_EQ(app.detail.detailedSquare, 0);

    // Detailed first: clearing the box opens the plain dialog once.
    s.user.log.clear();
    app.detail.detailedSquare = 1;
    s.user.all = [](AllCoefficientsFields& f) { return f.detailed = 0, true; };
    s.user.square = [](SquareQuiltFields& f) { return f.detailed = 1, true; };
    app.ChooseQuiltFractal();
    EXPECT_EQ(s.user.log, (std::vector<std::string>{"all", "square"}));
    EXPECT_EQ(app.detail.detailedSquare, 1);

    // Unchanged box: one dialog.
    s.user.log.clear();
    s.user.all = nullptr;
    app.ChooseQuiltFractal();
    EXPECT_EQ(s.user.log, (std::vector<std::string>{"all"}));
}

TEST(ChooseQuiltFractal, DetailBoxLeadsToTheOtherHexDialogOnce)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindHex = 1;
    s.user.hex = [](HexQuiltFields& f) { return f.detailed = 1, true; };
    s.user.hexDetail = [](HexDetailFields& f) { return f.detailed = 0, true; };
    app.ChooseQuiltFractal();
    EXPECT_EQ(s.user.log, (std::vector<std::string>{"hex", "hexDetail"}));
    EXPECT_EQ(app.detail.detailedHex, 0);
    EXPECT_EQ(app.maps.hex.detailed, 0);

    s.user.log.clear();
    app.detail.detailedHex = 1;
    s.user.hexDetail = [](HexDetailFields& f) { return f.detailed = 0, true; };
    s.user.hex = [](HexQuiltFields& f) { return f.detailed = 1, true; };
    app.ChooseQuiltFractal();
    EXPECT_EQ(s.user.log, (std::vector<std::string>{"hexDetail", "hex"}));
    EXPECT_EQ(app.detail.detailedHex, 1);
    EXPECT_EQ(app.QuiltName().substr(0, 2), "Qh");
}

TEST(ChooseQuiltFractal, LatticeKindsTakeRandomSettingsWithoutAsking)
{
    for (int KindFlags::*flag :
         {&KindFlags::kindFourSixTwelve, &KindFlags::kindThreeTwelveTwelve, &KindFlags::kindFourEightEight}) {
        StartedQuilt s;
        CTilvexApp& app = s.app;
        app.kindFlags.Clear();
        app.kindFlags.*flag = 1;
        app.counters.iterationCount = 1234;
        const Complex oldPoint = app.orbit.point;
        app.ChooseQuiltFractal();
        EXPECT_TRUE(s.user.log.empty());
        EXPECT_EQ(app.counters.iterationCount, 0);
        EXPECT_NE(app.orbit.point, oldPoint);
        EXPECT_EQ(app.QuiltName()[0], 'Q');
        EXPECT_NE(app.QuiltName()[1], 's');
    }
}

// ---- the hex dialogs ----

TEST(HexFlows, PlainDialogIsFilledAndWrittenBack)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.maps.hex.hEmm = 1.0;
    app.detail.hexKnot = 0;
    app.run.useRandomSettings = 0;
    s.user.hex = [](HexQuiltFields& f) {
        f.alphaRe = 0.05;
        f.alphaIm = -0.07;
        f.lambdaRe = 0.1;
        f.lambdaIm = 0.15;
        f.hEmm = 0;
        f.hAlpha = -0.1;
        f.size = 210;
        f.knot = 1;
        return true;
    };
    app.counters.iterationCount = 5;
    app.SetHexQuilt();

    ASSERT_EQ(s.user.hexShown.size(), 1u);
    EXPECT_EQ(s.user.hexShown[0].sizeLimit, static_cast<unsigned>(app.geometry.hexSizeLimit));
    EXPECT_EQ(s.user.hexShown[0].hEmm, 1u);
    EXPECT_EQ(s.user.hexShown[0].size, 100u);

    EXPECT_EQ(app.kindFlags.kindHex, 1);
    EXPECT_EQ(app.maps.hex.alpha, Complex(0.05, -0.07));
    EXPECT_EQ(app.maps.hex.lambda, Complex(0.1, 0.15));
    EXPECT_EQ(app.maps.hex.hEmm, 0.0);
    EXPECT_EQ(app.maps.hex.hAlpha, -0.1);
    EXPECT_EQ(app.detail.hexKnot, 1);
    EXPECT_EQ(app.maps.hex.knot, 1);
    EXPECT_EQ(app.grid.width, 210);
    EXPECT_EQ(app.geometry.gridScale, 210.0);
    EXPECT_EQ(app.geometry.tileWidth, app.maps.hex.tileWidth);
    EXPECT_EQ(app.geometry.tileHeight, app.maps.hex.tileHeight);
    EXPECT_DOUBLE_EQ(app.geometry.tileWidth, 3 * 210.0);
    EXPECT_EQ(app.counters.iterationCount, 0);
}

TEST(HexFlows, DetailDialogWithoutRandomSettingsKeepsGenerating)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindHex = 1;
    app.run.useRandomSettings = 0;
    app.detail.hexDetailDepth = 11;
    MarkCells(app, 30);
    app.counters.iterationCount = 54321;
    app.image.imageBuilt = 1;
    const Complex point = app.orbit.point;
    for (int k = 0; k < 12; ++k) app.maps.hex.SetDetailCoefficient(k, {0.01 * k, -0.01});
    s.user.hexDetail = [](HexDetailFields& f) {
        for (int k = 0; k < 12; ++k) f.coef[k] = {0.02 * k, 0.03};
        f.depth = 6;
        f.detailed = 1;
        return true;
    };
    app.SetHexCoefficients();

    ASSERT_EQ(s.user.hexDetailShown.size(), 1u);
    const HexDetailFields& shown = s.user.hexDetailShown[0];
    for (int k = 0; k < 12; ++k) {
        EXPECT_NEAR(shown.coef[k].re, 0.01 * k, 1e-15) << k;
        EXPECT_NEAR(app.maps.hex.GetDetailCoefficient(k).re, 0.02 * k, 1e-15) << k;
        EXPECT_NEAR(app.maps.hex.GetDetailCoefficient(k).im, 0.03, 1e-15) << k;
    }
    EXPECT_EQ(shown.sizeLimit, static_cast<unsigned>(app.geometry.hexSizeLimit));
    EXPECT_EQ(shown.depth, 11);
    EXPECT_EQ(app.detail.hexDetailDepth, 6);
    EXPECT_EQ(app.maps.hex.depth, 6);
    EXPECT_EQ(app.detail.detailedHex, 1);
    EXPECT_EQ(app.maps.hex.detailed, 1);
    EXPECT_EQ(app.counters.iterationCount, 54321);
    EXPECT_EQ(TotalCount(app), 30);
    EXPECT_EQ(app.orbit.point, point);
    EXPECT_EQ(app.image.imageBuilt, 0);
}

TEST(HexFlows, NewRandomSettingsKeepWidthDepthAndBoxes)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindHex = 1;
    s.user.hexDetail = [](HexDetailFields& f) {
        for (Complex& c : f.coef) c = {0.0777, 0.0777};
        f.depth = 5;
        f.detailed = 1;
        f.knot = 1;
        f.size = 66;
        f.useRandom = 1;
        return true;
    };
    app.SetHexCoefficients();
    EXPECT_NE(app.maps.hex.GetDetailCoefficient(0), Complex(0.0777, 0.0777));
    EXPECT_EQ(app.detail.hexDetailDepth, 5);
    EXPECT_EQ(app.maps.hex.depth, 5);
    EXPECT_EQ(app.detail.detailedHex, 1);
    EXPECT_EQ(app.maps.hex.detailed, 1);
    EXPECT_EQ(app.detail.hexKnot, 1);
    EXPECT_EQ(app.grid.width, 66);
    EXPECT_EQ(app.geometry.gridScale, 66.0);
    EXPECT_EQ(app.counters.iterationCount, 0);
    EXPECT_EQ(app.run.useRandomSettings, 1);
}

// ---- the Wild Corner dialog ----

TEST(WildCornerFlow, DialogIsFilledAndWrittenBackWithoutReset)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindWildCorner = 1;
    app.RandomNewQuilt();
    app.run.useRandomSettings = 0;
    app.image.imageBuilt = 1;
    app.counters.iterationCount = 2222;
    MarkCells(app, 12);
    const Complex point = app.orbit.point;
    Complex shownCoef[12];
    for (int k = 0; k < 12; ++k) shownCoef[k] = app.maps.wildCorner.GetCoefficient(k);
    const int oldCorner = app.maps.wildCorner.cornerN;

    s.user.corner = [](CornerWildFields& f) {
        f.cornerN = 42;
        f.depth = 4;
        for (int k = 0; k < 12; ++k) f.coef[k] = {0.01 * k, -0.02};
        return true;
    };
    app.SetWildCornerQuilt();

    ASSERT_EQ(s.user.cornerShown.size(), 1u);
    const CornerWildFields& shown = s.user.cornerShown[0];
    EXPECT_EQ(shown.cornerN, static_cast<unsigned>(oldCorner));
    EXPECT_EQ(shown.depth, 11u);
    EXPECT_EQ(shown.size, 100u);
    EXPECT_EQ(shown.useRandom, 0);
    for (int k = 0; k < 12; ++k) EXPECT_EQ(shown.coef[k], shownCoef[k]) << k;

    EXPECT_EQ(app.maps.wildCorner.cornerN, 42);
    EXPECT_EQ(app.maps.wildCorner.rowCount, 22);
    EXPECT_EQ(app.maps.wildCorner.depth, 4);
    for (int k = 0; k < 12; ++k) {
        EXPECT_NEAR(app.maps.wildCorner.GetCoefficient(k).re, 0.01 * k, 1e-15) << k;
        EXPECT_NEAR(app.maps.wildCorner.GetCoefficient(k).im, -0.02, 1e-15) << k;
        EXPECT_EQ(app.maps.wildCorner.amplitudes[12 * 21 + k],
                  app.maps.wildCorner.rotations[20] * app.maps.wildCorner.amplitudes[k]);
    }
    EXPECT_EQ(app.counters.iterationCount, 2222);
    EXPECT_EQ(TotalCount(app), 12);
    EXPECT_EQ(app.orbit.point, point);
    EXPECT_EQ(app.image.imageBuilt, 1);
    EXPECT_EQ(app.kindFlags.kindWildCorner, 1);
}

TEST(WildCornerFlow, WidthUsesItsOwnIterationFactorAndSetsNoKind)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();  // square kind: the dialog itself selects no kind
    app.grid.width = 200;
    app.run.useRandomSettings = 0;
    s.user.corner = [](CornerWildFields& f) { return f.size = 300, true; };
    app.SetWildCornerQuilt();
    EXPECT_EQ(app.counters.maxIterations, 85500000);  // 3.00^2 * 9500000
    EXPECT_EQ(app.grid.width, 300);
    EXPECT_EQ(app.geometry.gridSize, 300);
    EXPECT_EQ(app.geometry.gridScale, 300.0);
    EXPECT_EQ(app.geometry.gridScaleInverse, 1.0 / 300);
    EXPECT_EQ(app.Kind(), QuiltKind::Square);

    // The dialog puts no bound on the width; the grid stays inside its storage.
    s.user.corner = [](CornerWildFields& f) { return f.size = 5000, true; };
    app.SetWildCornerQuilt();
    EXPECT_EQ(app.grid.width, app.maxGridSize - 1);
}

TEST(WildCornerFlow, NewRandomSettingsDiscardTypedCoefficients)
{
    StartedQuilt s;
    CTilvexApp& app = s.app;
    app.kindFlags.Clear();
    app.kindFlags.kindWildCorner = 1;
    app.counters.iterationCount = 100;
    s.user.corner = [](CornerWildFields& f) {
        f.cornerN = 40;
        for (Complex& c : f.coef) c = {0.0555, 0.0555};
        f.size = 140;
        f.useRandom = 1;
        return true;
    };
    app.SetWildCornerQuilt();
    EXPECT_LE(app.maps.wildCorner.cornerN, 13);  // a random corner value, 3..13
    EXPECT_NE(app.maps.wildCorner.GetCoefficient(0), Complex(0.0555, 0.0555));
    EXPECT_EQ(app.grid.width, 140);
    EXPECT_EQ(app.counters.iterationCount, 0);
    EXPECT_EQ(app.run.useRandomSettings, 1);
}

// ---- convergence restart ----

TEST(ConvergenceRestart, EveryKindInBothSettings)
{
    struct Kind {
        int KindFlags::*flag;   // null: square
        const char* dialog;     // first dialog of Choose Quilt Fractal, "" for none
        bool resetsWithoutRandom;
        const char* letters;
    };
    const Kind kinds[] = {
        {nullptr, "square", true, "Qs"},
        {&KindFlags::kindHex, "hex", true, "Qh"},
        {&KindFlags::kindFourSixTwelve, "", true, "Qf"},
        {&KindFlags::kindFourEightEight, "", true, "Qe"},
        {&KindFlags::kindThreeTwelveTwelve, "", true, "QT"},
        {&KindFlags::kindWildCorner, "corner", false, "Qx"},
    };
    for (const Kind& k : kinds)
        for (int useRandom : {1, 0}) {
            SCOPED_TRACE(std::string(k.letters) + " useRandomSettings " + std::to_string(useRandom));
            StartedQuilt s;
            CTilvexApp& app = s.app;
            app.kindFlags.Clear();
            if (k.flag) app.kindFlags.*k.flag = 1;
            app.run.useRandomSettings = useRandom;
            app.RandomNewQuilt();
            s.user.log.clear();

            // An empty grid at the check of step 10000: too few filled cells.
            app.counters.iterationCount = 9999;
            app.OnIdle();
            EXPECT_EQ(app.counters.restarts, 1);
            EXPECT_EQ(app.run.restartPending, 0);
            EXPECT_EQ(app.run.generating, 1);
            EXPECT_EQ(app.QuiltName().substr(0, 2), k.letters);
            std::vector<std::string> expected;
            if (!useRandom) {
                expected.emplace_back("converged");
                if (*k.dialog) expected.emplace_back(k.dialog);
            }
            EXPECT_EQ(s.user.log, expected);
            EXPECT_EQ(app.counters.iterationCount, useRandom || k.resetsWithoutRandom ? 0 : 10000);
            EXPECT_EQ(app.run.useRandomSettings, useRandom);
        }
}

// ---- a new quilt from values ----

// NewQuilt changes and draws what a user does who clicks the kind in Choose
// Map with "Use Random Settings" ticked, then types N into the Wild Corner
// dialog: quilts of every kind and form, one after another on one state.
TEST(NewQuilt, MakesTheQuiltTheDialogsMake)
{
    using K = QuiltKind;
    using M = ChooseMapModel;
    auto req = [](K kind, bool detailed = false, std::optional<int> depth = {}, bool knot = false,
                  std::optional<int> cornerN = {}, std::optional<int> width = {}) {
        return NewQuiltRequest{kind, detailed, depth, knot, cornerN, width};
    };
    const std::pair<NewQuiltRequest, int> cases[] = {
        {req(K::Square), M::kSquare},
        {req(K::Hex, true, 6, true, {}, 150), M::kHex},
        {req(K::Square, true, 4, false, {}, 77), M::kSquare},
        {req(K::Hex, false, 9, true), M::kHex},
        {req(K::FourSixTwelve), M::kFourSixTwelve},
        {req(K::WildCorner, false, {}, false, 17, 130), M::kWildCorner},
        {req(K::FourEightEight), M::kFourEightEight},
        {req(K::ThreeTwelveTwelve, false, {}, false, {}, 60), M::kThreeTwelveTwelve},
        {req(K::WildCorner), M::kWildCorner},
    };
    StartedQuilt byValues(9), byDialogs(9);
    int button = 0;
    unsigned cornerN = 0;
    byDialogs.user.chooseMap = [&button](ChooseMapFields& f, ChooseMapModel& radios) {
        if (radios.InitialButton() != button) radios.Click(button);
        f.useRandom = 1;
    };
    byDialogs.user.corner = [&cornerN](CornerWildFields& f) {
        f.cornerN = cornerN;
        f.useRandom = 0;
        return true;
    };
    for (const auto& [r, kindButton] : cases) {
        SCOPED_TRACE(kindButton);
        NewQuilt(byValues.app, r);

        CTilvexApp& app = byDialogs.app;
        const bool hex = r.kind == K::Hex;
        if (r.gridWidth) app.ApplyGridWidth(*r.gridWidth);
        if (r.detailed) (hex ? app.detail.detailedHex : app.detail.detailedSquare) = 1;
        if (r.depth && hex) app.detail.hexDetailDepth = *r.depth;
        if (r.depth && !hex) app.detail.squareDetailDepth = static_cast<std::uint16_t>(*r.depth);
        app.PushDetailToMaps(kAllDetail);
        if (r.knot) app.detail.hexKnot = app.maps.hex.knot = 1;
        button = kindButton;
        cornerN = static_cast<unsigned>(r.cornerN.value_or(0));
        app.OnSetMapping();
        if (r.cornerN) app.SetWildCornerQuilt();

        ASSERT_EQ(EncodeSession(byValues.app), EncodeSession(app));
        EXPECT_EQ(byValues.app.random.Next(), app.random.Next());
    }
}
