#include "cli/StateJson.h"

#include "engine/QuiltCoefficients.h"
#include <cmath>

namespace tilvex::cli {

namespace {

nlohmann::ordered_json Pair(Complex c) { return nlohmann::ordered_json::array({c.re, c.im}); }

nlohmann::ordered_json Pairs(const CComplexArray& a, int n)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int k = 0; k < n && k < a.GetSize(); ++k) list.push_back(Pair(a[k]));
    return list;
}

nlohmann::ordered_json SquareCoefficients(const SqrMap& m)
{
    nlohmann::ordered_json j;
    j["lambda"] = m.lambda;
    j["alpha"] = m.alpha;
    j["beta"] = m.beta;
    j["gamma"] = m.gamma;
    j["omega"] = m.omega;
    j["emm"] = m.emm;
    j["offset"] = m.shiftX;
    j["detailed"] = m.detailed != 0;
    j["depth"] = m.depth;
    nlohmann::ordered_json matrix = nlohmann::ordered_json::array();
    for (int i = 0; i < 6; ++i) {
        nlohmann::ordered_json row = nlohmann::ordered_json::array();
        for (int jj = 0; jj < 6; ++jj) row.push_back(m.Coef(i, jj));
        matrix.push_back(row);
    }
    j["matrix"] = matrix;
    return j;
}

nlohmann::ordered_json HexCoefficients(HexMap& m)
{
    nlohmann::ordered_json j;
    j["alpha"] = Pair(m.alpha);
    j["lambda"] = Pair(m.lambda);
    j["hEmm"] = m.hEmm;
    j["hAlpha"] = m.hAlpha;
    j["detailed"] = m.detailed != 0;
    j["depth"] = m.depth;
    j["knot"] = m.knot != 0;
    nlohmann::ordered_json detail = nlohmann::ordered_json::array();
    for (int k = 0; k < HexMap::kHarmonics; ++k) detail.push_back(Pair(m.GetDetailCoefficient(k)));
    j["detail"] = detail;
    return j;
}

nlohmann::ordered_json WildCornerCoefficients(WildCornerMap& m)
{
    nlohmann::ordered_json j;
    j["cornerN"] = m.cornerN;
    j["depth"] = m.depth;
    j["theta"] = m.theta;
    nlohmann::ordered_json terms = nlohmann::ordered_json::array();
    for (int k = 0; k < WildCornerMap::kTerms; ++k) terms.push_back(Pair(m.GetCoefficient(k)));
    j["coefficients"] = terms;
    return j;
}

}  // namespace

nlohmann::ordered_json CoefficientsJson(CTilvexApp& app)
{
    nlohmann::ordered_json j;
    switch (app.Kind()) {
    case QuiltKind::Square: return SquareCoefficients(app.maps.square);
    case QuiltKind::Hex: return HexCoefficients(app.maps.hex);
    case QuiltKind::FourSixTwelve: {
        const MapSixFourTwelve& m = app.maps.fourSixTwelve;
        j["squareRadial"] = Pairs(m.squareRadial, 4);
        j["squareAngular"] = Pairs(m.squareAngular, 4);
        j["hexRadial"] = Pairs(m.hexRadial, 4);
        j["hexAngular"] = Pairs(m.hexAngular, 4);
        j["dodecagonRadial"] = Pairs(m.dodecagonRadial, 4);
        j["dodecagonAngular"] = Pairs(m.dodecagonAngular, 4);
        return j;
    }
    case QuiltKind::FourEightEight: {
        const MapFourEight& m = app.maps.fourEightEight;
        j["squareRadial"] = Pairs(m.squareRadial, 4);
        j["squareAngular"] = Pairs(m.squareAngular, 4);
        j["octagonRadial"] = Pairs(m.octagonRadial, 4);
        j["octagonAngular"] = Pairs(m.octagonAngular, 4);
        return j;
    }
    case QuiltKind::ThreeTwelveTwelve: {
        const MapThreeTwelve& m = app.maps.threeTwelveTwelve;
        j["triangleRadial"] = Pairs(m.triangleRadial, 4);
        j["triangleAngular"] = Pairs(m.triangleAngular, 4);
        j["dodecagonRadial"] = Pairs(m.dodecagonRadial, 4);
        j["dodecagonAngular"] = Pairs(m.dodecagonAngular, 4);
        return j;
    }
    case QuiltKind::WildCorner: return WildCornerCoefficients(app.maps.wildCorner);
    }
    return j;
}

nlohmann::ordered_json ParametersJson(CTilvexApp& app)
{
    const ParameterTable& table = ParametersFor(FormOf(app));
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < table.Size(); ++i) j[table.Parameters()[i].name] = table.Get(app.maps, i);
    return j;
}

nlohmann::ordered_json ParameterTableJson(const QuiltForm& form)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const ParameterInfo& p : ParametersFor(form).Parameters()) {
        nlohmann::ordered_json j;
        j["name"] = p.name;
        j["group"] = p.group;
        j["meaning"] = p.meaning;
        j["min"] = p.min;
        j["max"] = p.max;
        j["integer"] = p.integer;
        list.push_back(j);
    }
    nlohmann::ordered_json j;
    j["form"] = FormName(form);
    j["parameters"] = list;
    return j;
}

nlohmann::ordered_json StateJson(CTilvexApp& app)
{
    nlohmann::ordered_json j;
    j["kind"] = KindName(app.Kind());
    j["quiltName"] = app.QuiltName();
    j["iterationCount"] = app.counters.iterationCount;
    j["maxIterations"] = app.counters.maxIterations;
    j["gridSize"] = app.geometry.gridSize;
    j["maxGridSize"] = app.maxGridSize;
    j["filledCells"] = app.grid.FilledCells();
    j["maxCount"] = app.grid.maxCount;
    j["limitReached"] = app.run.limitReached != 0;
    j["generating"] = app.run.generating != 0;
    j["viewPeriod"] = app.geometry.viewPeriod;
    j["coefficients"] = CoefficientsJson(app);
    j["form"] = FormName(FormOf(app));
    j["parameters"] = ParametersJson(app);
    return j;
}

nlohmann::ordered_json SeedJson(double seed)
{
    if (seed >= 0.0 && seed <= 9007199254740992.0 && std::floor(seed) == seed)
        return static_cast<std::uint64_t>(seed);
    return seed;
}

std::string JsonText(const nlohmann::ordered_json& j)
{
    return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace tilvex::cli
