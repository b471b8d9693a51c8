#include "cli/Command.h"

#include "cli/AnimateCommand.h"
#include "cli/GalleryCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ParamsCommand.h"
#include "cli/RenderCommand.h"
#include "cli/StudioCommand.h"

namespace tilvex::cli {

std::vector<std::unique_ptr<Command>> TilvexCliCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<RenderCommand>());
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<StudioCommand>());
    commands.push_back(std::make_unique<GalleryCommand>());
    commands.push_back(std::make_unique<ParamsCommand>());
    commands.push_back(std::make_unique<AnimateCommand>());
    return commands;
}

int RunProgram(CLI::App& program, std::vector<std::unique_ptr<Command>>& commands, int argc, char** argv)
{
    program.require_subcommand(1);
    std::vector<CLI::App*> added;
    for (auto& command : commands) added.push_back(command->Add(program));
    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = program.exit(e);
        return code == 0 ? 0 : 2;
    }
    for (std::size_t i = 0; i < commands.size(); ++i)
        if (added[i]->parsed()) return commands[i]->Run();
    return 2;
}

}  // namespace tilvex::cli
