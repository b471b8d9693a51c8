#include "explore/ThumbnailFile.h"

#include <vector>

#include <png.h>

#include "core/RegularFile.h"

namespace tilvex {

std::optional<studio::Rgb8Image> ReadThumbnail(const std::uint8_t* data, std::size_t size, int maxSide,
                                               std::string& error)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = image.message;
        return std::nullopt;
    }
    if (image.width < 1 || image.height < 1 || image.width > static_cast<png_uint_32>(maxSide) ||
        image.height > static_cast<png_uint_32>(maxSide)) {
        error = "it is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                " pixels, more than a thumbnail";
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    studio::Rgb8Image picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    static_assert(sizeof(studio::Rgb8) == 3, "rows are read straight into the pixels");
    // Transparent pixels go onto black, as on the sheet's dark ground.
    const png_color black{0, 0, 0};
    if (!png_image_finish_read(&image, &black, picture.pixels.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

std::optional<studio::Rgb8Image> ReadThumbnailFile(const std::string& path, int maxSide, std::string& error)
{
    // A PNG of maxSide x maxSide stays well under four bytes a pixel plus its chunks.
    const std::size_t limit = 4 * static_cast<std::size_t>(maxSide) * static_cast<std::size_t>(maxSide) + (1 << 20);
    std::vector<std::uint8_t> bytes;
    if (auto refusal = ReadRegularFile(path, limit + 1, bytes)) {
        error = *refusal;
        return std::nullopt;
    }
    if (bytes.size() > limit) {
        error = "it is too long for a thumbnail";
        return std::nullopt;
    }
    return ReadThumbnail(bytes.data(), bytes.size(), maxSide, error);
}

}  // namespace tilvex
