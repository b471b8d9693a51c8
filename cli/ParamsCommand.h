#pragma once

#include <string>

#include "cli/Command.h"

namespace tilvex::cli {

// tilvex-cli params --kind K [--detailed] [--knot] [--json]: the form's
// coefficients by name, with their ranges and meanings.
class ParamsCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

    std::string kind = "square";
    bool detailed = false;
    bool knot = false;
    bool json = false;
};

}  // namespace tilvex::cli
