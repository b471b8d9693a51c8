#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "explore/Gallery.h"
#include "explore/GalleryIndex.h"

namespace tilvex::cli {

// What becomes of a gallery the folder holds already.
enum class EarlierGallery {
    Refuse,     // the run is refused: nothing is replaced unasked
    Overwrite,  // the new gallery replaces it whole, its files included
    Add,        // the new quilts join it under names of their own
};
// What --overwrite and --add ask for (they exclude each other).
inline EarlierGallery EarlierGalleryFrom(bool overwrite, bool add)
{
    return overwrite ? EarlierGallery::Overwrite : add ? EarlierGallery::Add : EarlierGallery::Refuse;
}

// A problem with the folder: the message, and the exit status (2 when an
// option would change the answer, else 1).
struct FolderProblem {
    std::string message;
    int status = 0;
};

// A gallery written into a folder. Every file goes first into a hidden
// staging folder inside it, quilt by quilt as each is done, so nothing but
// small records is held until the end; Commit then moves the files into
// place, index.json last.
class GalleryFolder {
public:
    GalleryFolder() = default;
    GalleryFolder(const GalleryFolder&) = delete;
    GalleryFolder& operator=(const GalleryFolder&) = delete;
    // The staging folder goes, whatever happened.
    ~GalleryFolder();

    // Before any quilt is made: makes the folder if missing, refuses an
    // earlier gallery unless told what to do with it (reading its index
    // whole), sweeps the staging folders of runs that are gone, and makes
    // this run's staging folder.
    FolderProblem Open(const std::string& dir, EarlierGallery earlier);
    // One finished quilt's session and thumbnail, into the staging folder.
    // Any thread. Empty on success, else the message.
    std::string Stage(const GalleryEntry& entry, const GalleryRequest& request) const;
    // Names the staged files, composes index.png and index.json (with the
    // earlier gallery's quilts under Add) and moves it all into place. The
    // folder's index.json describes one whole gallery at every moment; a
    // failure puts the earlier gallery back. Empty on success.
    // remake gives index.json's command for a quilt, given its session's file
    // name; by default the render command of its seed (RenderCommandFor).
    using RemakeCommand = std::function<std::string(const GalleryRecord& record, const std::string& session)>;
    std::string Commit(const std::vector<GalleryRecord>& bestFirst, const GalleryRequest& request,
                       const RemakeCommand& remake = {});

private:
    std::filesystem::path dir_, staging_;
    EarlierGallery earlierMode_ = EarlierGallery::Refuse;
    std::vector<GalleryIndexEntry> earlier_;
};

// The tilvex-cli render command that makes this quilt again.
std::string RenderCommandFor(const GalleryRecord& record, const GalleryRequest& request);

}  // namespace tilvex::cli
