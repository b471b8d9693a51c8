#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/QuiltCoefficients.h"
#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

constexpr std::uint64_t kPlentyOfMemory = 1ull << 32;

struct Quilt {
    explicit Quilt(const NewQuiltRequest& r, double seed = 11) : app(seed)
    {
        EXPECT_TRUE(app.InitInstance(kPlentyOfMemory));
        NewQuilt(app, r);
    }
    CTilvexApp app;
};

NewQuiltRequest Form(QuiltKind kind, bool detailed = false, bool knot = false)
{
    NewQuiltRequest r;
    r.kind = kind;
    r.detailed = detailed;
    r.knot = knot;
    return r;
}

std::vector<NewQuiltRequest> EveryForm()
{
    using K = QuiltKind;
    return {Form(K::Square), Form(K::Square, true), Form(K::Hex), Form(K::Hex, false, true), Form(K::Hex, true),
            Form(K::Hex, true, true), Form(K::FourSixTwelve), Form(K::FourEightEight), Form(K::ThreeTwelveTwelve),
            Form(K::WildCorner)};
}

// A value inside the range that differs from the current one.
double OtherValue(const ParameterInfo& p, double current)
{
    double v = p.integer ? (current == p.min ? p.max : p.min) : p.min + (p.max - p.min) * 0.37;
    return v == current ? p.min + (p.max - p.min) * 0.61 : v;
}

// A dialog answer: the edit as a user would type it, random settings off.
class DialogUser : public AcceptingInteraction {
public:
    double value = 0;
    bool AskSquareQuilt(SquareQuiltFields& f) override { return Type(f, f.gamma); }
    bool AskAllCoefficients(AllCoefficientsFields& f) override { return Type(f, f.coef[2][4]); }
    bool AskHexQuilt(HexQuiltFields& f) override { return Type(f, f.hAlpha); }
    bool AskHexDetail(HexDetailFields& f) override { return Type(f, f.coef[7].im); }
    bool AskCornerWild(CornerWildFields& f) override { return Type(f, f.coef[5].re); }

private:
    template <class F>
    bool Type(F& f, double& field)
    {
        field = value;
        f.useRandom = 0;
        return true;
    }
};

}  // namespace

// Through the table every stored coefficient of every form takes a new value,
// reads it back, leaves the others alone and survives a save and reload.
TEST(ParameterTable, EveryCoefficientSetsReadsBackAndSurvivesASession)
{
    for (const NewQuiltRequest& r : EveryForm()) {
        Quilt q(r);
        const QuiltForm form = FormOf(q.app);
        const ParameterTable& table = ParametersFor(form);
        SCOPED_TRACE(FormName(form));
        ASSERT_GT(table.Size(), 0u);

        // Setting what Get reads stores exactly what was there.
        QuiltMaps same = q.app.maps;
        for (std::size_t i = 0; i < table.Size(); ++i) table.Set(same, i, table.Get(same, i));
        ApplyCoefficients(q.app, same);
        const std::vector<std::uint8_t> before = EncodeSession(q.app);

        QuiltMaps edited = q.app.maps;
        std::vector<double> want(table.Size());
        for (std::size_t i = 0; i < table.Size(); ++i) want[i] = table.Get(edited, i);
        for (std::size_t i = 0; i < table.Size(); ++i) {
            const ParameterInfo& p = table.Parameters()[i];
            want[i] = OtherValue(p, want[i]);
            ASSERT_EQ(table.Check(i, want[i]), "") << p.name;
            table.Set(edited, i, want[i]);
            for (std::size_t j = 0; j <= i; ++j)
                ASSERT_NEAR(table.Get(edited, j), want[j], 1e-15 * std::abs(want[j]) + 1e-300)
                    << p.name << " then " << table.Parameters()[j].name;
        }
        ApplyCoefficients(q.app, edited);
        const std::vector<std::uint8_t> bytes = EncodeSession(q.app);
        EXPECT_NE(bytes, before);

        CTilvexApp reopened(1.0);
        ASSERT_TRUE(reopened.InitInstance(kPlentyOfMemory));
        ASSERT_FALSE(DecodeSession(reopened, bytes.data(), bytes.size()));
        EXPECT_EQ(FormOf(reopened), form);
        for (std::size_t i = 0; i < table.Size(); ++i)
            EXPECT_NEAR(table.Get(reopened.maps, i), want[i], 1e-15 * std::abs(want[i]) + 1e-300)
                << table.Parameters()[i].name;
    }
}

// A coefficient set by name writes the very session its dialog edit writes,
// after generation too.
TEST(ParameterTable, SettingByNameSavesWhatTheDialogEditSaves)
{
    const std::pair<NewQuiltRequest, std::string> cases[] = {
        {Form(QuiltKind::Square), "gamma"},          {Form(QuiltKind::Square, true), "coef[2][4]"},
        {Form(QuiltKind::Hex), "h_alpha"},           {Form(QuiltKind::Hex, false, true), "h_alpha"},
        {Form(QuiltKind::Hex, true), "detail[7].im"}, {Form(QuiltKind::WildCorner), "coef[5].re"},
    };
    for (const auto& [request, name] : cases) {
        SCOPED_TRACE(name);
        const double value = name == "gamma" ? 0.0731 : name == "h_alpha" ? -0.0123 : 0.0917;
        Quilt byName(request), byDialog(request);

        const ParameterAssignment a{name, value};
        ASSERT_EQ(ApplyParameters(byName.app, {&a, 1}), "");

        DialogUser user;
        user.value = value;
        ScopedInteraction scoped(byDialog.app, user);
        byDialog.app.ChooseQuiltFractal();

        RunSteps(byName.app, 30000);
        RunSteps(byDialog.app, 30000);
        EXPECT_EQ(EncodeSession(byName.app), EncodeSession(byDialog.app));
    }
}

TEST(ParameterTable, RefusesUnknownNamesAndValuesOutsideTheRangeChangingNothing)
{
    Quilt q(Form(QuiltKind::Hex));
    const std::vector<std::uint8_t> before = EncodeSession(q.app);
    auto refusal = [&](std::vector<ParameterAssignment> list) {
        std::string problem = ApplyParameters(q.app, list);
        EXPECT_EQ(EncodeSession(q.app), before) << problem;
        return problem;
    };
    EXPECT_NE(refusal({{"alpha.re", 0.05}, {"gamma", 0.0}}).find("it has lambda.re, lambda.im"), std::string::npos);
    EXPECT_NE(refusal({{"alpha.re", 0.5}}).find("between -0.1 and 0.1"), std::string::npos);
    EXPECT_NE(refusal({{"lambda.im", NAN}}).find("between 0 and 0.2"), std::string::npos);
    EXPECT_NE(refusal({{"h_emm", 0.5}}).find("whole number between 0 and 1"), std::string::npos);
    EXPECT_NE(refusal({{"alpha.re", INFINITY}}).find("-0.1"), std::string::npos);
}
