#include "studio/PngText.h"

#include <png.h>

#include <cstring>

namespace tilvex::studio {

namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 256u << 20;

struct Source {
    const std::uint8_t* data;
    std::size_t size, at = 0;
    char error[160] = {};
};

void ReadData(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->size - source->at) png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->at, length);
    source->at += length;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::strncpy(source->error, message, sizeof source->error - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Fills texts from the chunks before the pixels; false on a libpng error.
// Keeps no object with a destructor in its frame: libpng's errors jump out of it.
bool ReadInfo(png_structp png, png_infop info, PngImageFile::TextChunks& texts)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_textp text = nullptr;
    const int count = png_get_text(png, info, &text, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::size_t length = text[i].compression > 0 ? text[i].itxt_length : text[i].text_length;
        texts.emplace_back(text[i].key, std::string(text[i].text, length));
    }
    return true;
}

}  // namespace

std::optional<PngImageFile::TextChunks> ReadPngText(const std::uint8_t* data, std::size_t size, std::string& error)
{
    Source source{data, size};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        if (png) png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory";
        return std::nullopt;
    }
    png_set_read_fn(png, &source, ReadData);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_user_limits(png, 65535, 65535);
    PngImageFile::TextChunks texts;
    const bool ok = ReadInfo(png, info, texts);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        error = std::string("it is not a PNG libpng reads (") + source.error + ")";
        return std::nullopt;
    }
    return texts;
}

}  // namespace tilvex::studio
