#include "core/WildCornerMark.h"

#include <cctype>

#include "core/TilvexApp.h"

namespace tilvex {

int WildCornerMark(const CTilvexApp& app) { return app.kindWildCorner ? 1 : 0; }

bool IsWildCornerSession(const CTilvexApp& loaded)
{
    if (loaded.reserved1 == 1) return true;
    const std::string name = loaded.QuiltName();
    if (name.size() != 8 || name.compare(0, 2, "Qx") != 0) return false;
    for (std::size_t i = 2; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace tilvex
