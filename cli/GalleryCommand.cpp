#include "cli/GalleryCommand.h"

#include <chrono>
#include <cstdio>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/GalleryFolder.h"
#include "cli/StateJson.h"
#include "core/RandomSource.h"
#include "explore/Gallery.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::cli {

namespace {

std::string Validate(const GalleryOptions& o)
{
    if (o.kind != kAnyKind && !IsKindName(o.kind)) return "unknown --kind '" + o.kind + "'";
    if (o.count < 1 || o.count > 10000) return "--count must be between 1 and 10000";
    // Every quilt's seed must be one render accepts.
    if (o.seed && (!IsAcceptedSeed(*o.seed) || !IsAcceptedSeed(*o.seed + o.count - 1)))
        return "--seed must be a whole number between 0 and 4294967295 minus the count";
    if (o.maxIterations && (*o.maxIterations < 1 || *o.maxIterations > 1000000000))
        return "--max-iterations must be between 1 and 1000000000";
    if (o.thumb < 16 || o.thumb > 2048) return "--thumb must be between 16 and 2048";
    if (o.threads < 0 || o.threads > 256) return "--threads must be between 0 (all cores) and 256";
    return {};
}

}  // namespace

CLI::App* AddGalleryCommand(CLI::App& cli, GalleryOptions& o)
{
    CLI::App* gallery = cli.add_subcommand(
        "gallery", "Make many random quilts, best first: sessions, thumbnails, index.json and a contact sheet");
    gallery->add_option("--out", o.out, "Folder to write (made if missing)")->required();
    gallery->add_option("--count", o.count, "Number of quilts (default 24)");
    gallery->add_option("--kind", o.kind, "any, square, hex, 4-6-12, 4-8-8, 3-12-12 or wild-corner (default any)");
    gallery->add_option("--seed", o.seed, "Seed of the first quilt; quilt i has seed + i (default: the clock)");
    gallery->add_option("--max-iterations", o.maxIterations,
                        "Iteration limit of each quilt (default " + std::to_string(kDefaultGalleryIterations) + ")");
    gallery->add_option("--thumb", o.thumb, "Thumbnail width in pixels (default 160)");
    gallery->add_option("--threads", o.threads, "Worker threads (default: every core)");
    gallery->add_flag("--progress", o.progress, "Show progress on stderr");
    return gallery;
}

int RunGallery(const GalleryOptions& o)
{
    if (std::string problem = Validate(o); !problem.empty()) {
        std::cerr << "tilvex-cli gallery: " << problem << "\n";
        return 2;
    }
    GalleryRequest request;
    request.count = o.count;
    request.kind = o.kind;
    request.baseSeed = o.seed ? *o.seed : ClockSeed();
    request.maxIterations = o.maxIterations.value_or(kDefaultGalleryIterations);
    request.thumbWidth = o.thumb;
    request.threads = o.threads;

    auto start = std::chrono::steady_clock::now();
    int done = 0;
    auto progress = [&](const GalleryEntry& entry) {
        if (!o.progress) return;
        ++done;
        std::fprintf(stderr, "\rgallery %d/%d %s", done, o.count, entry.quilt.name.c_str());
        if (done == o.count) std::fputc('\n', stderr);
        std::fflush(stderr);
    };
    std::optional<std::vector<GalleryEntry>> entries = MakeGallery(request, progress);
    if (!entries) {
        std::cerr << "tilvex-cli gallery: not enough memory to start a quilt\n";
        return 1;
    }
    if (std::string error = WriteGalleryFolder(o.out, *entries, request); !error.empty()) {
        std::cerr << "tilvex-cli gallery: " << error << "\n";
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    nlohmann::ordered_json j;
    j["count"] = o.count;
    j["seconds"] = seconds;
    j["quiltsPerSecond"] = seconds > 0 ? o.count / seconds : 0.0;
    j["threads"] = GalleryThreads(request);
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
