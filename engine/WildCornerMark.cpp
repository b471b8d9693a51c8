#include "engine/WildCornerMark.h"

#include <cctype>
#include <string_view>

namespace tilvex {

int WildCornerMark(const KindFlags& flags) { return flags.kindWildCorner ? 1 : 0; }

bool IsWildCornerSession(const QuiltIdentity& loaded)
{
    if (loaded.reserved1 == 1) return true;
    const std::string_view name = loaded.Name();
    if (name.size() != 8 || name.substr(0, 2) != "Qx") return false;
    for (std::size_t i = 2; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace tilvex
