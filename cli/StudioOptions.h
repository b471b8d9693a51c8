#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "studio/Look.h"
#include "studio/RenderSpec.h"

namespace tilvex::cli {

// What a studio picture is sampled with: --size, --spp, --studio-seed, --simd, --precision.
struct RenderSpecOptions {
    int size = 1024;
    double spp = 16.0;
    unsigned long long studioSeed = 0;
    std::string simd = "auto";
    std::string precision = "exact";

    void Add(CLI::App* command);
    std::string Validate() const;
    studio::RenderSpec ToRenderSpec() const;  // once valid
};

// How it looks: --colormap or --gradient, --background, --gamma, --equalize.
struct LookOptions {
    std::string colormap = "viridis";
    std::string gradient;
    std::string background;
    double gamma = 2.2;
    bool equalize = false;

    void Add(CLI::App* command);
    std::string Validate() const;
    studio::Look Look() const;  // once valid
};

// How the work runs: --threads, --progress.
struct RunOptions {
    int threads = 0;
    bool progress = false;

    void AddThreads(CLI::App* command);
    void AddProgress(CLI::App* command);
    std::string Validate() const;
};

// --period: tiles per picture side.
std::string ValidatePeriod(int period);

}  // namespace tilvex::cli
