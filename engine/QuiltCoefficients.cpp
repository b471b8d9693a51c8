#include "engine/QuiltCoefficients.h"

#include <cmath>

namespace tilvex {

QuiltForm FormOf(const CTilvexApp& app)
{
    QuiltForm form;
    form.kind = app.Kind();
    if (form.kind == QuiltKind::Square) form.detailed = app.detail.detailedSquare != 0;
    if (form.kind == QuiltKind::Hex) {
        form.detailed = app.detail.detailedHex != 0;
        form.knot = app.detail.hexKnot != 0;
    }
    return form;
}

namespace {

void ApplySquare(CTilvexApp& app, const SqrMap& m, bool detailed)
{
    const bool offset = m.shiftX != 0.0;
    const int emm = static_cast<int>(std::trunc(m.emm));
    if (detailed) {
        AllCoefficientsFields f = app.CurrentAllCoefficientsFields();
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) f.coef[i][j] = m.Coef(i, j);
        f.emm = emm;
        f.offset = offset;
        f.useRandom = 0;
        app.ApplyAllCoefficients(f);
    } else {
        SquareQuiltFields f = app.CurrentSquareQuiltFields();
        f.lambda = m.lambda;
        f.alpha = m.alpha;
        f.beta = m.beta;
        f.gamma = m.gamma;
        f.omega = m.omega;
        f.emm = emm;
        f.offset = offset;
        f.useRandom = 0;
        app.ApplySquareQuilt(f);
    }
}

void ApplyHex(CTilvexApp& app, const HexMap& m, bool detailed)
{
    if (detailed) {
        HexDetailFields f = app.CurrentHexDetailFields();
        for (int k = 0; k < HexMap::kHarmonics; ++k) f.coef[k] = m.GetDetailCoefficient(k);
        f.useRandom = 0;
        app.ApplyHexDetail(f);
    } else {
        HexQuiltFields f = app.CurrentHexQuiltFields();
        f.lambdaRe = m.lambda.re;
        f.lambdaIm = m.lambda.im;
        f.alphaRe = m.alpha.re;
        f.alphaIm = m.alpha.im;
        f.hAlpha = m.hAlpha;
        f.hEmm = static_cast<unsigned>(std::trunc(m.hEmm));
        f.useRandom = 0;
        app.ApplyHexQuilt(f);
    }
}

void ApplyCornerWild(CTilvexApp& app, const WildCornerMap& m)
{
    CornerWildFields f = app.CurrentCornerWildFields();
    f.cornerN = static_cast<unsigned>(m.cornerN);
    for (int k = 0; k < WildCornerMap::kTerms; ++k) f.coef[k] = m.GetCoefficient(k);
    f.useRandom = 0;
    app.ApplyCornerWild(f);
}

// The form's table names every coefficient a lattice map's dialog would hold.
void ApplyLattice(CTilvexApp& app, const QuiltMaps& edited, const ParameterTable& table)
{
    for (std::size_t i = 0; i < table.Size(); ++i) table.Set(app.maps, i, table.Get(edited, i));
    app.image.imageBuilt = 0;
    app.ResetGeneration();
}

}  // namespace

void ApplyCoefficients(CTilvexApp& app, const QuiltMaps& edited)
{
    const QuiltForm form = FormOf(app);
    switch (form.kind) {
    case QuiltKind::Square: ApplySquare(app, edited.square, form.detailed); break;
    case QuiltKind::Hex: ApplyHex(app, edited.hex, form.detailed); break;
    case QuiltKind::WildCorner: ApplyCornerWild(app, edited.wildCorner); break;
    default: ApplyLattice(app, edited, ParametersFor(form)); break;
    }
    app.MakeQuiltName();
}

void StartFromCoefficients(CTilvexApp& app, const QuiltMaps& edited)
{
    ApplyCoefficients(app, edited);
    if (app.counters.iterationCount != 0 || app.run.limitReached || !app.run.generating) app.ResetGeneration();
}

std::string ApplyParameters(CTilvexApp& app, std::span<const ParameterAssignment> assignments)
{
    const QuiltForm form = FormOf(app);
    const ParameterTable& table = ParametersFor(form);
    QuiltMaps edited = app.maps;
    for (const ParameterAssignment& a : assignments) {
        std::optional<std::size_t> index = table.Find(a.name);
        if (!index) return "no parameter '" + a.name + "' for a " + FormName(form) + " quilt; it has " + table.NameList();
        if (std::string problem = table.Check(*index, a.value); !problem.empty()) return problem;
        table.Set(edited, *index, a.value);
    }
    ApplyCoefficients(app, edited);
    return {};
}

}  // namespace tilvex
