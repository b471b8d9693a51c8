#include "explore/ThumbnailFile.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <png.h>

#include "core/RegularFile.h"

namespace tilvex {

namespace {

// libpng takes a chunk's length on trust and allocates it before reading it,
// and inflates compressed ancillary chunks without a bound: the chunks are
// walked first, each must lie inside the data, and only those a picture
// needs (and uncompressed text) may appear.
bool ChunksAreSafe(const std::uint8_t* data, std::size_t size, std::string& error)
{
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    static constexpr const char* kAllowed[] = {"IHDR", "PLTE", "tRNS", "gAMA", "cHRM", "sRGB", "pHYs",
                                               "bKGD", "tIME", "tEXt", "IDAT", "IEND"};
    if (size < sizeof kSignature || !std::equal(kSignature, kSignature + sizeof kSignature, data)) {
        error = "it is not a PNG file";
        return false;
    }
    for (std::size_t at = sizeof kSignature; at < size;) {
        if (size - at < 12) {
            error = "it ends inside a chunk";
            return false;
        }
        const std::size_t length = (std::size_t{data[at]} << 24) | (std::size_t{data[at + 1]} << 16) |
                                   (std::size_t{data[at + 2]} << 8) | data[at + 3];
        const std::string type(reinterpret_cast<const char*>(data + at + 4), 4);
        if (length > size - at - 12) {
            error = "its " + type + " chunk is longer than the file";
            return false;
        }
        if (std::none_of(std::begin(kAllowed), std::end(kAllowed), [&type](const char* t) { return type == t; })) {
            error = "it holds a chunk a thumbnail never has";
            return false;
        }
        at += 12 + length;
    }
    return true;
}

}  // namespace

std::optional<studio::Rgb8Image> ReadThumbnail(const std::uint8_t* data, std::size_t size, int maxSide,
                                               std::string& error)
{
    if (!ChunksAreSafe(data, size, error)) return std::nullopt;
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
