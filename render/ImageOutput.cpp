#include "render/ImageOutput.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "core/OutputPath.h"

namespace tilvex {

namespace {

std::string Reason(int error) { return error ? std::strerror(error) : "write failed"; }

mode_t NewFileMode(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

ImageOutput::~ImageOutput() { Abandon(); }

void ImageOutput::Abandon()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
}

std::string ImageOutput::Open(const std::string& path)
{
    Abandon();
    path_ = path;
    target_ = WriteTarget(path).string();
    failed_ = false;
    error_ = 0;

    struct stat st {};
    bool direct = ::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
    if (direct) {
        file_ = std::fopen(target_.c_str(), "wb");
        if (!file_) return "Could not create \"" + path + "\": " + Reason(errno);
    } else {
        std::filesystem::path target(target_);
        std::filesystem::path dir = target.parent_path();
        std::string pattern =
            (dir.empty() ? std::string(".") : dir.string()) + "/." + target.filename().string() + ".XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) return "Could not create \"" + path + "\": " + Reason(errno);
        temp_ = pattern;
        ::fchmod(fd, NewFileMode(target_));
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            int error = errno;
            ::close(fd);
            Abandon();
            return "Could not create \"" + path + "\": " + Reason(error);
        }
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    return {};
}

bool ImageOutput::Write(const void* data, std::size_t size)
{
    if (failed_ || !file_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
        error_ = errno;
    }
    return !failed_;
}

long long ImageOutput::Tell() { return file_ && !failed_ ? static_cast<long long>(::ftello(file_)) : -1; }

bool ImageOutput::Seek(long long offset)
{
    if (failed_ || !file_) return false;
    if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        failed_ = true;
        error_ = errno;
    }
    return !failed_;
}

std::string ImageOutput::Finish()
{
    if (!file_) return "Could not write \"" + path_ + "\": not open";
    if (!failed_ && std::fflush(file_) != 0) {
        failed_ = true;
        error_ = errno;
    }
    int closed = std::fclose(file_);
    file_ = nullptr;
    if (!failed_ && closed != 0) {
        failed_ = true;
        error_ = errno;
    }
    if (failed_) {
        Abandon();
        return "Could not write \"" + path_ + "\": " + Reason(error_);
    }
    if (!temp_.empty()) {
        if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            int error = errno;
            Abandon();
            return "Could not write \"" + path_ + "\": " + Reason(error);
        }
        temp_.clear();
    }
    return {};
}

}  // namespace tilvex
