#pragma once

#include <memory>
#include <optional>
#include <string>

#include "render/PngImageFile.h"
#include "studio/Rgb8Image.h"

namespace tilvex::motion {

enum class OutputKind {
    Mp4,     // FILE.mp4: H.264
    WebM,    // FILE.webm: VP9
    Frames,  // DIR/ (or a folder that exists): numbered PNG frames
};

// The kind of output a path names; empty for anything else.
std::optional<OutputKind> OutputKindOf(const std::string& path);

// Where a clip's frames go. Nothing appears at the path until Finish: a video
// is written beside it under a hidden name and renamed into place, frames go
// to a hidden folder inside the folder and are moved out together. An output
// dropped unfinished (a failure, a stop) removes what it wrote.
class ClipOutput {
public:
    virtual ~ClipOutput() = default;
    // Empty on success, else a message for the user.
    virtual std::string Add(const studio::Rgb8Image& frame, const PngImageFile::TextChunks& note) = 0;
    virtual std::string Finish() = 0;
    virtual const char* Codec() const = 0;  // "h264", "vp9", "png"
};

// Empty, with error set, when the path names no output or it cannot be started.
std::unique_ptr<ClipOutput> OpenClipOutput(const std::string& path, int width, int height, int fps,
                                           std::string& error);

}  // namespace tilvex::motion
