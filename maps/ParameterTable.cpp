#include "maps/ParameterTable.h"

#include <cmath>
#include <stdexcept>

#include "core/DialogRules.h"
#include "maps/QuiltKindNames.h"

namespace tilvex {

namespace {

// Dialogs without a range on these edits: a little beyond what random quilts draw
// (the harmonics +-0.3, the tiling polynomials +-10).
constexpr double kHarmonicLimit = 1.0;
constexpr double kTilingLimit = 10.0;

const FieldRule& RuleField(const DialogRule& rule, int controlId)
{
    std::optional<std::size_t> index = FieldIndex(rule, controlId);
    if (!index) throw std::logic_error("no control " + std::to_string(controlId) + " in " + rule.title);
    return rule.fields[*index];
}

ParameterInfo FromDialog(const DialogRule& rule, int controlId, std::string name, std::string group)
{
    const FieldRule& field = RuleField(rule, controlId);
    ParameterInfo info{std::move(name), std::move(group), field.label, 0.0, 1.0, true};
    if (field.range) {
        info.min = field.range->min;
        info.max = field.range->max;
    }
    info.integer = field.kind != Exchange::Double;
    return info;
}

std::string Indexed(const std::string& base, int k) { return base + "[" + std::to_string(k) + "]"; }

// The real and imaginary parts of a complex coefficient, through the map's
// own get and set of the whole value.
template <class Get, class Set>
void AddComplex(ParameterTable& t, const std::string& name, const std::string& group, const std::string& meaning,
                double limit, Get get, Set set)
{
    t.Add({name + ".re", group, meaning + ", real part", -limit, limit, false},
          [get](const QuiltMaps& m) { return get(m).re; },
          [get, set](QuiltMaps& m, double v) { set(m, Complex{v, get(m).im}); });
    t.Add({name + ".im", group, meaning + ", imaginary part", -limit, limit, false},
          [get](const QuiltMaps& m) { return get(m).im; },
          [get, set](QuiltMaps& m, double v) { set(m, Complex{get(m).re, v}); });
}

ParameterTable SquarePlain()
{
    ParameterTable t;
    const DialogRule& r = kSquareQuiltRule;
    auto add = [&](int id, const char* name, const char* group, double SqrMap::*field) {
        t.Add(FromDialog(r, id, name, group), [field](const QuiltMaps& m) { return m.square.*field; },
              [field](QuiltMaps& m, double v) { m.square.*field = v; });
    };
    add(117, "lambda", "Waves", &SqrMap::lambda);
    add(118, "alpha", "Waves", &SqrMap::alpha);
    add(103, "beta", "Waves", &SqrMap::beta);
    add(104, "gamma", "Waves", &SqrMap::gamma);
    add(105, "omega", "Waves", &SqrMap::omega);
    add(124, "emm", "Shape", &SqrMap::emm);
    return t;
}

// Both square forms: the half-cell shift as its check box.
void AddOffset(ParameterTable& t, const DialogRule& r)
{
    t.Add(FromDialog(r, 106, "offset", "Shape"), [](const QuiltMaps& m) { return m.square.shiftX != 0.0 ? 1.0 : 0.0; },
          [](QuiltMaps& m, double v) { m.square.shiftX = m.square.shiftY = v != 0.0 ? 0.5 : 0.0; });
}

ParameterTable SquareDetailed()
{
    ParameterTable t;
    const FieldRange coefRange = *kAllCoefficientsRule.fields[0].range;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            std::string name = "coef[" + std::to_string(i) + "][" + std::to_string(j) + "]";
            std::string meaning = "term sin(" + std::to_string(i + 1) + " a) cos(" + std::to_string(j + 1) +
                                  " b), a and b the point's angles";
            t.Add({name, "Harmonic " + std::to_string(i + 1), meaning, coefRange.min, coefRange.max, false},
                  [i, j](const QuiltMaps& m) { return m.square.Coef(i, j); },
                  [i, j](QuiltMaps& m, double v) { m.square.SetCoef(i, j, v); });
        }
    }
    t.Add(FromDialog(kAllCoefficientsRule, 124, "emm", "Shape"), [](const QuiltMaps& m) { return m.square.emm; },
          [](QuiltMaps& m, double v) { m.square.emm = v; });
    return t;
}

ParameterTable HexPlain()
{
    ParameterTable t;
    const DialogRule& r = kHexQuiltRule;
    t.Add(FromDialog(r, 199, "lambda.re", "Lambda"), [](const QuiltMaps& m) { return m.hex.lambda.re; },
          [](QuiltMaps& m, double v) { m.hex.lambda.re = v; });
    t.Add(FromDialog(r, 200, "lambda.im", "Lambda"), [](const QuiltMaps& m) { return m.hex.lambda.im; },
          [](QuiltMaps& m, double v) { m.hex.lambda.im = v; });
    t.Add(FromDialog(r, 201, "alpha.re", "Alpha"), [](const QuiltMaps& m) { return m.hex.alpha.re; },
          [](QuiltMaps& m, double v) { m.hex.alpha.re = v; });
    t.Add(FromDialog(r, 202, "alpha.im", "Alpha"), [](const QuiltMaps& m) { return m.hex.alpha.im; },
          [](QuiltMaps& m, double v) { m.hex.alpha.im = v; });
    t.Add(FromDialog(r, 203, "h_alpha", "H"), [](const QuiltMaps& m) { return m.hex.hAlpha; },
          [](QuiltMaps& m, double v) { m.hex.hAlpha = v; });
    t.Add(FromDialog(r, 204, "h_emm", "H"), [](const QuiltMaps& m) { return m.hex.hEmm; },
          [](QuiltMaps& m, double v) { m.hex.hEmm = v; });
    return t;
}

ParameterTable HexDetailed()
{
    ParameterTable t;
    for (int k = 0; k < HexMap::kHarmonics; ++k)
        AddComplex(
            t, Indexed("detail", k), "Harmonic " + std::to_string(k), "coefficient of harmonic " + std::to_string(k),
            kHarmonicLimit, [k](const QuiltMaps& m) { return m.hex.GetDetailCoefficient(k); },
            [k](QuiltMaps& m, Complex c) { m.hex.SetDetailCoefficient(k, c); });
    return t;
}

// A tiling map's polynomial arrays: tile name and its radial and angular arrays.
template <class Map>
struct TileArrays {
    const char* tile;
    const char* group;
    CComplexArray Map::*radial;
    CComplexArray Map::*angular;
};

template <class Map, std::size_t N>
ParameterTable Tiling(Map QuiltMaps::*map, const TileArrays<Map> (&tiles)[N])
{
    ParameterTable t;
    for (const TileArrays<Map>& tile : tiles) {
        for (auto [arrayName, member, what] : {std::tuple{"radial", tile.radial, "P(|z|^2)"},
                                               std::tuple{"angular", tile.angular, "Q(Re z^n)"}}) {
            // A copy: clang 14 cannot capture a structured binding.
            CComplexArray Map::*array = member;
            for (int k = 0; k < 4; ++k) {
                AddComplex(
                    t, std::string(tile.tile) + "." + Indexed(arrayName, k), tile.group,
                    std::string("coefficient ") + std::to_string(k) + " of " + what,
                    kTilingLimit, [map, array, k](const QuiltMaps& m) { return ((m.*map).*array)[k]; },
                    [map, array, k](QuiltMaps& m, Complex c) { ((m.*map).*array)[k] = c; });
            }
        }
    }
    return t;
}

ParameterTable FourSixTwelve()
{
    using M = MapSixFourTwelve;
    const TileArrays<M> tiles[] = {{"square", "Square tile", &M::squareRadial, &M::squareAngular},
                                   {"hexagon", "Hexagon tile", &M::hexRadial, &M::hexAngular},
                                   {"dodecagon", "Dodecagon tile", &M::dodecagonRadial, &M::dodecagonAngular}};
    return Tiling(&QuiltMaps::fourSixTwelve, tiles);
}

ParameterTable FourEightEight()
{
    using M = MapFourEight;
    const TileArrays<M> tiles[] = {{"square", "Square tile", &M::squareRadial, &M::squareAngular},
                                   {"octagon", "Octagon tile", &M::octagonRadial, &M::octagonAngular}};
    return Tiling(&QuiltMaps::fourEightEight, tiles);
}

ParameterTable ThreeTwelveTwelve()
{
    using M = MapThreeTwelve;
    const TileArrays<M> tiles[] = {{"triangle", "Triangle tile", &M::triangleRadial, &M::triangleAngular},
                                   {"dodecagon", "Dodecagon tile", &M::dodecagonRadial, &M::dodecagonAngular}};
    return Tiling(&QuiltMaps::threeTwelveTwelve, tiles);
}

ParameterTable WildCorner()
{
    ParameterTable t;
    // A new N rebuilds the wave tables; the coefficients are kept, as the dialog keeps them.
    t.Add(FromDialog(kCornerWildRule, 266, "n", "Corner"), [](const QuiltMaps& m) { return m.wildCorner.cornerN; },
          [](QuiltMaps& m, double v) {
              Complex kept[WildCornerMap::kTerms];
              for (int k = 0; k < WildCornerMap::kTerms; ++k) kept[k] = m.wildCorner.GetCoefficient(k);
              m.wildCorner.BuildFrequencies(static_cast<int>(v));
              for (int k = 0; k < WildCornerMap::kTerms; ++k) m.wildCorner.SetCoefficient(k, kept[k]);
          });
    // The session stores the terms below the depth, which the dialog keeps at 11 at most.
    const int terms = static_cast<int>(RuleField(kCornerWildRule, 267).range->max);
    for (int k = 0; k < terms; ++k)
        AddComplex(
            t, Indexed("coef", k), "Term " + std::to_string(k), "amplitude of wave term " + std::to_string(k),
            kHarmonicLimit, [k](const QuiltMaps& m) { return m.wildCorner.GetCoefficient(k); },
            [k](QuiltMaps& m, Complex c) { m.wildCorner.SetCoefficient(k, c); });
    return t;
}

}  // namespace

std::string FormName(const QuiltForm& form)
{
    std::string name = KindName(form.kind);
    if (form.kind == QuiltKind::Square || form.kind == QuiltKind::Hex)
        if (form.detailed) name += " detailed";
    if (form.kind == QuiltKind::Hex && form.knot) name += " knot";
    return name;
}

void ParameterTable::Add(ParameterInfo info, Getter get, Setter set)
{
    info_.push_back(std::move(info));
    get_.push_back(std::move(get));
    set_.push_back(std::move(set));
}

std::optional<std::size_t> ParameterTable::Find(std::string_view name) const
{
    for (std::size_t i = 0; i < info_.size(); ++i)
        if (info_[i].name == name) return i;
    return std::nullopt;
}

std::string ParameterTable::Check(std::size_t index, double value) const
{
    const ParameterInfo& p = info_[index];
    const bool whole = !p.integer || value == std::trunc(value);
    if (std::isfinite(value) && value >= p.min && value <= p.max && whole) return {};
    return p.name + " must be " + (p.integer ? "a whole number" : "a number") + " between " + FormatDouble(p.min) +
           " and " + FormatDouble(p.max);
}

std::string ParameterTable::NameList() const
{
    std::string list;
    for (const ParameterInfo& p : info_) list += (list.empty() ? "" : ", ") + p.name;
    return list;
}

const ParameterTable& ParametersFor(const QuiltForm& form)
{
    static const ParameterTable squarePlain = [] {
        ParameterTable t = SquarePlain();
        AddOffset(t, kSquareQuiltRule);
        return t;
    }();
    static const ParameterTable squareDetailed = [] {
        ParameterTable t = SquareDetailed();
        AddOffset(t, kAllCoefficientsRule);
        return t;
    }();
    static const ParameterTable hexPlain = HexPlain();
    static const ParameterTable hexDetailed = HexDetailed();
    static const ParameterTable fourSixTwelve = FourSixTwelve();
    static const ParameterTable fourEightEight = FourEightEight();
    static const ParameterTable threeTwelveTwelve = ThreeTwelveTwelve();
    static const ParameterTable wildCorner = WildCorner();
    switch (form.kind) {
    case QuiltKind::Square: return form.detailed ? squareDetailed : squarePlain;
    case QuiltKind::Hex: return form.detailed ? hexDetailed : hexPlain;
    case QuiltKind::FourSixTwelve: return fourSixTwelve;
    case QuiltKind::FourEightEight: return fourEightEight;
    case QuiltKind::ThreeTwelveTwelve: return threeTwelveTwelve;
    case QuiltKind::WildCorner: return wildCorner;
    }
    return squarePlain;
}

}  // namespace tilvex
