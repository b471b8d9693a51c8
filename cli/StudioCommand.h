#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/RenderCommand.h"

namespace tilvex::cli {

struct StudioOptions {
    RenderOptions quilt;
    int size = 1024;
    double spp = 16.0;
    std::string colormap = "viridis";
    std::string gradient;
    std::string background;
    double gamma = 2.2;
    bool equalize = false;
    int period = 1;
    int threads = 0;
    unsigned long long studioSeed = 0;
    std::string simd = "auto";
    std::string png;
};

// tilvex-cli studio: a large true-colour tile of the quilt, on every core.
CLI::App* AddStudioCommand(CLI::App& cli, StudioOptions& options);
int RunStudio(const StudioOptions& options);

}  // namespace tilvex::cli
