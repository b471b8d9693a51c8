#include "cli/GalleryFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "core/RegularFile.h"
#include "engine/SessionFile.h"
#include "explore/ContactSheet.h"
#include "explore/ThumbnailFile.h"
#include "studio/PictureNote.h"
#include "studio/PicturePng.h"

namespace tilvex::cli {

namespace fs = std::filesystem;

namespace {

constexpr char kStagingPrefix[] = ".gallery-";
constexpr char kEarlierFolder[] = "earlier";  // inside the staging folder: the files a commit replaces
constexpr std::size_t kMaxIndexBytes = std::size_t{64} << 20;

std::string SeedText(double seed)
{
    if (std::floor(seed) == seed && std::fabs(seed) < 1e15) return std::to_string(static_cast<long long>(seed));
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", seed);
    return text;
}

std::string Problem(const fs::path& path, const std::string& reason)
{
    return "cannot write \"" + path.string() + "\": " + reason;
}

std::string StagedName(int index, const char* extension) { return ".quilt-" + std::to_string(index) + extension; }

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Never over a file that is there, unless told to.
std::string Move(const fs::path& from, const fs::path& to, bool replace = false)
{
    int result = replace ? std::rename(from.c_str(), to.c_str())
                         : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && !replace && errno == EINVAL) {  // a file system without RENAME_NOREPLACE
        if (Exists(to))
            errno = EEXIST;
        else
            result = std::rename(from.c_str(), to.c_str());
    }
    return result == 0 ? std::string() : Problem(to, std::strerror(errno));
}

// The staging folders of gallery runs whose process is gone (killed, or the machine stopped).
void SweepStaleStaging(const fs::path& dir)
{
    std::error_code ec;
    std::vector<fs::path> stale;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kStagingPrefix, 0) != 0) continue;
        const std::string digits = name.substr(sizeof kStagingPrefix - 1);
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(digits));
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        stale.push_back(entry.path());
    }
    for (const fs::path& path : stale) fs::remove_all(path, ec);
}

void SyncFolder(const fs::path& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string RenderCommandFor(const GalleryRecord& record, const GalleryRequest& request)
{
    return "tilvex-cli render --seed " + SeedText(record.seed) + " --kind " + record.kind + " --max-iterations " +
           std::to_string(request.maxIterations);
}

GalleryFolder::~GalleryFolder()
{
    std::error_code ec;
    if (!staging_.empty()) fs::remove_all(staging_, ec);
}

FolderProblem GalleryFolder::Open(const std::string& dirText, EarlierGallery earlier)
{
    dir_ = dirText;
    earlierMode_ = earlier;
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (ec || !fs::is_directory(dir_, ec)) {
        std::string message = "cannot create the folder \"";
        message += dirText;
        message += ec ? "\": " + ec.message() : std::string("\": a file has that name");
        return {message, 1};
    }
    const fs::path index = dir_ / kGalleryIndexName;
    if (Exists(index) || Exists(dir_ / kContactSheetName)) {
        if (earlier == EarlierGallery::Refuse)
            return {"\"" + dirText + "\" holds a gallery already: --overwrite replaces it, --add adds to it", 2};
        if (Exists(index)) {
            std::vector<std::uint8_t> bytes;
            std::string error;
            std::optional<std::vector<GalleryIndexEntry>> entries;
            if (auto refusal = ReadRegularFile(index.string(), kMaxIndexBytes + 1, bytes))
                error = *refusal;
            else if (bytes.size() > kMaxIndexBytes)
                error = "it is longer than any gallery index";
            else
                entries = ParseGalleryIndex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                            error);
            if (!entries)
                return {"cannot read the gallery index \"" + index.string() + "\": " + error +
                            "; move it away or choose another folder",
                        1};
            earlier_ = std::move(*entries);
        }
    }
    SweepStaleStaging(dir_);
    staging_ = dir_ / (kStagingPrefix + std::to_string(::getpid()));
    if (!fs::create_directory(staging_, ec)) {
        const std::string reason = ec ? ec.message() : "a staging folder is in the way";
        staging_.clear();
        return {Problem(dir_, reason), 1};
    }
    return {};
}

std::string GalleryFolder::Stage(const GalleryEntry& entry, const GalleryRequest& request) const
{
    const fs::path session = staging_ / StagedName(entry.quilt.index, ".qlt");
    if (auto error = WriteFileReplacing(session.string(), entry.quilt.session)) return Problem(session, *error);
    const QuiltSnapshot& quilt = *entry.quilt.snapshot;
    return studio::WritePicturePng(
        entry.thumbnail, 1, (staging_ / StagedName(entry.quilt.index, ".png")).string(),
        studio::MakePictureNote(quilt, ThumbnailSpec(quilt, request.thumbWidth), ThumbnailLook(), 1, entry.quilt.session)
            .Chunks());
}

std::string GalleryFolder::Commit(const std::vector<GalleryRecord>& bestFirst, const GalleryRequest& request,
                                  const RemakeCommand& remake)
{
    const bool overwrite = earlierMode_ == EarlierGallery::Overwrite;
    std::set<std::string> earlierFiles;
    for (const GalleryIndexEntry& e : earlier_) earlierFiles.insert({e.session, e.thumbnail});

    // A new quilt's files never take a name in use: not another new one's, not
    // a file in the folder (unless it goes with the gallery replaced), not one
    // the kept gallery lists.
    std::set<std::string> assigned;
    const auto taken = [&](const std::string& stem) {
        if (stem == "index" || assigned.count(stem)) return true;
        for (const char* extension : {".qlt", ".png"}) {
            const std::string file = stem + extension;
            if (overwrite && earlierFiles.count(file)) continue;
            if (earlierFiles.count(file) || Exists(dir_ / file)) return true;
        }
        return false;
    };
    std::vector<GalleryIndexEntry> fresh;
    for (const GalleryRecord& r : bestFirst) {
        const std::string base = IsGalleryFileName(r.name + ".qlt", ".qlt") ? r.name : "quilt";
        std::string stem = base;
        if (taken(stem)) stem = base + "-" + std::to_string(r.index);
        for (int k = 2; taken(stem); ++k) stem = base + "-" + std::to_string(r.index) + "-" + std::to_string(k);
        assigned.insert(stem);
        for (const char* extension : {".qlt", ".png"})
            if (std::string error = Move(staging_ / StagedName(r.index, extension), staging_ / (stem + extension));
                !error.empty())
                return error;
        fresh.push_back({r.name, r.kind, r.seed, r.score, r.filledCells, stem + ".qlt", stem + ".png",
                         remake ? remake(r, stem + ".qlt") : RenderCommandFor(r, request)});
    }

    std::vector<GalleryIndexEntry> all;
    if (earlierMode_ == EarlierGallery::Add) all = earlier_;
    all.insert(all.end(), fresh.begin(), fresh.end());
    std::stable_sort(all.begin(), all.end(),
                     [](const GalleryIndexEntry& a, const GalleryIndexEntry& b) { return a.score > b.score; });

    // The sheet reads the thumbnails back one at a time: the new ones from staging, the kept ones from the folder.
    const std::set<std::string> freshThumbnails = [&] {
        std::set<std::string> names;
        for (const GalleryIndexEntry& e : fresh) names.insert(e.thumbnail);
        return names;
    }();
    std::vector<std::string> labels;
    std::vector<fs::path> pictures;
    for (int i = 0; i < SheetCount(static_cast<int>(all.size()), request.thumbWidth); ++i) {
        const GalleryIndexEntry& e = all[static_cast<std::size_t>(i)];
        labels.push_back(e.name);
        pictures.push_back((freshThumbnails.count(e.thumbnail) ? staging_ : dir_) / e.thumbnail);
    }
    const studio::Rgb8Image sheet = ContactSheet(labels, request.thumbWidth, [&pictures](int i) {
        std::string unreadable;  // a kept thumbnail the user removed leaves its cell blank
        return ReadThumbnailFile(pictures[static_cast<std::size_t>(i)].string(), kMaxThumbSize, unreadable);
    });
    if (std::string error = studio::WritePicturePng(sheet, 1, (staging_ / kContactSheetName).string()); !error.empty())
        return error;
    const std::string text = GalleryIndexText(all);
    if (auto error = WriteFileReplacing((staging_ / kGalleryIndexName).string(),
                                        std::vector<std::uint8_t>(text.begin(), text.end())))
        return Problem(staging_ / kGalleryIndexName, *error);

    // Out of the way first, index.json before the files it lists, kept for the way back.
    std::vector<std::string> outgoing, incoming;
    std::set<std::string> seen;
    for (const std::string& name : {std::string(kGalleryIndexName), std::string(kContactSheetName)})
        if (Exists(dir_ / name) && seen.insert(name).second) outgoing.push_back(name);
    if (overwrite)
        for (const GalleryIndexEntry& e : earlier_)
            for (const std::string& name : {e.session, e.thumbnail})
                if (Exists(dir_ / name) && seen.insert(name).second) outgoing.push_back(name);
    for (const GalleryIndexEntry& e : fresh) incoming.insert(incoming.end(), {e.session, e.thumbnail});
    incoming.insert(incoming.end(), {kContactSheetName, kGalleryIndexName});

    const fs::path kept = staging_ / kEarlierFolder;
    std::error_code ec;
    if (!outgoing.empty() && !fs::create_directory(kept, ec)) return Problem(kept, ec ? ec.message() : "it is there");
    std::vector<std::string> movedOut, movedIn;
    const auto undo = [&] {
        for (auto name = movedIn.rbegin(); name != movedIn.rend(); ++name) Move(dir_ / *name, staging_ / *name, true);
        for (auto name = movedOut.rbegin(); name != movedOut.rend(); ++name) Move(kept / *name, dir_ / *name);
    };
    for (const std::string& name : outgoing) {
        if (std::string error = Move(dir_ / name, kept / name); !error.empty()) {
            undo();
            return error;
        }
        movedOut.push_back(name);
    }
    for (const std::string& name : incoming) {
        if (std::string error = Move(staging_ / name, dir_ / name); !error.empty()) {
            undo();
            return error;
        }
        movedIn.push_back(name);
    }
    SyncFolder(dir_);
    return {};
}

}  // namespace tilvex::cli
