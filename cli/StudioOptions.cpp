#include "cli/StudioOptions.h"

#include "studio/ColorMap.h"

namespace tilvex::cli {

namespace {

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

}  // namespace

void RenderSpecOptions::Add(CLI::App* command)
{
    command->add_option("--size", size,
                        "Tile width in pixels, " + std::to_string(studio::kMinWidth) + "-" +
                            std::to_string(studio::kMaxWidth) + " (default 1024); the height follows the kind");
    command->add_option("--spp", spp, "Average samples per pixel, above 0 up to 100000 (default 16)");
    // The text is checked first: converted as it is, -1 would wrap and what is past the top saturate.
    command
        ->add_option("--studio-seed", studioSeed,
                     "Seed of the orbits' start points, a whole number 0-18446744073709551615 (default 0)")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 20 ||
                    (text.size() == 20 && text > "18446744073709551615"))
                    return "must be a whole number between 0 and 18446744073709551615";
                return {};
            },
            ""));
    command->add_option("--simd", simd,
                        "Orbits in vector lanes: auto, avx512, avx2 or scalar (default auto: the widest this processor "
                        "has); the picture is the same on each");
    command->add_option("--precision", precision,
                        "exact (default) or fast: rougher sines for previews and drafts, a close but other picture");
}

std::string RenderSpecOptions::Validate() const
{
    if (size < studio::kMinWidth || size > studio::kMaxWidth)
        return "--size must be between " + std::to_string(studio::kMinWidth) + " and " + std::to_string(studio::kMaxWidth);
    if (!(spp > 0.0 && spp <= studio::kMaxSamplesPerPixel)) return "--spp must be above 0 and at most 100000";
    const std::optional<studio::SimdPath> path = studio::ParseSimdPath(simd);
    if (!path) return "unknown --simd '" + simd + "'; use one of auto, avx512, avx2, scalar";
    if (!studio::SimdSupported(*path)) return "--simd " + simd + ": this processor lacks it; use auto or scalar";
    if (!studio::ParsePrecision(precision)) return "unknown --precision '" + precision + "'; use exact or fast";
    return {};
}

studio::RenderSpec RenderSpecOptions::ToRenderSpec() const
{
    studio::RenderSpec renderSpec;
    renderSpec.width = size;
    renderSpec.samplesPerPixel = spp;
    renderSpec.seed = studioSeed;
    renderSpec.simd = *studio::ParseSimdPath(simd);
    renderSpec.precision = *studio::ParsePrecision(precision);
    return renderSpec;
}

void LookOptions::Add(CLI::App* command)
{
    auto* colormapOption = command->add_option("--colormap", colormap,
                                               "Colour map: " + Join(studio::ColorMap::Names()) + " (default viridis)");
    command->add_option("--gradient", gradient, "Colour map of your own, two or more stops: \"#RRGGBB,#RRGGBB,...\"")
        ->excludes(colormapOption);
    command->add_option("--background", background, "Colour of empty cells, #RRGGBB (default: the map's dark end)");
    command->add_option("--gamma", gamma, "Gamma of the tone curve, 0.1-10 (default 2.2)");
    command->add_flag("--equalize", equalize, "Equalise the brightness histogram");
}

std::string LookOptions::Validate() const
{
    if (!(gamma >= studio::kMinGamma && gamma <= studio::kMaxGamma)) return "--gamma must be between 0.1 and 10";
    if (!background.empty() && !studio::ParseHexColour(background))
        return "--background must be a colour of the form #RRGGBB";
    if (!gradient.empty()) {
        std::string error;
        if (studio::ParseGradient(gradient, error).empty()) return "--gradient: " + error;
        return {};
    }
    const std::vector<std::string> names = studio::ColorMap::Names();
    if (std::find(names.begin(), names.end(), colormap) == names.end())
        return "unknown --colormap '" + colormap + "'; use one of " + Join(names);
    return {};
}

studio::Look LookOptions::Look() const
{
    studio::Look look;
    look.colormap = colormap;
    if (!gradient.empty()) {
        std::string unused;
        look.gradient = studio::ParseGradient(gradient, unused);
    }
    if (!background.empty()) look.background = studio::ParseHexColour(background);
    look.tone.gamma = gamma;
    look.tone.equalize = equalize;
    return look;
}

void RunOptions::AddThreads(CLI::App* command)
{
    command->add_option("--threads", threads,
                        "Worker threads, 0-256; more than the cores run as many as there are cores (default 0: every core)");
}

void RunOptions::AddProgress(CLI::App* command)
{
    command->add_flag("--progress", progress, "Show a progress bar on stderr");
}

std::string RunOptions::Validate() const
{
    if (threads < 0 || threads > 256) return "--threads must be between 0 (all cores) and 256";
    return {};
}

std::string ValidatePeriod(int period)
{
    if (period < 1 || period > studio::kMaxPeriod) return "--period must be between 1 and 32";
    return {};
}

}  // namespace tilvex::cli
