#pragma once

#include <cstdint>
#include <string>

#include "studio/Rgb8Image.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace tilvex::motion {

enum class VideoCodec {
    H264,  // in MP4, yuv420p: plays in browsers and on phones
    Vp9,   // in WebM, yuv420p
};
const char* CodecName(VideoCodec codec);

// One video file through FFmpeg's libraries: frames of 8-bit RGB in, BT.709
// yuv420p encoded and muxed. The encoders run on a fixed number of threads,
// so the file's bytes do not depend on the machine's cores.
class VideoEncoder {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    ~VideoEncoder();

    // Each returns empty on success, else a message for the user.
    // width and height even.
    std::string Open(const std::string& path, VideoCodec codec, int width, int height, int fps);
    std::string Add(const studio::Rgb8Image& frame);
    // Drains the encoder, writes the trailer and closes the file.
    std::string Finish();

private:
    std::string Send(const AVFrame* frame);
    void Close();

    std::string path_;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    AVStream* stream_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* convert_ = nullptr;
    std::int64_t next_ = 0;
    bool fileOpen_ = false;
};

// What a video file holds, read back with libavformat and decoded to the end.
struct VideoProbe {
    std::string error;  // empty when the file decodes
    std::string codec;  // "h264", "vp9"
    int width = 0, height = 0;
    int frames = 0;
    std::string pixelFormat;
};
VideoProbe ProbeVideo(const std::string& path);

}  // namespace tilvex::motion
