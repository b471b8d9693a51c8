// tilvex-cli: the headless quilt generator.
#include <CLI/CLI.hpp>

#include "TilvexVersion.h"
#include "cli/Command.h"

int main(int argc, char** argv)
{
    CLI::App program{"tilvex-cli: generate quilts without the desktop program"};
    program.set_version_flag("--version", "tilvex-cli " TILVEX_VERSION, "Print the version and exit");
    auto commands = tilvex::cli::TilvexCliCommands();
    return tilvex::cli::RunProgram(program, commands, argc, argv);
}
