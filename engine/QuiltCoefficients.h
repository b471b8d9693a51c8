#pragma once

#include <span>
#include <string>

#include "engine/TilvexApp.h"
#include "maps/ParameterTable.h"

namespace tilvex {

// The form the quilt's kind flags and detail settings select.
QuiltForm FormOf(const CTilvexApp& app);

// Sets the quilt up anew from edited coefficients (the form's parameters read
// from edited): what Quilt > Set Quilt Mapping's dialog does when those values
// are typed in and OK pressed with "Use New Random Settings" off, including
// the new quilt name. The lattice kinds have no dialog: they take the
// coefficients and restart.
void ApplyCoefficients(CTilvexApp& app, const QuiltMaps& edited);

// ApplyCoefficients, then a fresh start where the dialog lets the old orbit
// and grid go on (the detailed hex and Wild Corner dialogs): what the
// parameter editor and the variations do.
void StartFromCoefficients(CTilvexApp& app, const QuiltMaps& edited);

// A named value for the quilt's current form.
struct ParameterAssignment {
    std::string name;
    double value = 0.0;
};

// Checks every assignment against the form's table, then applies them all as
// one edit. Empty on success; otherwise the problem, and nothing changed.
std::string ApplyParameters(CTilvexApp& app, std::span<const ParameterAssignment> assignments);

}  // namespace tilvex
