#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tilvex::studio {

// Binary data as text for a picture's text chunks (RFC 4648, with padding).
std::string Base64Encode(const std::vector<std::uint8_t>& bytes);
// None when the text holds anything but the alphabet, padding and line breaks.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text);

}  // namespace tilvex::studio
