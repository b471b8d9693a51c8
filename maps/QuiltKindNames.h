#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/QuiltKind.h"

namespace tilvex {

// The kinds' names on the command line and in files: square, hex, 4-6-12,
// 4-8-8, 3-12-12, wild-corner, in that order.
const std::vector<std::string>& KindNames();
const char* KindName(QuiltKind kind);
std::optional<QuiltKind> KindFromName(std::string_view name);
inline bool IsKindName(std::string_view name) { return KindFromName(name).has_value(); }

}  // namespace tilvex
