#pragma once

#include <optional>
#include <string>

#include "cli/Command.h"
#include "cli/StudioOptions.h"

namespace tilvex::cli {

// tilvex-cli variations --load F --out DIR: quilts around a saved one, as
// sessions, thumbnails and a contact sheet, the same the desktop's
// Variations window shows for the seed.
class VariationsCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;
    std::string Validate() const;

    std::string load;
    std::string out;
    int count = 8;
    double spread = 0.1;
    std::optional<double> seed;
    std::optional<int> maxIterations;
    int thumb = 160;
    bool overwrite = false, add = false;
    RunOptions run;
};

}  // namespace tilvex::cli
