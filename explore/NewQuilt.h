#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TilvexApp.h"
#include "core/UserInteraction.h"

namespace tilvex {

// A new random quilt as the command line asks for one: everything but the
// kind is optional and keeps the program's start-up value when absent.
struct NewQuiltRequest {
    std::optional<double> seed;
    std::string kind = "square";
    std::optional<int> grid;
    std::optional<int> maxIterations;
    bool detailed = false;
    std::optional<int> depth;
    bool knot = false;
    std::optional<int> corner;
};

// The kinds' names on the command line and in files: square, hex, 4-6-12,
// 4-8-8, 3-12-12, wild-corner, in that order.
const std::vector<std::string>& KindNames();
bool IsKindName(std::string_view name);
const char* KindName(QuiltKind kind);

// The user who asks for a new quilt: picks the requested kind in "Choose Map"
// with "Use Random Settings" ticked, and accepts every other dialog as filled.
class NewQuiltInteraction : public AcceptingInteraction {
public:
    int wantedKindButton = ChooseMapModel::kSquare;
    int detailedSquare = 0;
    int detailedHex = 0;

    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override;
};

// Sets up a new quilt the way a user would: grid width and detail settings,
// then "Choose Map" with the kind picked and "Use Random Settings" ticked.
// The program must have started (InitInstance); the seed is the app's own.
// user answers the app's questions from then on, as through the whole run.
void SetUpNewQuilt(CTilvexApp& app, NewQuiltInteraction& user, const NewQuiltRequest& request);

// One step at least (a session loaded at its limit resumes when the limit was
// raised), then steps until the limit. every64kSteps, when given, is called
// every 65536 steps; returning false stops the run early. The steps taken.
long long RunToLimit(CTilvexApp& app, const std::function<bool()>& every64kSteps = {});

}  // namespace tilvex
