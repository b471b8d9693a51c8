#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "explore/Gallery.h"

namespace tilvex::cluster {

// A finished gallery entry as the bytes one rank sends rank 0: its values,
// session, counts and thumbnail. The snapshot does not travel: the receiver
// loads it again from the session, which holds everything the folder's
// files are made from.
std::vector<std::uint8_t> EncodeGalleryEntry(const GalleryEntry& entry);
// Empty, with the reason in `error`, when the bytes are not such an entry.
std::optional<GalleryEntry> DecodeGalleryEntry(const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace tilvex::cluster
