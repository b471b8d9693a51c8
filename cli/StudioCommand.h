#pragma once

#include <string>

#include "cli/Command.h"
#include "cli/QuiltOptions.h"
#include "cli/StudioOptions.h"

namespace tilvex::cli {

// tilvex-cli studio: a large true-colour tile of the quilt, on every core.
class StudioCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;
    // Empty when every option is in range, else the problem.
    std::string Validate() const;

    QuiltOptions quilt;
    RenderSettingsOptions sampling;
    LookOptions look;
    RunOptions run;
    int period = 1;
    int dpi = 0;
    std::string png, exr;
    std::string save;
};

}  // namespace tilvex::cli
