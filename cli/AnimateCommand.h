#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/StudioOptions.h"
#include "motion/Clip.h"
#include "motion/ClipWriter.h"

namespace tilvex::cli {

// tilvex-cli animate: a clip morphing through saved quilts, or one quilt
// growing, encoded to video or written as numbered PNG frames.
class AnimateCommand : public Command {
public:
    CLI::App* Add(CLI::App& program) override;
    int Run() override;
    // Empty when every option is in range, else the problem.
    std::string Validate() const;
    // The clip's settings from the options (once valid).
    motion::ClipSettings Settings() const;
    // The clip the options describe, every key and look file read and checked
    // before any work: empty, with the exit status in status and the reason
    // said on err, when one cannot be. program names the teller.
    std::optional<motion::Clip> MakeClip(const std::string& program, std::ostream& err, int& status) const;
    // The JSON summary of a written clip.
    nlohmann::ordered_json Summary(const motion::Clip& clip, const motion::ClipReport& report) const;

    std::vector<std::string> keys;
    std::string keyTimes;
    std::vector<std::string> lookFiles;
    double seconds = 4.0;
    int fps = 24;
    int height = 0;
    bool loop = false;
    int motionBlur = 1;
    bool grow = false;
    std::string out;
    RenderSettingsOptions sampling;
    LookOptions look;
    RunOptions run;

private:
    CLI::App* command_ = nullptr;
};

// "0,1.5,4" into numbers; empty, with error set, on anything else.
std::vector<double> ParseTimes(const std::string& text, std::string& error);

}  // namespace tilvex::cli
