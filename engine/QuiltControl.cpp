#include "engine/QuiltControl.h"

namespace tilvex {

namespace {

int KindButton(QuiltKind kind)
{
    switch (kind) {
    case QuiltKind::Hex: return ChooseMapModel::kHex;
    case QuiltKind::FourSixTwelve: return ChooseMapModel::kFourSixTwelve;
    case QuiltKind::FourEightEight: return ChooseMapModel::kFourEightEight;
    case QuiltKind::ThreeTwelveTwelve: return ChooseMapModel::kThreeTwelveTwelve;
    case QuiltKind::WildCorner: return ChooseMapModel::kWildCorner;
    case QuiltKind::Square: break;
    }
    return ChooseMapModel::kSquare;
}

// Answers the dialogs of a new quilt as a user would; messages go on to the
// user the state had.
class NewQuiltAnswers : public AcceptingInteraction {
public:
    NewQuiltAnswers(UserInteraction& outer, int kindButton, const CTilvexApp& app, std::optional<int> cornerN)
        : outer_(outer), kindButton_(kindButton), app_(app), cornerN_(cornerN)
    {
    }
    // Picks the kind with "Use Random Settings" ticked.
    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override
    {
        if (radios.InitialButton() != kindButton_) radios.Click(kindButton_);
        f.detailedSquare = app_.detail.detailedSquare;
        f.detailedHex = app_.detail.detailedHex;
        f.useRandom = 1;
    }
    // Types N, clears "Use New Random Settings" and confirms the rest as shown.
    bool AskCornerWild(CornerWildFields& f) override
    {
        f.cornerN = static_cast<unsigned>(cornerN_.value_or(static_cast<int>(f.cornerN)));
        f.useRandom = 0;
        return true;
    }
    void ShowMessage(const std::string& text, MessageIcon icon) override { outer_.ShowMessage(text, icon); }

private:
    UserInteraction& outer_;
    int kindButton_;
    const CTilvexApp& app_;
    std::optional<int> cornerN_;
};

}  // namespace

void ConfigureNewQuilt(CTilvexApp& app, const NewQuiltRequest& r)
{
    if (r.gridWidth) app.ApplyGridWidth(*r.gridWidth);
    const bool hexKind = r.kind == QuiltKind::Hex;
    if (r.detailed) {
        if (hexKind)
            app.detail.detailedHex = 1;
        else
            app.detail.detailedSquare = 1;
    }
    if (r.depth) {
        if (hexKind)
            app.detail.hexDetailDepth = *r.depth;
        else
            app.detail.squareDetailDepth = static_cast<std::uint16_t>(*r.depth);
    }
    if (r.knot) app.detail.hexKnot = 1;
    app.PushDetailToMaps(kAllDetail | (r.knot ? kHexKnot : 0u));

    NewQuiltAnswers answers(*app.ui, KindButton(r.kind), app, r.cornerN);
    ScopedInteraction scripted(app, answers);
    app.OnSetMapping();
    if (r.cornerN) app.SetWildCornerQuilt();
}

void SetIterationLimit(CTilvexApp& app, int maxIterations) { app.counters.maxIterations = maxIterations; }

long long RunSteps(CTilvexApp& app, long long n, const StepProgress& progress, long long progressInterval)
{
    long long steps = 0;
    while (steps < n) {
        app.OnIdle();
        ++steps;
        if (progress && progressInterval > 0 && steps % progressInterval == 0 && !progress(app)) return steps;
    }
    if (progress) progress(app);
    return steps;
}

long long RunToLimit(CTilvexApp& app, const StepProgress& progress, long long progressInterval)
{
    long long steps = 0;
    do {
        app.OnIdle();
        ++steps;
        if (progress && progressInterval > 0 && steps % progressInterval == 0 && !progress(app)) return steps;
    } while (!app.run.limitReached);
    if (progress) progress(app);
    return steps;
}

}  // namespace tilvex
