#pragma once

#include <nlohmann/json.hpp>

#include "engine/TilvexApp.h"
#include "maps/ParameterTable.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::cli {

// The active map's coefficients, as its dialogs show them.
nlohmann::ordered_json CoefficientsJson(CTilvexApp& app);
// The current form's parameters, name to value.
nlohmann::ordered_json ParametersJson(CTilvexApp& app);
// A form's table: form, then each parameter's name, group, meaning, min, max, integer.
nlohmann::ordered_json ParameterTableJson(const QuiltForm& form);
// The quilt's state as the command-line program reports it.
nlohmann::ordered_json StateJson(CTilvexApp& app);
// A seed as JSON: the whole numbers seeds are as integers.
nlohmann::ordered_json SeedJson(double seed);
// Indented JSON text. Bytes that are not UTF-8 (a quilt name from another
// system or a damaged file) become U+FFFD instead of stopping the program.
std::string JsonText(const nlohmann::ordered_json& j);

}  // namespace tilvex::cli
