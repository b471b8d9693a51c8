#pragma once

#include <cstddef>
#include <deque>

#include "engine/TilvexApp.h"

namespace tilvex {

// What makes a quilt this quilt, apart from how far it has grown: kind and
// detail settings, maps, name, grid width and geometry, transformation,
// start point and iteration limit. A value; the grid is not part of it.
struct QuiltDefinition {
    KindFlags kindFlags;
    DetailSettings detail;
    QuiltMaps maps;
    QuiltIdentity identity;
    GridGeometry geometry;
    Transformation transform;
    OrbitState orbit;
    int gridWidth = 0;
    int maxIterations = 0;

    static QuiltDefinition Of(const CTilvexApp& app);
    // Puts the definition back and restarts generation from it.
    void RestoreTo(CTilvexApp& app) const;
    // The same kind, form, name, grid width and coefficients (by the form's table).
    bool SameQuiltAs(const QuiltDefinition& other) const;
};

// Undo and redo of the quilt's definition, at most `limit` steps back.
class QuiltHistory {
public:
    explicit QuiltHistory(std::size_t limit = 200) : limit_(limit) {}

    // The definition before a change, once the change is made; forgets what
    // could be redone. A "change" to the same quilt is no step.
    void Record(QuiltDefinition before, const CTilvexApp& after);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoSteps() const { return undo_.size(); }
    // Each steps app once and restarts its generation; false when there is nothing to step to.
    bool Undo(CTilvexApp& app);
    bool Redo(CTilvexApp& app);

private:
    std::size_t limit_;
    std::deque<QuiltDefinition> undo_, redo_;
};

}  // namespace tilvex
