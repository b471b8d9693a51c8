// Reads arbitrary bytes as a look file (tilvex-cli studio --look, the
// desktop's Load Look, tilvex-cli animate --look): JSON, then a look, then
// that look as a clip key. Besides the sanitizers' checks: anything refused
// is refused with std::invalid_argument or a JSON error, an accepted look is
// valid and writes out and reads back as the same look, and a curve between
// it and a copy with other numbers gives each key back at its time and only
// valid looks between them.
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "motion/LookCurve.h"
#include "studio/Look.h"

using tilvex::studio::Look;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Look look;
    try {
        look = nlohmann::json::parse(data, data + size).get<Look>();
    } catch (const nlohmann::json::exception&) {
        return 0;
    } catch (const std::invalid_argument&) {
        return 0;
    }
    if (!tilvex::studio::Validate(look).empty()) std::abort();
    if (nlohmann::json(look).get<Look>() != look) std::abort();

    Look other = look;
    other.tone.gamma = look.tone.gamma < 5.0 ? look.tone.gamma * 2.0 : look.tone.gamma / 2.0;
    const tilvex::motion::LookCurve curve({look, other}, {0.0, 1.0});
    if (curve(0.0) != look || curve(1.0) != other) std::abort();
    for (double t : {0.25, 0.5, 0.75})
        if (!tilvex::studio::Validate(curve(t)).empty()) std::abort();
    return 0;
}
