#pragma once

#include <functional>
#include <string>
#include <vector>

#include "explore/Gallery.h"

namespace tilvex::cli {

// Writes the gallery into dir (made if missing): a session and a thumbnail
// per quilt, index.png and, last, index.json. Everything is written into a
// hidden folder inside dir first and moved into place only when complete, so
// a failure leaves no index.json that names missing files. Empty on success,
// else a message for the user.
// index.json's command for an entry, given its session's file name; the
// default is RenderCommandFor.
using RemakeCommand = std::function<std::string(const GalleryEntry& entry, const std::string& session)>;
std::string WriteGalleryFolder(const std::string& dir, const std::vector<GalleryEntry>& bestFirst,
                               const GalleryRequest& request, const RemakeCommand& remake = {});

// The tilvex-cli render command that makes this entry's quilt again.
std::string RenderCommandFor(const GalleryEntry& entry, const GalleryRequest& request);

}  // namespace tilvex::cli
