#include "engine/QuiltHistory.h"

#include <cstring>

#include "engine/QuiltCoefficients.h"

namespace tilvex {

QuiltDefinition QuiltDefinition::Of(const CTilvexApp& app)
{
    return {app.kindFlags, app.detail, app.maps,      app.identity,      app.geometry,
            app.transform, app.orbit,  app.grid.width, app.counters.maxIterations};
}

void QuiltDefinition::RestoreTo(CTilvexApp& app) const
{
    app.kindFlags = kindFlags;
    app.detail = detail;
    app.maps = maps;
    app.identity = identity;
    app.transform = transform;
    app.ApplyGridWidth(gridWidth);
    app.geometry = geometry;
    app.orbit = orbit;
    app.counters.maxIterations = maxIterations;
    app.image.imageBuilt = 0;
    app.ResetGeneration();
}

namespace {

QuiltForm FormOfDefinition(const QuiltDefinition& d)
{
    QuiltForm form{KindOf(d.kindFlags)};
    if (form.kind == QuiltKind::Square) form.detailed = d.detail.detailedSquare != 0;
    if (form.kind == QuiltKind::Hex) {
        form.detailed = d.detail.detailedHex != 0;
        form.knot = d.detail.hexKnot != 0;
    }
    return form;
}

}  // namespace

bool QuiltDefinition::SameQuiltAs(const QuiltDefinition& other) const
{
    const QuiltForm form = FormOfDefinition(*this);
    if (!(form == FormOfDefinition(other)) || gridWidth != other.gridWidth || identity.Name() != other.identity.Name())
        return false;
    const ParameterTable& table = ParametersFor(form);
    for (std::size_t i = 0; i < table.Size(); ++i)
        if (table.Get(maps, i) != table.Get(other.maps, i)) return false;
    return true;
}

void QuiltHistory::Record(QuiltDefinition before, const CTilvexApp& after)
{
    if (before.SameQuiltAs(QuiltDefinition::Of(after))) return;
    undo_.push_back(std::move(before));
    if (undo_.size() > limit_) undo_.pop_front();
    redo_.clear();
}

bool QuiltHistory::Undo(CTilvexApp& app)
{
    if (undo_.empty()) return false;
    redo_.push_back(QuiltDefinition::Of(app));
    undo_.back().RestoreTo(app);
    undo_.pop_back();
    return true;
}

bool QuiltHistory::Redo(CTilvexApp& app)
{
    if (redo_.empty()) return false;
    undo_.push_back(QuiltDefinition::Of(app));
    redo_.back().RestoreTo(app);
    redo_.pop_back();
    return true;
}

}  // namespace tilvex
