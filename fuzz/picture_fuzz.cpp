// Reads arbitrary bytes as a studio picture (PNG or OpenEXR) the way info
// and --load do: its note, the look and render settings in it, and the
// session it carries, decoded into a program. Besides the sanitizers' checks:
// a refused note, look or session never half-applies, and an accepted note's
// settings and look write back to JSON that reads as the same values.
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"
#include "studio/Look.h"
#include "studio/PictureNote.h"
#include "studio/RenderSettings.h"

namespace {

class SilentInteraction : public tilvex::AcceptingInteraction {
public:
    void ShowMessage(const std::string&, tilvex::MessageIcon) override {}
};

tilvex::CTilvexApp& Program()
{
    static SilentInteraction ui;
    static tilvex::CTilvexApp* app = [] {
        auto* a = new tilvex::CTilvexApp(1.0);
        a->ui = &ui;
        if (!a->InitInstance(1ull << 32)) std::abort();
        return a;
    }();
    return *app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const std::optional<tilvex::studio::PictureNote> note = tilvex::studio::ReadPictureNote(data, size, error);
    if (!note) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const nlohmann::json settings = nlohmann::json::parse(note->settings, nullptr, false);
    if (settings.is_object()) {
        for (const char* key : {"look", "render"}) {
            if (!settings.contains(key)) continue;
            try {
                if (std::string(key) == "look") {
                    const auto look = settings[key].get<tilvex::studio::Look>();
                    if (nlohmann::json(look).get<tilvex::studio::Look>() != look) std::abort();
                } else {
                    const auto renderSpec = settings[key].get<tilvex::studio::RenderSettings>();
                    if (nlohmann::json(renderSpec).get<tilvex::studio::RenderSettings>() != renderSpec) std::abort();
                }
            } catch (const std::invalid_argument&) {
            } catch (const nlohmann::json::exception&) {
            }
        }
    }
    if (!note->session.empty()) (void)tilvex::DecodeSession(Program(), note->session.data(), note->session.size());
    return 0;
}
