#include "cli/StudioOptions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/RegularFile.h"
#include "engine/SessionFile.h"
#include "studio/ColorMap.h"

namespace tilvex::cli {

namespace {

constexpr std::size_t kMaxLookBytes = 1 << 16;  // a look is a few hundred bytes

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

}  // namespace

void RenderSettingsOptions::Add(CLI::App* command)
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

std::string RenderSettingsOptions::Validate() const
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

studio::RenderSettings RenderSettingsOptions::ToRenderSettings() const
{
    studio::RenderSettings renderSpec;
    renderSpec.width = size;
    renderSpec.samplesPerPixel = spp;
    renderSpec.seed = studioSeed;
    renderSpec.simd = *studio::ParseSimdPath(simd);
    renderSpec.precision = *studio::ParsePrecision(precision);
    return renderSpec;
}

void LookOptions::Add(CLI::App* command, bool film)
{
    command_ = command;
    if (!film) {
        command->add_option("--look", lookFile, "Read the look from this JSON file; the options below change it");
        command->add_option("--save-look", saveLook, "Write the look in force to this JSON file");
    }
    auto* colormapOption = command->add_option("--colormap", colormap,
                                               "Colour map: " + Join(studio::ColorMap::Names()) + " (default viridis)");
    command->add_option("--gradient", gradient, "Colour map of your own, two or more stops: \"#RRGGBB,#RRGGBB,...\"")
        ->excludes(colormapOption);
    command->add_option("--background", background, "Colour of empty cells, #RRGGBB (default: the map's dark end)");
    command->add_option("--gamma", gamma, "Gamma of the tone curve, 0.1-10 (default 2.2)");
    command->add_flag("--equalize", equalize, "Equalise the brightness histogram");
    command->add_option("--vibrancy", vibrancy, "Share of the gamma applied to brightness rather than each colour channel, 0-1 (default 1)");
    command->add_option("--highlight", highlight, "How far the densest pixels turn white, 0-1 (default 0)");
    if (film) return;
    command->add_option("--exposure", exposure,
                        "auto (default: black and white points at percentiles of the filled pixels) or stops "
                        "(-20 to 20; 0: white at the densest pixel)");
    command->add_option("--denoise", denoise,
                        "Density estimation: auto (default: an edge-aware filter of similar patches), kernel (a "
                        "radius that falls with the count, as flame renderers filter) or off");
    command->add_option("--denoise-radius", denoiseRadius, "With --denoise kernel: the radius in cells where one sample landed, 0-32 (default 9)");
    command->add_option("--denoise-curve", denoiseCurve, "With --denoise kernel: how fast the radius falls with the count, 0-4 (default 0.6)");
    command->add_option("--denoise-min-radius", denoiseMinRadius, "With --denoise kernel: the smallest radius in cells (default 0)");
    command->add_option("--color-by", colorBy, "Colour by density (default), direction, speed or blend");
    command->add_option("--oversample", oversample, "Accumulate at N times the resolution and filter down, 1-4 (default 1)");
    command->add_option("--bit-depth", bitDepth, "Bits a channel of the PNG: 8 (default) or 16");
}

// Without a command line (the fields set as values, as the Python module
// does) every option counts as given, but for the empty colours.
bool LookOptions::Given(const char* name) const
{
    if (command_) {
        const CLI::Option* option = command_->get_option_no_throw(name);
        return option && option->count() > 0;
    }
    const std::string_view option = name;
    if (option == "--look") return !lookFile.empty();
    if (option == "--background") return !background.empty();
    if (option == "--gradient") return !gradient.empty();
    return true;
}

std::string LookOptions::Resolve(studio::Look& look) const
{
    look = {};
    if (!lookFile.empty()) {
        std::vector<std::uint8_t> bytes;
        if (auto refusal = ReadRegularFile(lookFile, kMaxLookBytes + 1, bytes))
            return "--look: cannot read \"" + lookFile + "\": " + *refusal;
        if (bytes.size() > kMaxLookBytes) return "--look " + lookFile + ": longer than a look file can be";
        try {
            look = nlohmann::json::parse(bytes.begin(), bytes.end()).get<studio::Look>();
        } catch (const nlohmann::json::exception& e) {
            return "--look " + lookFile + ": not a JSON look (" + e.what() + ")";
        } catch (const std::invalid_argument& e) {
            return "--look " + lookFile + ": " + e.what();
        }
    }
    if (!Given("--look") || Given("--gamma")) {
        if (!(gamma >= studio::kMinGamma && gamma <= studio::kMaxGamma)) return "--gamma must be between 0.1 and 10";
        look.tone.gamma = gamma;
    }
    if (!Given("--look") || Given("--equalize")) look.tone.equalize = equalize;
    if (Given("--background")) {
        if (!studio::ParseHexColour(background)) return "--background must be a colour of the form #RRGGBB";
        look.background = studio::ParseHexColour(background);
    }
    if (Given("--gradient")) {
        std::string error;
        look.gradient = studio::ParseGradient(gradient, error);
        if (look.gradient.empty()) return "--gradient: " + error;
    } else if (Given("--colormap") || !Given("--look")) {
        const std::vector<std::string> names = studio::ColorMap::Names();
        if (std::find(names.begin(), names.end(), colormap) == names.end())
            return "unknown --colormap '" + colormap + "'; use one of " + Join(names);
        look.colormap = colormap;
        look.gradient.clear();
    }
    if (Given("--exposure")) {
        if (exposure == "auto") {
            look.tone.exposure.reset();
        } else {
            char* end = nullptr;
            const double stops = std::strtod(exposure.c_str(), &end);
            if (exposure.empty() || *end || !(std::fabs(stops) <= studio::kMaxExposure))
                return "--exposure must be auto or a number of stops between -20 and 20";
            look.tone.exposure = stops;
        }
    }
    auto number = [this](const char* name, double value, double lo, double hi, double& target) -> std::string {
        if (!Given(name)) return {};
        if (!(value >= lo && value <= hi)) {
            std::ostringstream text;
            text << name << " must be between " << lo << " and " << hi;
            return text.str();
        }
        target = value;
        return {};
    };
    for (const std::string& problem :
         {number("--vibrancy", vibrancy, 0.0, 1.0, look.tone.vibrancy),
          number("--highlight", highlight, 0.0, 1.0, look.tone.highlight),
          number("--denoise-radius", denoiseRadius, 0.0, studio::kMaxDenoiseRadius, look.denoise.maxRadius),
          number("--denoise-curve", denoiseCurve, 0.0, studio::kMaxDenoiseCurve, look.denoise.curve),
          number("--denoise-min-radius", denoiseMinRadius, 0.0, look.denoise.maxRadius, look.denoise.minRadius)})
        if (!problem.empty()) return problem;
    if (Given("--denoise")) {
        if (!studio::ParseDenoise(denoise, look.denoise)) return "--denoise must be auto, kernel or off";
    }
    if (Given("--color-by")) {
        const std::optional<studio::ColorBy> parsed = studio::ParseColorBy(colorBy);
        if (!parsed) return "unknown --color-by '" + colorBy + "'; use one of density, direction, speed, blend";
        look.colorBy = *parsed;
    }
    if (Given("--oversample")) {
        if (oversample < 1 || oversample > studio::kMaxOversample) return "--oversample must be between 1 and 4";
        look.oversample = oversample;
    }
    if (Given("--bit-depth")) {
        if (bitDepth != 8 && bitDepth != 16) return "--bit-depth must be 8 or 16";
        look.bitDepth = bitDepth;
    }
    if (std::string problem = studio::Validate(look); !problem.empty()) return problem;
    return {};
}

std::string LookOptions::Validate() const
{
    studio::Look look;
    return Resolve(look);
}

studio::Look LookOptions::Look() const
{
    studio::Look look;
    (void)Resolve(look);
    return look;
}

std::string LookOptions::SaveLook() const
{
    if (saveLook.empty()) return {};
    const std::string text = nlohmann::json(Look()).dump(2) + "\n";
    if (auto error = WriteFileReplacing(saveLook, std::vector<std::uint8_t>(text.begin(), text.end())))
        return "Cannot write the look \"" + saveLook + "\": " + *error;
    return {};
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
