#pragma once

#include <string>

#include "cli/Command.h"
#include "cli/QuiltOptions.h"
#include "cli/StudioOptions.h"

namespace tilvex::cli {

// tilvex-cli render: a quilt generated to its limit, its state as JSON, its
// image and session on request.
class RenderCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

    QuiltOptions quilt;
    RunOptions run;
    int period = 1;
    std::string bmp, pcx, png;
    std::string save;
    std::string palette = "start";
};

}  // namespace tilvex::cli
