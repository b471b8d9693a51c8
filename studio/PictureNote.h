#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/PngImageFile.h"
#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/RenderSettings.h"

namespace tilvex::studio {

// The keywords of the text chunks (and OpenEXR attributes) a picture carries.
inline constexpr char kPictureNoteKey[] = "Tilvex";
inline constexpr char kPictureSessionKey[] = "Tilvex session";

// What a picture remembers of how it was made: its settings as JSON (the
// quilt's name and kind, the render settings, the look and the period) and
// the quilt's session bytes, so the quilt can be opened again from it.
struct PictureNote {
    std::string settings;               // JSON text, ASCII
    std::vector<std::uint8_t> session;  // empty when not known

    // The text chunks: the settings, then the session in Base64.
    PngImageFile::TextChunks Chunks() const;
};

PictureNote MakePictureNote(const QuiltSnapshot& quilt, const RenderSettings& renderSpec, const Look& look, int period,
                            std::vector<std::uint8_t> session = {});

// Reads the note of a PNG or OpenEXR file's bytes; stops at the pixels. None,
// with error set, when the bytes are no such picture, carry no note, or carry
// one that cannot be read.
std::optional<PictureNote> ReadPictureNote(const std::uint8_t* data, std::size_t size, std::string& error);
// True when the bytes start as a PNG or an OpenEXR file.
bool LooksLikePicture(const std::uint8_t* data, std::size_t size);

}  // namespace tilvex::studio
