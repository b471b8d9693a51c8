#include "studio/PictureNote.h"

#include <cstring>

#include <nlohmann/json.hpp>

#include "maps/QuiltKindNames.h"
#include "studio/Base64.h"
#include "studio/PictureExr.h"
#include "studio/PngText.h"

namespace tilvex::studio {

PngImageFile::TextChunks PictureNote::Chunks() const
{
    PngImageFile::TextChunks chunks{{kPictureNoteKey, settings}};
    if (!session.empty()) chunks.emplace_back(kPictureSessionKey, Base64Encode(session));
    return chunks;
}

PictureNote MakePictureNote(const QuiltSnapshot& quilt, const RenderSettings& renderSpec, const Look& look, int period,
                            std::vector<std::uint8_t> session)
{
    nlohmann::json note;
    note["quiltName"] = quilt.quiltName;
    note["kind"] = KindName(quilt.kind);
    note["render"] = renderSpec;
    note["look"] = look;
    note["period"] = period;
    // ASCII only (a chunk's text is Latin-1), whatever bytes the quilt's name holds.
    return {note.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace), std::move(session)};
}

bool LooksLikePicture(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const std::uint8_t exr[4] = {0x76, 0x2F, 0x31, 0x01};
    return (size >= 8 && std::memcmp(data, png, 8) == 0) || (size >= 4 && std::memcmp(data, exr, 4) == 0);
}

std::optional<PictureNote> ReadPictureNote(const std::uint8_t* data, std::size_t size, std::string& error)
{
    if (!LooksLikePicture(data, size)) {
        error = "it is neither a PNG nor an OpenEXR picture";
        return std::nullopt;
    }
    std::optional<PngImageFile::TextChunks> texts =
        data[0] == 0x89 ? ReadPngText(data, size, error) : ReadExrText(data, size, error);
    if (!texts) return std::nullopt;
    PictureNote note;
    bool found = false;
    for (const auto& [key, text] : *texts) {
        if (key == kPictureNoteKey) {
            note.settings = text;
            found = true;
        } else if (key == kPictureSessionKey) {
            std::optional<std::vector<std::uint8_t>> bytes = Base64Decode(text);
            if (!bytes) {
                error = "its session text is not Base64";
                return std::nullopt;
            }
            note.session = std::move(*bytes);
        }
    }
    if (!found) {
        error = "it carries no Tilvex settings";
        return std::nullopt;
    }
    return note;
}

}  // namespace tilvex::studio
