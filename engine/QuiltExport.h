#pragma once

#include <string>

#include "render/QuiltImageFile.h"
#include "render/QuiltPixels.h"

namespace tilvex {

class CTilvexApp;

// Writes the current quilt as period x period tiles, exactly as the Save Image
// commands do once their dialogs are answered (floor removed, image size per
// kind, the application's tile and image sizes updated). The file appears only
// complete: it is written beside the destination and renamed into place.
// Returns an empty string on success, else a message for the user.
std::string ExportQuiltImage(CTilvexApp& app, ImageFormat format, const std::string& path, int period);

// The pixels ExportQuiltImage writes for this period, in memory, with the
// same changes to app.
RgbPicture ExportQuiltPixels(CTilvexApp& app, int period);

}  // namespace tilvex
