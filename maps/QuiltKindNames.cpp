#include "maps/QuiltKindNames.h"

namespace tilvex {

namespace {
constexpr QuiltKind kKinds[] = {QuiltKind::Square,         QuiltKind::Hex,
                                QuiltKind::FourSixTwelve,  QuiltKind::FourEightEight,
                                QuiltKind::ThreeTwelveTwelve, QuiltKind::WildCorner};
}

const char* KindName(QuiltKind kind)
{
    switch (kind) {
    case QuiltKind::Square: return "square";
    case QuiltKind::Hex: return "hex";
    case QuiltKind::FourSixTwelve: return "4-6-12";
    case QuiltKind::FourEightEight: return "4-8-8";
    case QuiltKind::ThreeTwelveTwelve: return "3-12-12";
    case QuiltKind::WildCorner: return "wild-corner";
    }
    return "square";
}

const std::vector<std::string>& KindNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (QuiltKind k : kKinds) all.emplace_back(KindName(k));
        return all;
    }();
    return names;
}

std::optional<QuiltKind> KindFromName(std::string_view name)
{
    for (QuiltKind k : kKinds)
        if (name == KindName(k)) return k;
    return std::nullopt;
}

}  // namespace tilvex
