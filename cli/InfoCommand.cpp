#include "cli/InfoCommand.h"

#include <iostream>

#include "core/TilvexApp.h"

namespace tilvex::cli {

int RunInfo(const std::string& path)
{
    std::cerr << "tilvex-cli info: sessions are not readable yet: " << path << "\n";
    return 1;
}

}  // namespace tilvex::cli
