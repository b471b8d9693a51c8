// Reads arbitrary bytes as a gallery's index.json, as gallery --add and
// --overwrite do. Besides the sanitizers' checks: a refusal says why, and an
// accepted index writes out as text that reads back as the same entries.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "explore/GalleryIndex.h"

namespace {

bool Same(const tilvex::GalleryIndexEntry& a, const tilvex::GalleryIndexEntry& b)
{
    return a.name == b.name && a.kind == b.kind && a.seed == b.seed && a.score == b.score &&
           a.filledCells == b.filledCells && a.session == b.session && a.thumbnail == b.thumbnail &&
           a.command == b.command;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const auto entries =
        tilvex::ParseGalleryIndex(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!entries) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::string text = tilvex::GalleryIndexText(*entries);
    std::string again;
    const auto back = tilvex::ParseGalleryIndex(text, again);
    if (!back || back->size() != entries->size()) std::abort();
    for (std::size_t i = 0; i < back->size(); ++i)
        if (!Same((*back)[i], (*entries)[i])) std::abort();
    return 0;
}
