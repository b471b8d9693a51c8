// Reads arbitrary bytes as a gallery thumbnail and puts it on a contact
// sheet, as a gallery's commit does. Besides the sanitizers' checks: a
// refusal says why, and an accepted picture is whole and within the size
// asked for.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "explore/ContactSheet.h"
#include "explore/ThumbnailFile.h"

namespace {
constexpr int kMaxSide = 256;  // larger pictures only cost time
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const std::optional<tilvex::studio::Rgb8Image> picture = tilvex::ReadThumbnail(data, size, kMaxSide, error);
    if (!picture) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (picture->width < 1 || picture->width > kMaxSide || picture->height < 1 || picture->height > kMaxSide ||
        picture->pixels.size() != static_cast<std::size_t>(picture->width) * picture->height)
        std::abort();
    const tilvex::studio::Rgb8Image sheet =
        tilvex::ContactSheet({"Qs123456", "Qh1"}, 48, [&picture](int i) {
            return i == 0 ? picture : std::optional<tilvex::studio::Rgb8Image>();
        });
    if (sheet.pixels.size() != static_cast<std::size_t>(sheet.width) * sheet.height) std::abort();
    return 0;
}
