#include "cli/PaletteOption.h"

#include <sstream>
#include <vector>

#include "engine/TilvexApp.h"

namespace tilvex::cli {

namespace {

bool ParseNumber(const std::string& text, unsigned lo, unsigned hi, unsigned& out)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = static_cast<unsigned>(std::stoul(text));
    return out >= lo && out <= hi;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

bool ParseColour(const std::string& text, unsigned& red, unsigned& green, unsigned& blue)
{
    auto channels = Split(text, ',');
    return channels.size() == 3 && ParseNumber(channels[0], 0, 255, red) && ParseNumber(channels[1], 0, 255, green) &&
           ParseNumber(channels[2], 0, 255, blue);
}

}  // namespace

std::optional<PaletteChoice> ParsePaletteChoice(const std::string& text, std::string& error)
{
    PaletteChoice choice;
    if (text == "start") return choice;
    if (text == "random") {
        choice.kind = PaletteChoice::Kind::Random;
        return choice;
    }
    if (text == "density") {
        choice.kind = PaletteChoice::Kind::Density;
        return choice;
    }
    auto parts = Split(text, ':');
    DensityPaletteFields& f = choice.cycle;
    if (parts.size() == 4 && parts[0] == "cycle" && ParseColour(parts[1], f.startRed, f.startGreen, f.startBlue) &&
        ParseColour(parts[2], f.finalRed, f.finalGreen, f.finalBlue) && ParseNumber(parts[3], 1, 128, f.cycles)) {
        choice.kind = PaletteChoice::Kind::Cycle;
        return choice;
    }
    error = "--palette takes start, random, density or cycle:R,G,B:R,G,B:CYCLES "
            "(channels 0-255, cycles 1-128), not '" + text + "'";
    return std::nullopt;
}

void ApplyPaletteChoice(CTilvexApp& app, const PaletteChoice& choice)
{
    switch (choice.kind) {
    case PaletteChoice::Kind::Start: break;
    case PaletteChoice::Kind::Random: app.RandomResetPalette(); break;
    case PaletteChoice::Kind::Density: app.RandomDensityPalette(); break;
    case PaletteChoice::Kind::Cycle: {
        // The option gives the colours and cycles; the other settings stay.
        DensityPaletteFields f = app.CurrentDensityPaletteFields();
        f.startRed = choice.cycle.startRed;
        f.startGreen = choice.cycle.startGreen;
        f.startBlue = choice.cycle.startBlue;
        f.finalRed = choice.cycle.finalRed;
        f.finalGreen = choice.cycle.finalGreen;
        f.finalBlue = choice.cycle.finalBlue;
        f.cycles = choice.cycle.cycles;
        app.ApplyDensityPalette(f);
        break;
    }
    }
}

}  // namespace tilvex::cli
