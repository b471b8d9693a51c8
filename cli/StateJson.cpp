#include "cli/StateJson.h"

namespace tilvex::cli {

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

nlohmann::ordered_json StateJson(CTilvexApp& app)
{
    nlohmann::ordered_json j;
    j["kind"] = KindName(app.Kind());
    j["quiltName"] = app.QuiltName();
    j["iterationCount"] = app.iterationCount;
    j["maxIterations"] = app.maxIterations;
    j["gridSize"] = app.gridSize;
    j["maxGridSize"] = maxGridSize;
    j["filledCells"] = app.grid.FilledCells();
    j["maxCount"] = app.grid.maxCount;
    j["limitReached"] = app.limitReached != 0;
    j["generating"] = app.generating != 0;
    j["viewPeriod"] = app.viewPeriod;
    return j;
}

}  // namespace tilvex::cli
