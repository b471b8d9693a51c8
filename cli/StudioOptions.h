#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "studio/Look.h"
#include "studio/RenderSettings.h"

namespace tilvex::cli {

// What a studio picture is sampled with: --size, --spp, --studio-seed, --simd, --precision.
struct RenderSettingsOptions {
    int size = 1024;
    double spp = 16.0;
    unsigned long long studioSeed = 0;
    std::string simd = "auto";
    std::string precision = "exact";

    void Add(CLI::App* command);
    std::string Validate() const;
    studio::RenderSettings ToRenderSettings() const;  // once valid
};

// How it looks: a look file (--look) and the options given on top of it:
// --colormap or --gradient, --background, --gamma, --equalize, --exposure,
// --vibrancy, --highlight, --denoise and its three numbers, --color-by,
// --oversample, --bit-depth. --save-look writes the look in force.
struct LookOptions {
    std::string colormap = "viridis";
    std::string gradient;
    std::string background;
    double gamma = 2.2;
    bool equalize = false;
    std::string exposure = "auto";
    double vibrancy = 1.0, highlight = 0.0;
    std::string denoise = "auto";
    double denoiseRadius = 9.0, denoiseCurve = 0.6, denoiseMinRadius = 0.0;
    std::string colorBy = "density";
    int oversample = 1;
    int bitDepth = 8;
    std::string lookFile, saveLook;

    // film: the options a clip's frames use (colours and tone curve), no files.
    void Add(CLI::App* command, bool film = false);
    std::string Validate() const;
    studio::Look Look() const;  // once valid
    // Writes the look in force to --save-look, if given. Empty on success.
    std::string SaveLook() const;

private:
    // The look in force, or the problem.
    std::string Resolve(studio::Look& look) const;
    bool Given(const char* name) const;

    CLI::App* command_ = nullptr;
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
