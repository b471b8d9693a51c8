#pragma once

#include <string>

#include "cli/Command.h"

namespace tilvex::cli {

// tilvex-cli info FILE.qlt: one JSON object describing a saved session.
class InfoCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

    std::string path;
};

}  // namespace tilvex::cli
