#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "studio/Rgb8Image.h"

namespace tilvex {

// A gallery thumbnail read back for the contact sheet: any PNG, as 8-bit RGB.
// Refused (empty, error set) when it is not a PNG or a side is above maxSide,
// which bounds what it may take.
std::optional<studio::Rgb8Image> ReadThumbnail(const std::uint8_t* data, std::size_t size, int maxSide,
                                               std::string& error);
std::optional<studio::Rgb8Image> ReadThumbnailFile(const std::string& path, int maxSide, std::string& error);

}  // namespace tilvex
