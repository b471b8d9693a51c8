#include "explore/NewQuilt.h"

#include <algorithm>
#include <array>

#include "explore/WildCornerSetting.h"

namespace tilvex {

namespace {

struct KindEntry {
    const char* name;
    QuiltKind kind;
    int button;
};

constexpr std::array<KindEntry, 6> kKinds = {{
    {"square", QuiltKind::Square, ChooseMapModel::kSquare},
    {"hex", QuiltKind::Hex, ChooseMapModel::kHex},
    {"4-6-12", QuiltKind::FourSixTwelve, ChooseMapModel::kFourSixTwelve},
    {"4-8-8", QuiltKind::FourEightEight, ChooseMapModel::kFourEightEight},
    {"3-12-12", QuiltKind::ThreeTwelveTwelve, ChooseMapModel::kThreeTwelveTwelve},
    {"wild-corner", QuiltKind::WildCorner, ChooseMapModel::kWildCorner},
}};

const KindEntry* FindKind(std::string_view name)
{
    auto it = std::find_if(kKinds.begin(), kKinds.end(), [&](const KindEntry& e) { return name == e.name; });
    return it == kKinds.end() ? nullptr : &*it;
}

}  // namespace

const std::vector<std::string>& KindNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const KindEntry& e : kKinds) list.emplace_back(e.name);
        return list;
    }();
    return names;
}

bool IsKindName(std::string_view name) { return FindKind(name) != nullptr; }

const char* KindName(QuiltKind kind)
{
    for (const KindEntry& e : kKinds)
        if (e.kind == kind) return e.name;
    return "square";
}

void NewQuiltInteraction::AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios)
{
    if (radios.InitialButton() != wantedKindButton) radios.Click(wantedKindButton);
    f.detailedSquare = detailedSquare;
    f.detailedHex = detailedHex;
    f.useRandom = 1;
}

void SetUpNewQuilt(CTilvexApp& app, NewQuiltInteraction& user, const NewQuiltRequest& o)
{
    if (o.grid) app.ApplyGridWidth(*o.grid);
    bool hexKind = o.kind == "hex";
    if (o.detailed) {
        if (hexKind)
            app.detailedHex = 1;
        else
            app.detailedSquare = 1;
    }
    if (o.depth) {
        if (hexKind)
            app.hexDetailDepth = *o.depth;
        else
            app.squareDetailDepth = static_cast<std::uint16_t>(*o.depth);
    }
    app.squareMap.detailed = app.detailedSquare;
    app.squareMap.depth = app.squareDetailDepth;
    app.hexMap.detailed = app.detailedHex;
    app.hexMap.depth = app.hexDetailDepth;
    if (o.knot) app.hexKnot = app.hexMap.knot = 1;

    const KindEntry* kind = FindKind(o.kind);
    user.wantedKindButton = kind ? kind->button : ChooseMapModel::kSquare;
    user.detailedSquare = app.detailedSquare;
    user.detailedHex = app.detailedHex;
    app.ui = &user;
    app.OnSetMapping();
    if (o.corner) SetWildCorner(app, *o.corner);
}

long long RunToLimit(CTilvexApp& app, const std::function<bool()>& every64kSteps)
{
    long long steps = 0;
    do {
        app.OnIdle();
        if ((++steps & 0xFFFF) == 0 && every64kSteps && !every64kSteps()) break;
    } while (!app.limitReached);
    return steps;
}

}  // namespace tilvex
