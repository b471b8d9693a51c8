#include "studio/ColorMap.h"

#include <algorithm>
#include <cmath>

#include "studio/ColorMapTables.h"

namespace tilvex::studio {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double f)
{
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
}

Rgb8 Mix(Rgb8 a, Rgb8 b, double f) { return {Mix(a.r, b.r, f), Mix(a.g, b.g, f), Mix(a.b, b.b, f)}; }

}  // namespace

std::optional<Rgb8> ParseHexColour(std::string_view text)
{
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint8_t v[3];
    for (int i = 0; i < 3; ++i) {
        int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        v[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return Rgb8{v[0], v[1], v[2]};
}

std::vector<std::string> ColorMap::Names()
{
    std::vector<std::string> names;
    for (int i = 0; i < kNamedTableCount; ++i) names.emplace_back(kNamedTables[i].name);
    names.emplace_back("gray");
    names.emplace_back("quilt");
    return names;
}

std::optional<ColorMap> ColorMap::Named(std::string_view name, const Palette& quiltPalette)
{
    ColorMap map;
    if (name == "gray") {
        for (int i = 0; i < 256; ++i) {
            auto v = static_cast<std::uint8_t>(i);
            map.entries_[i] = {v, v, v};
        }
        return map;
    }
    if (name == "quilt") {
        for (int i = 0; i < 256; ++i) map.entries_[i] = {quiltPalette[i].red, quiltPalette[i].green, quiltPalette[i].blue};
        return map;
    }
    for (int t = 0; t < kNamedTableCount; ++t) {
        if (name != kNamedTables[t].name) continue;
        const char* hex = kNamedTables[t].rgbHex;
        for (int i = 0; i < 256; ++i) map.entries_[i] = *ParseHexColour(std::string_view(hex + 6 * i, 6));
        return map;
    }
    return std::nullopt;
}

ColorMap ColorMap::Gradient(const std::vector<Rgb8>& colours)
{
    ColorMap map;
    if (colours.size() < 2) return map;
    const double last = static_cast<double>(colours.size() - 1);
    for (int i = 0; i < 256; ++i) {
        double t = i / 255.0 * last;
        auto k = std::min(static_cast<std::size_t>(t), colours.size() - 2);
        map.entries_[i] = Mix(colours[k], colours[k + 1], t - static_cast<double>(k));
    }
    return map;
}

Rgb8 ColorMap::At(double t) const
{
    if (!(t > 0.0)) return entries_[0];
    if (t >= 1.0) return entries_[255];
    double x = t * 255.0;
    int k = static_cast<int>(x);
    return Mix(entries_[k], entries_[k + 1], x - k);
}

RgbF ColorMap::Sample(double t) const
{
    auto channels = [](double a, double b, double f) { return (a + (b - a) * f) / 255.0; };
    Rgb8 lo = entries_[0], hi = lo;
    double f = 0.0;
    if (t >= 1.0) {
        lo = hi = entries_[255];
    } else if (t > 0.0) {
        const double x = t * 255.0;
        const int k = static_cast<int>(x);
        lo = entries_[k];
        hi = entries_[k + 1];
        f = x - k;
    }
    return {channels(lo.r, hi.r, f), channels(lo.g, hi.g, f), channels(lo.b, hi.b, f)};
}

}  // namespace tilvex::studio
