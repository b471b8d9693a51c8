#include "studio/Look.h"

#include <algorithm>
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
    if (!(look.tone.gamma >= kMinGamma && look.tone.gamma <= kMaxGamma)) return "gamma must be between 0.1 and 10";
    return {};
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
    fields.RefuseOthers();
    if (std::string problem = Validate(look); !problem.empty()) throw std::invalid_argument(problem);
}

}  // namespace tilvex::studio
