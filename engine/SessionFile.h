#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tilvex {

class CTilvexApp;

inline constexpr char kNotEnoughMemoryToLoad[] = "Not Enouth Memory free to load this Quilt";

// The bytes of a ".qlt" file for the current state. Removes the grid's floor
// first, as every save does.
std::vector<std::uint8_t> EncodeSession(CTilvexApp& app);

// Loads a ".qlt" image into app once every field has been read and checked.
// On refusal returns the reason (exactly kNotEnoughMemoryToLoad for a larger
// saved grid capacity) and app is left as it was.
std::optional<std::string> DecodeSession(CTilvexApp& app, const std::uint8_t* data, std::size_t size);

// The largest file DecodeSession can accept with this grid capacity.
std::size_t MaxSessionBytes(int gridCapacity);

// Why a session file was not loaded: the file could not be read (errno set
// where the system gave one), its contents were refused, or its grid needs
// more storage than this program has. message is what the user is shown.
struct SessionLoadFailure {
    enum class Cause { File, Content, Capacity } cause = Cause::File;
    int error = 0;
    std::string message;
};

// Reads and decodes a session file into app; app is left as it was on failure.
std::optional<SessionLoadFailure> LoadSessionFile(CTilvexApp& app, const std::string& path);
// Encodes app's session and replaces path with it. The user's message on failure.
std::optional<std::string> SaveSessionFile(CTilvexApp& app, const std::string& path);

// Replaces path with bytes through a checked temporary file beside it, so an
// earlier file survives any failure. Returns the reason on failure.
std::optional<std::string> WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tilvex
