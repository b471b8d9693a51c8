#pragma once

#include <optional>
#include <string>

#include "cli/Command.h"
#include "cli/StudioOptions.h"
#include "explore/Gallery.h"

namespace tilvex::cli {

// tilvex-cli gallery: many random quilts, scored, with thumbnails and sessions.
class GalleryCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;
    std::string Validate() const;
    // The gallery the options ask for, its first seed drawn from the clock unless given.
    GalleryRequest Request() const;

    std::string out;
    int count = 24;
    std::string kind = "any";
    std::optional<double> seed;
    std::optional<int> maxIterations;
    int thumb = 160;
    bool overwrite = false;
    bool add = false;
    RunOptions run;
};

}  // namespace tilvex::cli
