#include "cli/InfoCommand.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <vector>

#include "cli/CliInteraction.h"
#include "cli/StateJson.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "studio/PictureNote.h"

namespace tilvex::cli {

namespace {

// Item 1 of the file: the grid capacity of the program that saved it.
int SavedCapacity(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char b[4] = {};
    file.read(reinterpret_cast<char*>(b), 4);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                     static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

// The note of a studio picture; none for anything else (a session).
std::optional<studio::PictureNote> PictureNoteOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    if (!studio::LooksLikePicture(bytes.data(), bytes.size())) return std::nullopt;
    std::string error;
    return studio::ReadPictureNote(bytes.data(), bytes.size(), error);
}

}  // namespace

CLI::App* InfoCommand::Add(CLI::App& program)
{
    CLI::App* info = program.add_subcommand("info", "Print the state of a saved session as JSON");
    info->add_option("file", path, "Session file (.qlt), or a studio picture (PNG, OpenEXR) that carries one")->required();
    return info;
}

int InfoCommand::Run()
{
    // The seed does not matter: the load replaces everything it describes.
    CTilvexApp app(1.0);
    CliInteraction user;
    ScopedInteraction atTheTerminal(app, user);
    if (!app.InitInstance(AvailablePhysicalMemory())) return 1;
    if (!app.LoadSession(path)) return 1;
    nlohmann::ordered_json j = StateJson(app);
    std::optional<studio::PictureNote> note = PictureNoteOf(path);
    if (note) {
        // A picture: how it was made, then the quilt it carries.
        nlohmann::ordered_json picture = nlohmann::ordered_json::parse(note->settings, nullptr, false);
        picture["quilt"] = std::move(j);
        std::cout << JsonText(picture) << "\n";
        return 0;
    }
    j["maxGridSize"] = SavedCapacity(path);
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
