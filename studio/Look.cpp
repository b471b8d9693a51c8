#include "studio/Look.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "studio/JsonFields.h"

namespace tilvex::studio {

std::string Validate(const Look& look)
{
    if (look.gradient.empty()) {
        const std::vector<std::string> names = ColorMap::Names();
        if (std::find(names.begin(), names.end(), look.colormap) == names.end())
            return "colormap '" + look.colormap + "' is not one of the colour maps";
    } else if (look.gradient.size() < 2) {
        return "gradient needs at least two colours";
    }
    const ToneSettings& t = look.tone;
    if (!(t.gamma >= kMinGamma && t.gamma <= kMaxGamma)) return "gamma must be between 0.1 and 10";
    if (t.exposure && !(std::fabs(*t.exposure) <= kMaxExposure)) return "exposure must be auto or between -20 and 20";
    if (!(t.vibrancy >= 0.0 && t.vibrancy <= 1.0)) return "vibrancy must be between 0 and 1";
    if (!(t.highlight >= 0.0 && t.highlight <= 1.0)) return "highlight must be between 0 and 1";
    const DenoiseSettings& d = look.denoise;
    if (!(d.maxRadius >= 0.0 && d.maxRadius <= kMaxDenoiseRadius)) return "denoiseRadius must be between 0 and 32";
    if (!(d.curve >= 0.0 && d.curve <= kMaxDenoiseCurve)) return "denoiseCurve must be between 0 and 4";
    if (!(d.minRadius >= 0.0 && d.minRadius <= d.maxRadius))
        return "denoiseMinRadius must be between 0 and denoiseRadius";
    if (look.oversample < 1 || look.oversample > kMaxOversample) return "oversample must be between 1 and 4";
    if (look.bitDepth != 8 && look.bitDepth != 16) return "bitDepth must be 8 or 16";
    return {};
}

namespace {
constexpr const char* kColorByNames[] = {"density", "direction", "speed", "blend"};
}

const char* ColorByName(ColorBy colorBy) { return kColorByNames[static_cast<int>(colorBy)]; }

std::optional<ColorBy> ParseColorBy(std::string_view name)
{
    for (int i = 0; i < 4; ++i)
        if (name == kColorByNames[i]) return static_cast<ColorBy>(i);
    return std::nullopt;
}

ColorMap Colours(const Look& look, const Palette& quiltPalette)
{
    if (!look.gradient.empty()) return ColorMap::Gradient(look.gradient);
    if (std::optional<ColorMap> named = ColorMap::Named(look.colormap, quiltPalette)) return *named;
    return *ColorMap::Named("viridis", quiltPalette);
}

std::vector<Rgb8> ParseGradient(std::string_view stops, std::string& error)
{
    std::vector<Rgb8> colours;
    while (true) {
        std::size_t comma = stops.find(',');
        std::string_view item = stops.substr(0, comma);
        std::optional<Rgb8> c = ParseHexColour(item);
        if (!c) {
            const std::string which = "colour " + std::to_string(colours.size() + 1);
            error = item.empty() ? which + " is missing"
                                 : which + ", '" + std::string(item) + "', is not of the form #RRGGBB";
            return {};
        }
        colours.push_back(*c);
        if (comma == std::string_view::npos) break;
        stops.remove_prefix(comma + 1);
    }
    if (colours.size() < 2) {
        error = "a gradient needs at least two colours";
        return {};
    }
    return colours;
}

std::string HexColour(Rgb8 c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

namespace {

Rgb8 ColourOf(const std::string& key, const std::string& text)
{
    if (std::optional<Rgb8> c = ParseHexColour(text)) return *c;
    throw std::invalid_argument(key + ": '" + text + "' is not a colour of the form #RRGGBB");
}

}  // namespace

void to_json(nlohmann::json& j, const Look& look)
{
    j = nlohmann::json::object();
    if (look.gradient.empty()) {
        j["colormap"] = look.colormap;
    } else {
        std::vector<std::string> stops;
        for (Rgb8 c : look.gradient) stops.push_back(HexColour(c));
        j["gradient"] = stops;
    }
    if (look.background) j["background"] = HexColour(*look.background);
    j["gamma"] = look.tone.gamma;
    j["equalize"] = look.tone.equalize;
    if (look.tone.exposure)
        j["exposure"] = *look.tone.exposure;
    else
        j["exposure"] = "auto";
    j["vibrancy"] = look.tone.vibrancy;
    j["highlight"] = look.tone.highlight;
    j["denoise"] = DenoiseName(look.denoise);
    j["denoiseRadius"] = look.denoise.maxRadius;
    j["denoiseCurve"] = look.denoise.curve;
    j["denoiseMinRadius"] = look.denoise.minRadius;
    j["colorBy"] = ColorByName(look.colorBy);
    j["oversample"] = look.oversample;
    j["bitDepth"] = look.bitDepth;
}

void from_json(const nlohmann::json& j, Look& look)
{
    JsonFields fields(j, "look");
    fields.Read("colormap", look.colormap);
    std::vector<std::string> stops;
    if (fields.Read("gradient", stops)) {
        if (j.contains("colormap")) throw std::invalid_argument("gradient: a look takes a colormap or a gradient, not both");
        look.gradient.clear();
        for (const std::string& stop : stops) look.gradient.push_back(ColourOf("gradient", stop));
    }
    std::string background;
    if (fields.Read("background", background)) look.background = ColourOf("background", background);
    fields.Read("gamma", look.tone.gamma);
    fields.Read("equalize", look.tone.equalize);
    if (auto it = j.find("exposure"); it != j.end() && it->is_string()) {
        std::string text;
        fields.Read("exposure", text);
        if (text != "auto") throw std::invalid_argument("exposure: '" + text + "' is not auto or a number");
        look.tone.exposure.reset();
    } else {
        double stops = 0.0;
        if (fields.Read("exposure", stops)) look.tone.exposure = stops;
    }
    fields.Read("vibrancy", look.tone.vibrancy);
    fields.Read("highlight", look.tone.highlight);
    std::string denoise;
    if (fields.Read("denoise", denoise)) {
        if (!ParseDenoise(denoise, look.denoise))
            throw std::invalid_argument("denoise: '" + denoise + "' is not auto, kernel or off");
    }
    fields.Read("denoiseRadius", look.denoise.maxRadius);
    fields.Read("denoiseCurve", look.denoise.curve);
    fields.Read("denoiseMinRadius", look.denoise.minRadius);
    std::string colorBy;
    if (fields.Read("colorBy", colorBy)) {
        const std::optional<ColorBy> parsed = ParseColorBy(colorBy);
        if (!parsed) throw std::invalid_argument("colorBy: '" + colorBy + "' is not density, direction, speed or blend");
        look.colorBy = *parsed;
    }
    fields.Read("oversample", look.oversample);
    fields.Read("bitDepth", look.bitDepth);
    fields.RefuseOthers();
    if (std::string problem = Validate(look); !problem.empty()) throw std::invalid_argument(problem);
}

}  // namespace tilvex::studio
