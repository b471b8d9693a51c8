#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include "motion/Clip.h"
#include "render/PngImageFile.h"

namespace tilvex::motion {

// Called from the working thread: the share of the whole clip done (0..1)
// and the frame in hand (-1 while the exposure is measured).
using ClipProgress = std::function<void(double done, int frame)>;

struct ClipReport {
    std::string error;  // empty on success
    bool stopped = false;
    int frames = 0;  // written
    double seconds = 0.0;
    std::string codec;  // "h264", "vp9", "png"
};

// The settings a PNG frame carries: the quilt and look of its instant.
PngImageFile::TextChunks FrameNote(const Clip& clip, int frame);

// Renders every frame of the clip in order and writes them to path (.mp4,
// .webm, or a folder of numbered PNG frames). On failure or stop nothing is
// left at the path.
ClipReport WriteClip(const Clip& clip, const std::string& path, int threads = 0, std::stop_token stop = {},
                     const ClipProgress& progress = {});

}  // namespace tilvex::motion
