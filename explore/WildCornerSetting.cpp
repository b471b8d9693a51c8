#include "explore/WildCornerSetting.h"

#include "core/TilvexApp.h"

namespace tilvex {

namespace {

// The user of "Corner Wild Coificents": types N, clears "Use New Random
// Settings" and confirms everything else as shown.
class CornerValueAnswer : public AcceptingInteraction {
public:
    explicit CornerValueAnswer(int n) : n_(n) {}
    bool AskCornerWild(CornerWildFields& f) override
    {
        f.cornerN = static_cast<unsigned>(n_);
        f.useRandom = 0;
        return true;
    }

private:
    int n_;
};

}  // namespace

void SetWildCorner(CTilvexApp& app, int n)
{
    CornerValueAnswer answer(n);
    UserInteraction* previous = app.ui;
    app.ui = &answer;
    app.SetWildCornerQuilt();
    app.ui = previous;
}

}  // namespace tilvex
