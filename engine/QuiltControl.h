#pragma once

#include <functional>
#include <optional>
#include <stop_token>

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

// Reports a run's progress: every progressInterval steps and once at the end.
using StepProgress = std::function<void(const CTilvexApp&)>;

// The runs look at stop every progressInterval steps, just after that
// report: once a stop is requested the run ends there, with no further
// report. Both return the steps taken.

// Runs up to n steps of the generation loop.
long long RunSteps(CTilvexApp& app, long long n, std::stop_token stop = {}, const StepProgress& progress = {},
                   long long progressInterval = 65536);

// Steps until the limit is reached (at least one step, so a quilt loaded at
// its limit resumes when the limit was raised).
long long RunToLimit(CTilvexApp& app, std::stop_token stop = {}, const StepProgress& progress = {},
                     long long progressInterval = 65536);

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
