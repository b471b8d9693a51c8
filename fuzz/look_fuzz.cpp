// Reads arbitrary bytes as a look file (--look, the desktop's Load Look): a
// look that reads is valid and writes back to JSON that reads as the same
// look; anything else is refused with std::invalid_argument or a JSON error.
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "studio/Look.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const nlohmann::json j = nlohmann::json::parse(data, data + size, nullptr, false);
    if (j.is_discarded()) return 0;
    try {
        const auto look = j.get<tilvex::studio::Look>();
        if (!tilvex::studio::Validate(look).empty()) std::abort();
        if (nlohmann::json(look).get<tilvex::studio::Look>() != look) std::abort();
    } catch (const std::invalid_argument&) {
    } catch (const nlohmann::json::exception&) {
    }
    return 0;
}
