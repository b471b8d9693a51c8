#include "cli/StudioCommand.h"

#include <chrono>
#include <cstdio>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/CliInteraction.h"
#include "cli/StateJson.h"
#include "core/TilvexApp.h"
#include "render/QuiltRows.h"
#include "studio/StudioPng.h"

namespace tilvex::cli {

namespace {

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

std::string Validate(const StudioOptions& o, std::optional<studio::ColorMap>& colours)
{
    if (std::string problem = ValidateQuiltOptions(o.quilt); !problem.empty()) return problem;
    if (o.size < 16 || o.size > 16384) return "--size must be between 16 and 16384";
    if (!(o.spp > 0.0 && o.spp <= 100000.0)) return "--spp must be above 0 and at most 100000";
    if (!(o.gamma >= 0.1 && o.gamma <= 10.0)) return "--gamma must be between 0.1 and 10";
    if (o.period < 1 || o.period > 32) return "--period must be between 1 and 32";
    if (o.threads < 0 || o.threads > 256) return "--threads must be between 0 (all cores) and 256";
    if (!o.background.empty() && !studio::ParseHexColour(o.background))
        return "--background must be a colour of the form #RRGGBB";
    if (!o.gradient.empty()) {
        std::string error;
        colours = studio::ColorMap::Gradient(o.gradient, error);
        if (!colours) return "--gradient: " + error;
        return {};
    }
    Palette unused{};
    if (!studio::ColorMap::Named(o.colormap, unused))
        return "unknown --colormap '" + o.colormap + "'; use one of " + Join(studio::ColorMap::Names());
    return {};
}

class StudioProgressBar {
public:
    explicit StudioProgressBar(bool enabled) : enabled_(enabled) {}
    bool operator()(double done)
    {
        int percent = static_cast<int>(done * 100.0);
        if (enabled_ && percent != shown_) {
            shown_ = percent;
            std::fprintf(stderr, "\rstudio [%-50s] %3d%%", std::string(static_cast<std::size_t>(percent / 2), '#').c_str(),
                         percent);
            std::fflush(stderr);
        }
        return true;
    }
    ~StudioProgressBar()
    {
        if (enabled_ && shown_ >= 0) std::fputc('\n', stderr);
    }

private:
    bool enabled_;
    int shown_ = -1;
};

}  // namespace

CLI::App* AddStudioCommand(CLI::App& cli, StudioOptions& o)
{
    CLI::App* studio =
        cli.add_subcommand("studio", "Render a large, smooth, true-colour tile of a quilt on every core (PNG)");
    AddQuiltOptions(studio, o.quilt);
    studio->add_option("--size", o.size, "Tile width in pixels (default 1024); the height follows the kind");
    studio->add_option("--spp", o.spp, "Average samples per pixel (default 16)");
    studio->add_option("--colormap", o.colormap, "Colour map: " + Join(studio::ColorMap::Names()) + " (default viridis)");
    studio->add_option("--gradient", o.gradient, "Colour map of your own: \"#RRGGBB,#RRGGBB,...\"");
    studio->add_option("--background", o.background, "Colour of empty cells, #RRGGBB (default: the map's dark end)");
    studio->add_option("--gamma", o.gamma, "Gamma of the tone curve (default 2.2)");
    studio->add_flag("--equalize", o.equalize, "Equalise the brightness histogram");
    studio->add_option("--period", o.period, "Tiles per image side (default 1)");
    studio->add_option("--threads", o.threads, "Worker threads (default: every core)");
    studio->add_option("--studio-seed", o.studioSeed, "Seed of the orbits' start points (default 0)");
    studio->add_option("--png", o.png, "Output PNG file")->required();
    return studio;
}

int RunStudio(const StudioOptions& o)
{
    std::optional<studio::ColorMap> colours;
    if (std::string problem = Validate(o, colours); !problem.empty()) {
        std::cerr << "tilvex-cli studio: " << problem << "\n";
        return 2;
    }
    CTilvexApp app(o.quilt.seed);
    CliInteraction user;
    RunFigures run;
    if (!GenerateQuilt(app, user, o.quilt, run)) return 1;

    studio::StudioQuilt quilt = studio::StudioQuiltOf(app);
    if (!colours) colours = studio::ColorMap::Named(o.colormap, quilt.palette);
    studio::StudioSettings settings;
    settings.width = o.size;
    settings.samplesPerPixel = o.spp;
    settings.tone.gamma = o.gamma;
    settings.tone.equalize = o.equalize;
    if (!o.background.empty()) settings.background = studio::ParseHexColour(o.background);
    settings.threads = o.threads;
    settings.seed = o.studioSeed;

    auto start = std::chrono::steady_clock::now();
    StudioProgressBar progress(o.quilt.progress);
    std::optional<studio::StudioImage> image =
        studio::RenderStudioTile(quilt, settings, *colours, [&progress](double done) { return progress(done); });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (std::string error = studio::WriteStudioPng(*image, o.period, o.png); !error.empty()) {
        std::cerr << "tilvex-cli studio: " << error << "\n";
        return 1;
    }

    nlohmann::ordered_json j;
    j["kind"] = KindName(quilt.kind);
    j["quiltName"] = quilt.name;
    j["width"] = image->width * o.period;
    j["height"] = image->height * o.period;
    j["samples"] = image->samples;
    j["threads"] = image->threads;
    j["seconds"] = seconds;
    j["samplesPerSecond"] = seconds > 0 ? static_cast<double>(image->samples) / seconds : 0.0;
    j["colormap"] = o.gradient.empty() ? o.colormap : "gradient";
    std::cout << j.dump(2) << "\n";
    return 0;
}

}  // namespace tilvex::cli
