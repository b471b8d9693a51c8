#pragma once

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "engine/QuiltCoefficients.h"
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
    std::vector<std::string> params;  // NAME=VALUE, applied after the quilt is set up

    void Add(CLI::App* command);
    // Empty when the options make sense, else the problem.
    std::string Validate() const;
    NewQuiltRequest Request() const;
    // The --param values; only after Validate accepted them.
    std::vector<ParameterAssignment> Assignments() const;
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
// describe, its --param values and iteration limit. The exit status: 0 ready,
// 1 failed (reported to the state's user), 2 a --param refused (reported to
// `errors` after "<who>: ", e.g. "tilvex-cli render").
int SetUpQuilt(CTilvexApp& app, const QuiltOptions& options, const std::string& who, std::ostream& errors = std::cerr);
// Generates the quilt to its limit, showing progress.
RunFigures GenerateToLimit(CTilvexApp& app, ProgressPrinter& progress);

}  // namespace tilvex::cli
