#pragma once

#include <iostream>
#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

namespace tilvex::cli {

// A subcommand of a program: it adds itself and its options, then runs with
// the values parsed. Another program (one that spreads the work over
// machines, say) can add the same options and run them its own way.
class Command {
public:
    virtual ~Command() = default;
    virtual CLI::App* Add(CLI::App& program) = 0;
    // The exit status: 0 done, 1 failed, 2 refused options.
    virtual int Run() = 0;
};

// tilvex-cli's subcommands, in the order --help lists them.
std::vector<std::unique_ptr<Command>> TilvexCliCommands();

// Parses the command line and runs the subcommand given; the exit status.
// Help, the version and parse errors go to out and err.
int RunProgram(CLI::App& program, std::vector<std::unique_ptr<Command>>& commands, int argc, char** argv,
               std::ostream& out = std::cout, std::ostream& err = std::cerr);

}  // namespace tilvex::cli
