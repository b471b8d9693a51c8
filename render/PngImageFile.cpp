#include "render/PngImageFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <png.h>

namespace tilvex {

// libpng reports errors by longjmp back to the setjmp of the call that led to
// them. Those functions and the callbacks keep no object with a destructor in
// their frames, so the jump skips nothing that needs cleaning up.

PngImageFile::PngImageFile(ImageOutput& out, int w, int h)
    : width(w), height(h), out_(out), row_(w > 0 ? static_cast<std::size_t>(w) : 0)
{
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) {
        failed_ = true;
        std::snprintf(error_, sizeof error_, "out of memory");
        return;
    }
    png_set_write_fn(png_, this, WriteData, FlushData);
}

PngImageFile::~PngImageFile()
{
    if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
}

void PngImageFile::OnError(png_struct_def* png, const char* message)
{
    auto* self = static_cast<PngImageFile*>(png_get_error_ptr(png));
    self->failed_ = true;
    std::snprintf(self->error_, sizeof self->error_, "%s", message);
    png_longjmp(png, 1);
}

void PngImageFile::OnWarning(png_struct_def*, const char*) {}

void PngImageFile::WriteData(png_struct_def* png, std::uint8_t* data, std::size_t size)
{
    auto* self = static_cast<PngImageFile*>(png_get_io_ptr(png));
    if (!self->out_.Write(data, size)) png_error(png, "write failed");
}

// ImageOutput::Finish flushes the file once it is complete.
void PngImageFile::FlushData(png_struct_def*) {}

void PngImageFile::EmitHeader(const Palette& palette)
{
    png_set_IHDR(png_, info_, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
    png_set_PLTE(png_, info_, colours, 256);
    png_write_info(png_, info_);
}

bool PngImageFile::WriteHeader(const Palette& palette)
{
    if (failed_ || headerWritten_) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    EmitHeader(palette);
    headerWritten_ = true;
    return true;
}

void PngImageFile::EmitRows(QuiltRows& rows)
{
    for (int k = 0; k < rows.Period(); ++k) {
        for (int y = rows.TileHeight() - 1; y >= 0; --y) {
            rows.TileRow(y, row_.data());
            png_write_row(png_, row_.data());
            ++rowsWritten;
        }
    }
    png_write_end(png_, info_);
}

void PngImageFile::EmitRgbHeader(const TextChunks& text, int bitDepth, int dpi)
{
    png_set_IHDR(png_, info_, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (dpi > 0) {
        const auto perMetre = static_cast<png_uint_32>(std::lround(dpi / 0.0254));
        png_set_pHYs(png_, info_, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    // True-colour pictures run to hundreds of megapixels and are written by one
    // thread. Their colours come from a map of a few hundred, so unfiltered
    // rows repeat whole pixels; deflated at level 2 they come out smaller than
    // with libpng's adaptive filters at level 6, and about five times faster.
    png_set_filter(png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png_, 2);
    // libpng copies the texts at once and writes them with the header.
    png_text chunks[kMaxTextChunks] = {};
    const int count = static_cast<int>(std::min(text.size(), static_cast<std::size_t>(kMaxTextChunks)));
    for (int i = 0; i < count; ++i) {
        const bool longText = text[static_cast<std::size_t>(i)].second.size() > 1024;
        chunks[i].compression = longText ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(text[static_cast<std::size_t>(i)].first.c_str());
        chunks[i].text = const_cast<char*>(text[static_cast<std::size_t>(i)].second.c_str());
        chunks[i].text_length = text[static_cast<std::size_t>(i)].second.size();
    }
    if (count > 0) png_set_text(png_, info_, chunks, count);
    png_write_info(png_, info_);
}

bool PngImageFile::WriteRgbHeader(const TextChunks& text, int bitDepth, int dpi)
{
    if (failed_ || headerWritten_ || (bitDepth != 8 && bitDepth != 16)) return false;
    row_.assign(static_cast<std::size_t>(3 * bitDepth / 8) * row_.size(), 0);
    if (setjmp(png_jmpbuf(png_))) return false;
    EmitRgbHeader(text, bitDepth, dpi);
    headerWritten_ = true;
    return true;
}

bool PngImageFile::EmitRgbRows(const RgbRow& rowAt)
{
    for (int y = 0; y < height; ++y) {
        if (!rowAt(y, row_.data())) return false;
        png_write_row(png_, row_.data());
        ++rowsWritten;
    }
    png_write_end(png_, info_);
    return true;
}

bool PngImageFile::WriteRgbPixels(const RgbRow& rowAt)
{
    if (failed_ || !headerWritten_ || rowsWritten != 0 || height == 0) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    return EmitRgbRows(rowAt);
}

bool PngImageFile::WritePixels(QuiltRows& rows)
{
    if (failed_ || !headerWritten_ || rowsWritten != 0) return false;
    if (rows.Width() != width || rows.Height() != height || height == 0) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    EmitRows(rows);
    return true;
}

}  // namespace tilvex
