// Loads arbitrary bytes as a session file. Besides the sanitizers' checks:
// a refused file leaves the program exactly as it was, and an accepted one
// saves to bytes that load again and save to the same bytes.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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

Bytes Snapshot(tilvex::CTilvexApp& app)
{
    Bytes s = tilvex::EncodeSession(app);
    auto add = [&s](const auto& v) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        s.insert(s.end(), p, p + sizeof v);
    };
    add(app.kindWildCorner);
    add(app.random.RandState());
    add(app.random.state0), add(app.random.state1), add(app.random.state2);
    for (int k = 0; k < 256; ++k) add(app.grid.histogram[k]);
    const tilvex::WildCornerMap& w = app.maps.wildCorner;
    for (int i = 0; i < w.amplitudes.GetSize(); ++i) add(w.amplitudes[i]);
    for (int i = 0; i < w.frequencies.GetSize(); ++i) add(w.frequencies[i]);
    return s;
}

[[noreturn]] void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "session_fuzz: %s %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tilvex::CTilvexApp& app = Program();
    Bytes before = Snapshot(app);
    if (auto refusal = tilvex::DecodeSession(app, data, size)) {
        if (Snapshot(app) != before) Fail("a refused load changed the program:", *refusal);
        return 0;
    }
    Bytes saved = tilvex::EncodeSession(app);
    if (auto refusal = tilvex::DecodeSession(app, saved.data(), saved.size()))
        Fail("the program refused its own session:", *refusal);
    if (tilvex::EncodeSession(app) != saved) Fail("save, load, save changed the bytes", "");
    return 0;
}
