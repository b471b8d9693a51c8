#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/PaletteEntry.h"
#include "render/ImageOutput.h"
#include "render/QuiltRows.h"

struct png_struct_def;
struct png_info_def;

namespace tilvex {

// 8-bit palette PNG of the same picture as the BMP, top row first, compressed
// by libpng and written through `out` as it goes, so the image is never held.
class PngImageFile {
public:
    // width and height: 1 .. 65535.
    PngImageFile(ImageOutput& out, int width, int height);
    PngImageFile(const PngImageFile&) = delete;
    PngImageFile& operator=(const PngImageFile&) = delete;
    ~PngImageFile();

    bool WriteHeader(const Palette& palette);  // signature, IHDR, PLTE
    bool WritePixels(QuiltRows& rows);         // every row, then the end of the file

    // True colour instead: RGB rows of 8 or 16 bits a channel (16: big-endian
    // pairs), top first, each filled by rowAt(y, row), which returns false to
    // stop the image there (left incomplete). Text chunks (keyword, Latin-1
    // text; long ones compressed) go before the pixels; dpi > 0 writes the
    // physical size (pHYs).
    using TextChunks = std::vector<std::pair<std::string, std::string>>;
    using RgbRow = std::function<bool(int y, std::uint8_t* row)>;
    static constexpr int kMaxTextChunks = 8;  // more are left out
    bool WriteRgbHeader(const TextChunks& text = {}, int bitDepth = 8, int dpi = 0);
    bool WriteRgbPixels(const RgbRow& rowAt);

    // libpng's message once it has refused the image; empty otherwise.
    std::string Error() const { return error_; }

    int width;
    int height;
    int rowsWritten = 0;

private:
    static void OnError(png_struct_def* png, const char* message);
    static void OnWarning(png_struct_def* png, const char* message);
    static void WriteData(png_struct_def* png, std::uint8_t* data, std::size_t size);
    static void FlushData(png_struct_def* png);
    void EmitHeader(const Palette& palette);
    void EmitRows(QuiltRows& rows);
    void EmitRgbHeader(const TextChunks& text, int bitDepth, int dpi);
    bool EmitRgbRows(const RgbRow& rowAt);

    ImageOutput& out_;
    png_struct_def* png_ = nullptr;
    png_info_def* info_ = nullptr;
    std::vector<std::uint8_t> row_;
    bool headerWritten_ = false;
    bool failed_ = false;  // libpng cannot go on after an error
    char error_[160] = {};
};

}  // namespace tilvex
