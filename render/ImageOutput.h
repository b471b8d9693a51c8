#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace tilvex {

// A buffered output for one image file. A regular destination is written as a
// temporary file beside it and renamed into place only by a successful
// Finish, so a failed export never leaves a partial image behind; anything
// else (a device, a pipe) is written directly. A link is written through: its
// target is replaced and the link stays.
class ImageOutput {
public:
    ImageOutput() = default;
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;
    ~ImageOutput();

    // Empty on success, else a message for the user.
    std::string Open(const std::string& path);
    // False once any write has failed; later writes are skipped.
    bool Write(const void* data, std::size_t size);
    bool Failed() const { return failed_; }
    // Where the next write goes, and a move there (formats whose index is
    // written last: OpenEXR). Seeking fails on a pipe or a device.
    long long Tell();
    bool Seek(long long offset);
    // Flushes, closes and moves the file into place. Empty on success.
    std::string Finish();

private:
    void Abandon();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string target_;  // path_ with its links followed
    std::string temp_;  // empty: writing the destination directly
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace tilvex
