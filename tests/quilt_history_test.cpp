#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/QuiltCoefficients.h"
#include "engine/QuiltControl.h"
#include "engine/QuiltHistory.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

// What undo must bring back exactly: form, name and every coefficient.
struct Seen {
    std::string form, name;
    std::vector<double> values;
    bool operator==(const Seen&) const = default;
};

Seen Look(const CTilvexApp& app)
{
    const QuiltForm form = FormOf(app);
    const ParameterTable& table = ParametersFor(form);
    Seen s{FormName(form), app.QuiltName(), {}};
    for (std::size_t i = 0; i < table.Size(); ++i) s.values.push_back(table.Get(app.maps, i));
    return s;
}

NewQuiltRequest Kind(QuiltKind kind, bool detailed = false)
{
    NewQuiltRequest r;
    r.kind = kind;
    r.detailed = detailed;
    return r;
}

}  // namespace

TEST(QuiltHistory, UndoAndRedoWalkEveryKindOfChangeBackAndForthExactly)
{
    CTilvexApp app(21);
    ASSERT_TRUE(app.InitInstance(1ull << 32));
    NewQuilt(app, Kind(QuiltKind::Square));
    QuiltHistory history;
    std::vector<Seen> states{Look(app)};

    // Each change as the desktop makes it: definition before, change, record.
    auto change = [&](const std::function<void()>& make) {
        QuiltDefinition before = QuiltDefinition::Of(app);
        make();
        RunSteps(app, 5000);
        history.Record(std::move(before), app);
        states.push_back(Look(app));
    };
    auto edit = [&](const char* name, double value) {
        QuiltMaps edited = app.maps;
        const ParameterTable& table = ParametersFor(FormOf(app));
        table.Set(edited, *table.Find(name), value);
        StartFromCoefficients(app, edited);
    };
    change([&] { edit("alpha", 0.123); });
    change([&] { edit("beta", -0.321); });
    change([&] { NewQuilt(app, Kind(QuiltKind::Hex, true)); });
    change([&] { edit("detail[3].re", 0.05); });
    change([&] { NewQuilt(app, Kind(QuiltKind::WildCorner)); });
    change([&] { edit("n", 9); });
    // Nothing changed: no step.
    QuiltDefinition same = QuiltDefinition::Of(app);
    history.Record(same, app);
    ASSERT_EQ(history.UndoSteps(), states.size() - 1);

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(history.Undo(app));
        EXPECT_EQ(Look(app), states[i - 1]) << i;
        EXPECT_EQ(app.counters.iterationCount, 0) << "generation restarts from the restored quilt";
    }
    EXPECT_FALSE(history.Undo(app));
    RunSteps(app, 1000);  // grows on from the restored quilt; redo still holds
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.Redo(app));
        EXPECT_EQ(Look(app), states[i]) << i;
    }
    EXPECT_FALSE(history.Redo(app));

    // A new change after undo forgets what could be redone.
    history.Undo(app);
    change([&] { edit("coef[0].im", 0.2); });
    EXPECT_FALSE(history.CanRedo());
}

TEST(QuiltHistory, KeepsItsLimitOfStepsDroppingTheOldest)
{
    CTilvexApp app(4);
    ASSERT_TRUE(app.InitInstance(1ull << 32));
    NewQuilt(app, Kind(QuiltKind::FourEightEight));
    QuiltHistory history(120);
    const std::size_t alpha = *ParametersFor(FormOf(app)).Find("square.radial[0].re");
    for (int i = 0; i < 150; ++i) {
        QuiltDefinition before = QuiltDefinition::Of(app);
        QuiltMaps edited = app.maps;
        ParametersFor(FormOf(app)).Set(edited, alpha, -5.0 + i * 0.05);
        StartFromCoefficients(app, edited);
        history.Record(std::move(before), app);
    }
    EXPECT_EQ(history.UndoSteps(), 120u);
    while (history.Undo(app)) {
    }
    EXPECT_DOUBLE_EQ(ParametersFor(FormOf(app)).Get(app.maps, alpha), -5.0 + 29 * 0.05);
}
