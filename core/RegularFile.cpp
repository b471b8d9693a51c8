#include "core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tilvex {

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           std::vector<std::uint8_t>& bytes, int* error)
{
    int unused = 0;
    int& code = error ? *error : unused;
    // Without O_NONBLOCK opening a FIFO waits for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        code = errno;
        return std::string(std::strerror(code));
    }
    struct stat st {};
    std::optional<std::string> refusal;
    if (::fstat(fd, &st) != 0) {
        code = errno;
        refusal = std::strerror(code);
    } else if (S_ISDIR(st.st_mode)) {
        code = EISDIR;
        refusal = "it is a folder";
    } else if (!S_ISREG(st.st_mode)) {
        code = ENODEV;
        refusal = "it is not a regular file";
    }
    if (refusal) {
        ::close(fd);
        return refusal;
    }
    bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(static_cast<std::uintmax_t>(st.st_size) + 1, maxBytes)));
    std::size_t done = 0;
    while (true) {
        if (done == bytes.size()) {
            if (done >= maxBytes) break;
            // The file grew since it was measured.
            bytes.resize(std::min(maxBytes, 2 * done + 4096));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            code = errno;
            refusal = std::strerror(code);
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return refusal;
}

}  // namespace tilvex
