#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

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

void AddRenderCommand(CLI::App& cli, RenderOptions& options);
void AddInfoCommand(CLI::App& cli, InfoOptions& options);
int RunSelected(CLI::App& cli, const RenderOptions& render, const InfoOptions& info);

}  // namespace tilvex::cli
