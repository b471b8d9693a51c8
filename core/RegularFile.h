#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tilvex {

// Reads up to maxBytes bytes of a regular file (a longer file gives its first
// maxBytes: ask for one more than is accepted to tell). A folder, FIFO or
// device is refused without waiting on it. Empty on success, else the reason
// (and, when asked for, its errno: EISDIR for a folder, ENODEV for a FIFO or device).
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           std::vector<std::uint8_t>& bytes, int* error = nullptr);

}  // namespace tilvex
