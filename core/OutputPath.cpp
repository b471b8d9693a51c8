#include "core/OutputPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace tilvex {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

}  // namespace

fs::path WriteTarget(const fs::path& path)
{
    fs::path target = path;
    std::error_code ec;
    // A loop of links ends the walk; the write then fails on its own.
    for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

std::string CheckOutputFile(const std::string& path, OutputKind kind)
{
    if (path.empty()) return "cannot write a file without a name";
    const auto refuse = [&path](const std::string& why) { return "cannot write " + Quoted(path) + ": " + why; };
    const fs::path target = WriteTarget(path);
    const fs::path name = target.filename();
    if (name.empty() || name == "." || name == "..") return refuse("it names a folder, not a file");

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return refuse("it is a folder");
        if (!S_ISREG(st.st_mode)) {
            if (kind == OutputKind::WholeFile) return refuse("it is not a regular file");
            if (::access(target.c_str(), W_OK) != 0) return refuse(std::strerror(errno));
            return {};
        }
    }
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (::stat(dir.c_str(), &st) != 0) {
        if (errno == ENOENT) return refuse("the folder " + Quoted(dir.string()) + " does not exist");
        return refuse(std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode)) return refuse(Quoted(dir.string()) + " is not a folder");

    // Only a file made there shows that the folder takes new ones (permissions, a read-only disk).
    static std::atomic<unsigned> serial = 0;
    std::string probeName = ".tilvex-check-";
    probeName += std::to_string(::getpid());
    probeName += '-';
    probeName += std::to_string(++serial);
    const fs::path probe = dir / probeName;
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return refuse("the folder " + Quoted(dir.string()) + " takes no new files: " + std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

}  // namespace tilvex
