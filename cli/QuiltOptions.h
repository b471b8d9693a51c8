#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "engine/QuiltControl.h"

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::cli {

class ProgressPrinter;

// The options that choose, load and generate a quilt, shared by the commands
// that make one.
struct QuiltOptions {
    std::optional<double> seed;
    std::string kind = "square";
    std::optional<int> grid;
    std::optional<int> maxIterations;
    bool detailed = false;
    std::optional<int> depth;
    bool knot = false;
    std::optional<int> corner;
    std::string load;

    void Add(CLI::App* command);
    // Empty when the options make sense, else the problem.
    std::string Validate() const;
    NewQuiltRequest Request() const;
    // The seed given, else one drawn from the clock now: what a run reports as "seed".
    double DrawSeed() const;
};

// The quilt kinds, "square, hex, ...", for messages and help.
std::string KindList();

// What generating a quilt took.
struct RunFigures {
    double seconds = 0.0;
    long long steps = 0;
    int restarts = 0;
};

// Starts the program's state and loads or sets up the quilt the options
// describe, with their iteration limit. False (already reported to the
// state's user) on failure.
bool SetUpQuilt(CTilvexApp& app, const QuiltOptions& options);
// Generates the quilt to its limit, showing progress.
RunFigures GenerateToLimit(CTilvexApp& app, ProgressPrinter& progress);

}  // namespace tilvex::cli
