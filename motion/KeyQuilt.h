#pragma once

#include <memory>
#include <span>
#include <string>

#include "maps/ParameterTable.h"
#include "render/QuiltSnapshot.h"

namespace tilvex::motion {

// A saved session's quilt, loaded into an application state of its own and
// taken as a snapshot. Empty, with error set to the message, on failure.
std::shared_ptr<const QuiltSnapshot> LoadKeyQuilt(const std::string& path, std::string& error);

// The form a snapshot's kind and detail settings select.
QuiltForm FormOf(const QuiltSnapshot& quilt);

// The form's coefficients of a quilt, in its parameter table's order.
std::vector<double> ParametersOf(const QuiltSnapshot& quilt, const QuiltForm& form);

// base with its form's coefficients set to values (table order) on a copy of
// its maps, and the working values derived from them rebuilt as the dialogs'
// apply operations rebuild them. Everything else (grid, geometry, orbit,
// palette) stays base's.
std::shared_ptr<const QuiltSnapshot> WithParameters(const QuiltSnapshot& base, const QuiltForm& form,
                                                    std::span<const double> values);

}  // namespace tilvex::motion
