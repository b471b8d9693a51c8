#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace tilvex::cli {

struct GalleryOptions {
    std::string out;
    int count = 24;
    std::string kind = "any";
    std::optional<double> seed;
    std::optional<int> maxIterations;
    int thumb = 160;
    int threads = 0;
    bool progress = false;
};

// tilvex-cli gallery: many random quilts, scored, with thumbnails and sessions.
CLI::App* AddGalleryCommand(CLI::App& cli, GalleryOptions& options);
int RunGallery(const GalleryOptions& options);

}  // namespace tilvex::cli
