#pragma once

#include <functional>
#include <optional>

#include "engine/TilvexApp.h"
#include "core/UserInteraction.h"
#include "maps/QuiltKind.h"

namespace tilvex {

// What a front end asks for when it starts a quilt of its own.
struct NewQuiltRequest {
    QuiltKind kind = QuiltKind::Square;
    bool detailed = false;          // the detailed square or hex map
    std::optional<int> depth;       // detail depth: square 3-6, hex 4-11
    bool knot = false;              // hex only
    std::optional<int> cornerN;     // Wild Corner N, 3-42
    std::optional<int> gridWidth;   // kept inside the grid capacity
};

// Sets up a new quilt: grid width and detail settings, then a random quilt
// of the kind as "Choose Map" makes one with "Use Random Settings" ticked,
// then Wild Corner's N with the other coefficients kept. It changes and
// draws exactly what a user answering those dialogs that way would.
void NewQuilt(CTilvexApp& app, const NewQuiltRequest& request);

// The iteration limit; a quilt at its limit goes on once it is raised.
void SetIterationLimit(CTilvexApp& app, int maxIterations);

// Called every progressInterval steps and once at the end; returning false
// stops the run.
using StepProgress = std::function<bool(const CTilvexApp&)>;

// Runs up to n steps of the generation loop; returns the steps taken.
long long RunSteps(CTilvexApp& app, long long n, const StepProgress& progress = {},
                   long long progressInterval = 65536);

// Steps until the limit is reached (at least one step, so a quilt loaded at
// its limit resumes when the limit was raised); returns the steps taken.
long long RunToLimit(CTilvexApp& app, const StepProgress& progress = {}, long long progressInterval = 65536);

// Puts another user in front of the application state for its lifetime.
class ScopedInteraction {
public:
    ScopedInteraction(CTilvexApp& app, UserInteraction& user) : app_(app), previous_(app.ui) { app.ui = &user; }
    ~ScopedInteraction() { app_.ui = previous_; }
    ScopedInteraction(const ScopedInteraction&) = delete;
    ScopedInteraction& operator=(const ScopedInteraction&) = delete;

private:
    CTilvexApp& app_;
    UserInteraction* previous_;
};

}  // namespace tilvex
