#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::cli {

struct RenderOptions {
    std::optional<double> seed;
    std::string kind = "square";
    std::optional<int> grid;
    std::optional<int> maxIterations;
    bool detailed = false;
    std::optional<int> depth;
    bool knot = false;
    std::optional<int> corner;
    int period = 1;
    std::string bmp, pcx, png;
    std::string load, save;
    bool progress = false;
    std::string palette = "start";
};

struct InfoOptions {
    std::string path;
};

// What generating a quilt took.
struct RunFigures {
    double seconds = 0.0;
    long long steps = 0;
    int restarts = 0;
};

// Empty when the new-quilt and load options make sense, else the problem.
std::string ValidateQuiltOptions(const RenderOptions& o);
// Starts the program's state, loads or sets up the quilt the options describe
// and generates it to its limit. False (already reported to the state's user) on failure.
bool GenerateQuilt(CTilvexApp& app, const RenderOptions& o, RunFigures& figures);

// The options that choose, load and generate the quilt, shared by the commands.
void AddQuiltOptions(CLI::App* command, RenderOptions& options);
void AddRenderCommand(CLI::App& cli, RenderOptions& options);
void AddInfoCommand(CLI::App& cli, InfoOptions& options);
int RunSelected(CLI::App& cli, const RenderOptions& render, const InfoOptions& info);

}  // namespace tilvex::cli
