#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tilvex {

inline constexpr char kGalleryIndexName[] = "index.json";
inline constexpr char kContactSheetName[] = "index.png";

// One quilt of a gallery's index.json.
struct GalleryIndexEntry {
    std::string name;
    std::string kind;
    double seed = 0.0;
    double score = 0.0;
    int filledCells = 0;
    std::string session;    // file names in the gallery's folder
    std::string thumbnail;
    std::string command;    // the tilvex-cli render command that makes the quilt again
};

// index.json: the entries in the order given, as a JSON array.
std::string GalleryIndexText(const std::vector<GalleryIndexEntry>& entries);

// Reads index.json whole: empty, with error set, unless it is an array of
// entries with every field of its type and nothing else, whose files are
// names inside the folder.
std::optional<std::vector<GalleryIndexEntry>> ParseGalleryIndex(std::string_view text, std::string& error);

// A file name a gallery may write and later remove in its own folder: no
// folder part, not hidden, ending in the extension (".qlt").
bool IsGalleryFileName(std::string_view name, std::string_view extension);

}  // namespace tilvex
