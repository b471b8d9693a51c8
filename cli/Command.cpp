#include "cli/Command.h"

#include "cli/AnimateCommand.h"
#include "cli/GalleryCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ParamsCommand.h"
#include "cli/RenderCommand.h"
#include "cli/StudioCommand.h"
#include "cli/VariationsCommand.h"

namespace tilvex::cli {

std::vector<std::unique_ptr<Command>> TilvexCliCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<RenderCommand>());
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<StudioCommand>());
    commands.push_back(std::make_unique<GalleryCommand>());
    commands.push_back(std::make_unique<ParamsCommand>());
    commands.push_back(std::make_unique<VariationsCommand>());
    commands.push_back(std::make_unique<AnimateCommand>());
    return commands;
}

int RunProgram(CLI::App& program, std::vector<std::unique_ptr<Command>>& commands, int argc, char** argv,
               std::ostream& out, std::ostream& err)
{
    program.require_subcommand(1);
    std::vector<CLI::App*> added;
    for (auto& command : commands) added.push_back(command->Add(program));
    // An empty value would leave the option at its default, unnoticed.
    const CLI::Validator notEmpty(
        [](const std::string& value) -> std::string { return value.empty() ? "needs a value" : ""; }, "");
    for (CLI::App* command : added)
        for (CLI::Option* option : command->get_options())
            if (option->get_expected_min() > 0) option->check(notEmpty);
    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = program.exit(e, out, err);
        return code == 0 ? 0 : 2;
    }
    for (std::size_t i = 0; i < commands.size(); ++i)
        if (added[i]->parsed()) return commands[i]->Run();
    return 2;
}

}  // namespace tilvex::cli
