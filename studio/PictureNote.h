#pragma once

#include "render/PngImageFile.h"
#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/RenderSpec.h"

namespace tilvex::studio {

// The keyword of the text chunk that carries a picture's settings.
inline constexpr char kPictureNoteKey[] = "Tilvex";

// The settings a picture was made with, as the text chunks its file carries:
// the quilt's name and kind, the render renderSpec, the look and the period, in JSON.
PngImageFile::TextChunks PictureNote(const QuiltSnapshot& quilt, const RenderSpec& renderSpec, const Look& look, int period);

}  // namespace tilvex::studio
