#pragma once

#include "core/QuiltState.h"

namespace tilvex {

// The session file has no field for the Wild Corner kind; the header's
// reserved1, which carries no meaning, holds it: 1 for a Wild Corner quilt,
// 0 for every other kind.
int WildCornerMark(const KindFlags& flags);
// After a load: a marked file is a Wild Corner quilt; an unmarked one is only
// when it carries the name the program gives Wild Corner quilts ("Qx" and six
// digits), as files written before the mark do.
bool IsWildCornerSession(const QuiltIdentity& loaded);

}  // namespace tilvex
