#include "motion/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace tilvex::motion {

namespace {

constexpr int kEncoderThreads = 4;

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct Dictionary {
    AVDictionary* d = nullptr;
    ~Dictionary() { av_dict_free(&d); }
    void Set(const char* key, const char* value) { av_dict_set(&d, key, value, 0); }
};

}  // namespace

const char* CodecName(VideoCodec codec) { return codec == VideoCodec::H264 ? "h264" : "vp9"; }

VideoEncoder::~VideoEncoder() { Close(); }

void VideoEncoder::Close()
{
    sws_freeContext(convert_);
    convert_ = nullptr;
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&encoder_);
    if (format_) {
        if (fileOpen_) avio_closep(&format_->pb);
        avformat_free_context(format_);
        format_ = nullptr;
    }
    fileOpen_ = false;
}

std::string VideoEncoder::Open(const std::string& path, VideoCodec codec, int width, int height, int fps)
{
    av_log_set_level(AV_LOG_ERROR);
    path_ = path;
    const bool h264 = codec == VideoCodec::H264;
    const char* encoderName = h264 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder) return std::string("this FFmpeg has no ") + encoderName + " encoder";
    int rc = avformat_alloc_output_context2(&format_, nullptr, h264 ? "mp4" : "webm", path.c_str());
    if (rc < 0 || !format_) return "cannot make a video file: " + AvError(rc);
    format_->flags |= AVFMT_FLAG_BITEXACT;  // no random track identifiers: the same frames, the same file
    stream_ = avformat_new_stream(format_, nullptr);
    encoder_ = avcodec_alloc_context3(encoder);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!stream_ || !encoder_ || !frame_ || !packet_) return "out of memory for the video encoder";

    encoder_->width = width;
    encoder_->height = height;
    encoder_->time_base = AVRational{1, fps};
    encoder_->framerate = AVRational{fps, 1};
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->gop_size = 2 * fps;  // a key frame every two seconds, for seeking
    encoder_->color_range = AVCOL_RANGE_MPEG;
    encoder_->colorspace = AVCOL_SPC_BT709;
    encoder_->color_primaries = AVCOL_PRI_BT709;
    encoder_->color_trc = AVCOL_TRC_BT709;
    encoder_->thread_count = kEncoderThreads;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Dictionary options;
    if (h264) {
        options.Set("preset", "veryfast");
        options.Set("crf", "18");
    } else {
        encoder_->bit_rate = 0;  // constant quality
        options.Set("crf", "30");
        options.Set("deadline", "realtime");
        options.Set("cpu-used", "8");
        options.Set("row-mt", "1");
    }
    if ((rc = avcodec_open2(encoder_, encoder, &options.d)) < 0) return std::string("cannot start ") + encoderName + ": " + AvError(rc);
    if ((rc = avcodec_parameters_from_context(stream_->codecpar, encoder_)) < 0) return "cannot set up the video stream: " + AvError(rc);
    stream_->time_base = encoder_->time_base;
    stream_->avg_frame_rate = encoder_->framerate;

    if ((rc = avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return "cannot write \"" + path + "\": " + AvError(rc);
    fileOpen_ = true;
    Dictionary muxer;
    if (h264) muxer.Set("movflags", "+faststart");  // the index first: plays while it downloads
    if ((rc = avformat_write_header(format_, &muxer.d)) < 0) return "cannot write \"" + path + "\": " + AvError(rc);

    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = width;
    frame_->height = height;
    frame_->color_range = AVCOL_RANGE_MPEG;
    frame_->colorspace = AVCOL_SPC_BT709;
    if ((rc = av_frame_get_buffer(frame_, 0)) < 0) return "out of memory for a video frame";
    convert_ = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P,
                              SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!convert_) return "cannot convert frames to yuv420p";
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    // Full-range RGB in, limited-range BT.709 out.
    sws_setColorspaceDetails(convert_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return {};
}

std::string VideoEncoder::Add(const studio::Rgb8Image& picture)
{
    if (!convert_) return "the video file is not open";
    int rc = av_frame_make_writable(frame_);
    if (rc < 0) return "out of memory for a video frame";
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(picture.pixels.data());
    const std::uint8_t* source[1] = {pixels};
    const int stride[1] = {3 * picture.width};
    sws_scale(convert_, source, stride, 0, picture.height, frame_->data, frame_->linesize);
    frame_->pts = next_++;
    return Send(frame_);
}

std::string VideoEncoder::Send(const AVFrame* frame)
{
    int rc = avcodec_send_frame(encoder_, frame);
    if (rc < 0) return "the video encoder refused a frame: " + AvError(rc);
    while ((rc = avcodec_receive_packet(encoder_, packet_)) >= 0) {
        av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        rc = av_interleaved_write_frame(format_, packet_);
        av_packet_unref(packet_);
        if (rc < 0) return "cannot write \"" + path_ + "\": " + AvError(rc);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) return "the video encoder failed: " + AvError(rc);
    return {};
}

std::string VideoEncoder::Finish()
{
    if (!convert_) return "the video file is not open";
    std::string error = Send(nullptr);
    if (error.empty()) {
        if (int rc = av_write_trailer(format_); rc < 0) error = "cannot write \"" + path_ + "\": " + AvError(rc);
    }
    if (error.empty() && format_->pb && format_->pb->error < 0)
        error = "cannot write \"" + path_ + "\": " + AvError(format_->pb->error);
    if (int rc = avio_closep(&format_->pb); rc < 0 && error.empty()) error = "cannot write \"" + path_ + "\": " + AvError(rc);
    fileOpen_ = false;
    Close();
    return error;
}

VideoProbe ProbeVideo(const std::string& path)
{
    VideoProbe probe;
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (rc >= 0) rc = avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int index = rc >= 0 ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0) : rc;
    if (index >= 0 && codec) {
        decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder, format->streams[index]->codecpar);
        rc = avcodec_open2(decoder, codec, nullptr);
    } else {
        rc = index < 0 ? index : AVERROR_DECODER_NOT_FOUND;
    }
    if (rc >= 0) {
        probe.codec = avcodec_get_name(decoder->codec_id);
        probe.width = decoder->width;
        probe.height = decoder->height;
        if (const char* name = av_get_pix_fmt_name(decoder->pix_fmt)) probe.pixelFormat = name;
        const auto receive = [&] {
            while (avcodec_receive_frame(decoder, frame) >= 0) ++probe.frames;
        };
        while (rc >= 0 && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index) rc = avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
            receive();
        }
        if (rc >= 0) rc = avcodec_send_packet(decoder, nullptr);
        receive();
    }
    if (rc < 0 && rc != AVERROR_EOF) probe.error = "cannot decode \"" + path + "\": " + AvError(rc);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return probe;
}

}  // namespace tilvex::motion
