#include "studio/RenderSettings.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "studio/JsonFields.h"

namespace tilvex::studio {

std::string Validate(const RenderSettings& s)
{
    if (s.width < kMinWidth || s.width > kMaxWidth)
        return "width must be between " + std::to_string(kMinWidth) + " and " + std::to_string(kMaxWidth);
    if (!(s.samplesPerPixel > 0.0 && s.samplesPerPixel <= kMaxSamplesPerPixel))
        return "samplesPerPixel must be above 0 and at most 100000";
    if (s.chunks < kMinChunks || s.chunks > kMaxChunks)
        return "chunks must be between " + std::to_string(kMinChunks) + " and " + std::to_string(kMaxChunks);
    return {};
}

void to_json(nlohmann::json& j, const RenderSettings& s)
{
    j = nlohmann::json{{"width", s.width},
                       {"samplesPerPixel", s.samplesPerPixel},
                       {"seed", s.seed},
                       {"simd", SimdPathName(s.simd)},
                       {"precision", PrecisionName(s.precision)},
                       {"chunks", s.chunks}};
}

void from_json(const nlohmann::json& j, RenderSettings& s)
{
    JsonFields fields(j, "render settings");
    fields.Read("width", s.width);
    fields.Read("samplesPerPixel", s.samplesPerPixel);
    fields.Read("seed", s.seed);
    std::string simd = SimdPathName(s.simd);
    fields.Read("simd", simd);
    const std::optional<SimdPath> path = ParseSimdPath(simd);
    if (!path) throw std::invalid_argument("simd: unknown path '" + simd + "'");
    s.simd = *path;
    std::string precision = PrecisionName(s.precision);
    fields.Read("precision", precision);
    const std::optional<Precision> parsed = ParsePrecision(precision);
    if (!parsed) throw std::invalid_argument("precision: unknown precision '" + precision + "'; use exact or fast");
    s.precision = *parsed;
    fields.Read("chunks", s.chunks);
    fields.RefuseOthers();
    if (std::string problem = Validate(s); !problem.empty()) throw std::invalid_argument(problem);
}

}  // namespace tilvex::studio
