#include "cli/AnimateCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/InterruptStop.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "motion/ClipOutput.h"
#include "motion/ClipWriter.h"
#include "motion/KeyQuilt.h"
#include "studio/Accumulator.h"

namespace tilvex::cli {

namespace {

constexpr const char* kLookOptions[] = {"--colormap", "--gradient", "--background", "--gamma",
                                        "--equalize",  "--vibrancy", "--highlight"};

// A look file: the JSON form a studio picture's note carries under "look".
bool ReadLook(const std::string& path, studio::Look& look, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    if (!in || !(text << in.rdbuf())) {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    try {
        look = nlohmann::json::parse(text.str()).get<studio::Look>();
        return true;
    } catch (const std::exception& e) {
        error = "\"" + path + "\": " + e.what();
        return false;
    }
}

}  // namespace

std::vector<double> ParseTimes(const std::string& text, std::string& error)
{
    std::vector<double> times;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        char* end = nullptr;
        errno = 0;
        const double t = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || errno != 0 || !std::isfinite(t)) {
            error = "--key-times: '" + item + "' is not a number of seconds";
            return {};
        }
        times.push_back(t);
        if (comma == std::string::npos) return times;
        start = comma + 1;
    }
}

CLI::App* AnimateCommand::Add(CLI::App& program)
{
    command_ = program.add_subcommand(
        "animate", "A clip of quilts morphing from key to key, or of one quilt growing: MP4, WebM or PNG frames");
    command_->add_option("--key", keys, "A key quilt: a saved session (.qlt); give one per key, in order")->required();
    command_->add_option("--key-times", keyTimes,
                         "Each key's time in seconds, comma separated, increasing (default: evenly spaced)");
    command_->add_option("--seconds", seconds, "Length of the clip in seconds (default 4)");
    command_->add_option("--fps", fps, "Frames per second, 1-120 (default 24)");
    sampling.Add(command_);
    command_->add_option("--height", height,
                         "Frame height in pixels (default: the tile's); the pattern runs on past the tile");
    look.Add(command_, true);
    command_->add_option("--look", lookFiles,
                         "A look as JSON, instead of the look options: once for every key, or once per key");
    command_->add_flag("--loop", loop, "Close the path back to the first key, for a seamless loop");
    command_->add_option("--motion-blur", motionBlur, "Parameter instants averaged per frame (default 1: off)");
    command_->add_flag("--grow", grow, "A film of one key's density building up to the full budget");
    command_->add_option("--out", out, "Output: FILE.mp4 (H.264), FILE.webm (VP9) or DIR/ (numbered PNG frames)")
        ->required();
    run.AddThreads(command_);
    run.AddProgress(command_);
    return command_;
}

motion::ClipSettings AnimateCommand::Settings() const
{
    motion::ClipSettings s;
    s.seconds = seconds;
    s.fps = fps;
    std::string unused;
    if (!keyTimes.empty()) s.keyTimes = ParseTimes(keyTimes, unused);
    s.loop = loop;
    s.motionBlur = motionBlur;
    s.grow = grow;
    s.renderSpec = sampling.ToRenderSettings();
    s.height = height;
    return s;
}

std::string AnimateCommand::Validate() const
{
    for (const std::string& problem : {sampling.Validate(), look.Validate(), run.Validate()})
        if (!problem.empty()) return problem;
    if (!lookFiles.empty()) {
        for (const char* option : kLookOptions)
            if (command_ && command_->count(option) > 0)
                return std::string("--look and ") + option + " exclude each other";
        if (lookFiles.size() != 1 && lookFiles.size() != keys.size())
            return "--look is given " + std::to_string(lookFiles.size()) + " times for " +
                   std::to_string(keys.size()) + " keys; give it once, or once per key";
    }
    if (!keyTimes.empty()) {
        std::string error;
        if (ParseTimes(keyTimes, error).empty()) return error;
    }
    if (!motion::OutputKindOf(out))
        return "--out must name a .mp4 or .webm file, or a folder (ending in /) for PNG frames";
    return motion::Validate(Settings());
}

std::optional<motion::Clip> AnimateCommand::MakeClip(const std::string& program, std::ostream& err,
                                                     int& status) const
{
    status = 2;
    if (std::string problem = Validate(); !problem.empty()) {
        err << program << ": " << problem << "\n";
        return std::nullopt;
    }
    std::vector<studio::Look> looks;
    for (const std::string& path : lookFiles) {
        std::string error;
        if (!ReadLook(path, looks.emplace_back(), error)) {
            err << program << ": --look: " << error << "\n";
            return std::nullopt;
        }
    }
    std::vector<motion::Keyframe> keyframes;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        std::string error;
        auto quilt = motion::LoadKeyQuilt(keys[k], error);
        if (!quilt) {
            err << program << ": " << error << "\n";
            status = 1;
            return std::nullopt;
        }
        const studio::Look keyLook = looks.empty() ? look.Look() : looks[looks.size() == 1 ? 0 : k];
        keyframes.push_back({std::move(quilt), keyLook, keys[k]});
    }
    try {
        std::optional<motion::Clip> clip;
        clip.emplace(std::move(keyframes), Settings());
        status = 0;
        return clip;
    } catch (const std::invalid_argument& e) {
        err << program << ": " << e.what() << "\n";
        return std::nullopt;
    }
}

nlohmann::ordered_json AnimateCommand::Summary(const motion::Clip& clip, const motion::ClipReport& report) const
{
    nlohmann::ordered_json j;
    j["frames"] = report.frames;
    j["fps"] = fps;
    j["duration"] = static_cast<double>(report.frames) / fps;
    j["width"] = clip.FrameWidth();
    j["height"] = clip.FrameHeight();
    j["codec"] = report.codec;
    j["file"] = out;
    j["kind"] = FormName(clip.Form());
    j["threads"] = studio::ThreadCount(run.threads);
    j["seconds"] = report.seconds;
    j["framesPerSecond"] = report.seconds > 0 ? report.frames / report.seconds : 0.0;
    return j;
}

int AnimateCommand::Run()
{
    int status = 0;
    std::optional<motion::Clip> clip = MakeClip("tilvex-cli animate", std::cerr, status);
    if (!clip) return status;

    InterruptStop interrupt;
    ProgressPrinter progress(run.progress, "animate");
    std::mutex progressLock;
    const int frames = clip->Frames();
    const motion::ClipReport report = motion::WriteClip(*clip, out, run.threads, interrupt.Token(), [&](double done, int frame) {
        std::lock_guard lock(progressLock);
        progress.Show(done, frame < 0 ? std::string("exposure") : "frame " + std::to_string(frame + 1) + "/" + std::to_string(frames));
    });
    progress.Finish();
    if (report.stopped) {
        std::cerr << "tilvex-cli animate: interrupted; nothing was written\n";
        return 130;
    }
    if (!report.error.empty()) {
        std::cerr << "tilvex-cli animate: " << report.error << "\n";
        return 1;
    }
    std::cout << JsonText(Summary(*clip, report)) << "\n";
    return 0;
}

}  // namespace tilvex::cli
