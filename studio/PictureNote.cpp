#include "studio/PictureNote.h"

#include <nlohmann/json.hpp>

#include "maps/QuiltKindNames.h"

namespace tilvex::studio {

PngImageFile::TextChunks PictureNote(const QuiltSnapshot& quilt, const RenderSpec& renderSpec, const Look& look, int period)
{
    nlohmann::json note;
    note["quiltName"] = quilt.quiltName;
    note["kind"] = KindName(quilt.kind);
    note["render"] = renderSpec;
    note["look"] = look;
    note["period"] = period;
    // ASCII only (a chunk's text is Latin-1), whatever bytes the quilt's name holds.
    return {{kPictureNoteKey, note.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace)}};
}

}  // namespace tilvex::studio
