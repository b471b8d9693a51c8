#include "cli/InfoCommand.h"

#include <cstdint>
#include <fstream>
#include <iostream>

#include "cli/CliInteraction.h"
#include "cli/StateJson.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"

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

}  // namespace

CLI::App* InfoCommand::Add(CLI::App& program)
{
    CLI::App* info = program.add_subcommand("info", "Print the state of a saved session as JSON");
    info->add_option("file", path, "Session file (.qlt)")->required();
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
    j["maxGridSize"] = SavedCapacity(path);
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
