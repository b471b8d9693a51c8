#include "motion/ClipOutput.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "motion/VideoEncoder.h"
#include "studio/PicturePng.h"

namespace tilvex::motion {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A name for work in progress, unique within this process and among processes.
std::string HiddenName(const std::string& stem, const std::string& extension)
{
    static std::atomic<int> serial{0};
    return "." + stem + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + extension;
}

class VideoFile final : public ClipOutput {
public:
    VideoFile(fs::path target, VideoCodec codec) : target_(std::move(target)), codec_(codec)
    {
        temp_ = target_.parent_path() / HiddenName(target_.stem().string(), target_.extension().string());
    }
    ~VideoFile() override
    {
        if (finished_) return;
        encoder_.reset();
        std::error_code ec;
        fs::remove(temp_, ec);
    }

    std::string Start(int width, int height, int fps)
    {
        encoder_ = std::make_unique<VideoEncoder>();
        return encoder_->Open(temp_.string(), codec_, width, height, fps);
    }
    std::string Add(const studio::Rgb8Image& frame, const PngImageFile::TextChunks&) override
    {
        return encoder_->Add(frame);
    }
    std::string Finish() override
    {
        if (std::string error = encoder_->Finish(); !error.empty()) return error;
        encoder_.reset();
        // Every file written reopens: the video is read back before it takes the name.
        if (VideoProbe probe = ProbeVideo(temp_.string()); !probe.error.empty()) return probe.error;
        std::error_code ec;
        fs::rename(temp_, target_, ec);
        if (ec) return "cannot write \"" + target_.string() + "\": " + ec.message();
        finished_ = true;
        return {};
    }
    const char* Codec() const override { return CodecName(codec_); }

private:
    fs::path target_, temp_;
    VideoCodec codec_;
    std::unique_ptr<VideoEncoder> encoder_;
    bool finished_ = false;
};

class FrameFolder final : public ClipOutput {
public:
    explicit FrameFolder(fs::path dir) : dir_(std::move(dir)) {}
    ~FrameFolder() override
    {
        std::error_code ec;
        if (!staging_.empty()) fs::remove_all(staging_, ec);
    }

    std::string Start()
    {
        std::error_code ec;
        fs::create_directories(dir_, ec);
        if (ec || !fs::is_directory(dir_, ec))
            return "cannot make the folder \"" + dir_.string() + "\"" + (ec ? ": " + ec.message() : std::string());
        const fs::path staging = dir_ / HiddenName("frames", "");
        if (!fs::create_directory(staging, ec))
            return "cannot write in \"" + dir_.string() + "\"" + (ec ? ": " + ec.message() : std::string());
        staging_ = staging;
        return {};
    }
    std::string Add(const studio::Rgb8Image& frame, const PngImageFile::TextChunks& note) override
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", count_++);
        names_.emplace_back(name);
        return studio::WritePicturePng(frame, 1, (staging_ / name).string(), note);
    }
    std::string Finish() override
    {
        std::error_code ec;
        for (const std::string& name : names_) {
            fs::rename(staging_ / name, dir_ / name, ec);
            if (ec) return "cannot write \"" + (dir_ / name).string() + "\": " + ec.message();
        }
        return {};
    }
    const char* Codec() const override { return "png"; }

private:
    fs::path dir_, staging_;
    std::vector<std::string> names_;
    int count_ = 0;
};

}  // namespace

std::optional<OutputKind> OutputKindOf(const std::string& path)
{
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    if (path.back() == '/' || fs::is_directory(path, ec)) return OutputKind::Frames;
    const std::string extension = Lower(fs::path(path).extension().string());
    if (extension == ".mp4") return OutputKind::Mp4;
    if (extension == ".webm") return OutputKind::WebM;
    return std::nullopt;
}

std::unique_ptr<ClipOutput> OpenClipOutput(const std::string& path, int width, int height, int fps, std::string& error)
{
    const std::optional<OutputKind> kind = OutputKindOf(path);
    if (!kind) {
        error = "\"" + path + "\" is not a .mp4 or .webm file or a folder";
        return nullptr;
    }
    if (*kind == OutputKind::Frames) {
        auto folder = std::make_unique<FrameFolder>(path);
        error = folder->Start();
        return error.empty() ? std::move(folder) : nullptr;
    }
    fs::path target = fs::absolute(path);
    auto video = std::make_unique<VideoFile>(target, *kind == OutputKind::Mp4 ? VideoCodec::H264 : VideoCodec::Vp9);
    error = video->Start(width, height, fps);
    return error.empty() ? std::move(video) : nullptr;
}

}  // namespace tilvex::motion
