// tilvex-mpi: tilvex-cli's studio, gallery and animate, the work spread over the ranks
// of an MPI job (mpirun, srun). Rank 0 reads the options, reports and writes.
#include <exception>
#include <fstream>
#include <iostream>

#include <CLI/CLI.hpp>

#include "TilvexVersion.h"
#include "cli/Command.h"
#include "cluster/Cluster.h"
#include "mpi/MpiAnimateCommand.h"
#include "mpi/MpiGalleryCommand.h"
#include "mpi/MpiStudioCommand.h"

int main(int argc, char** argv)
{
    tilvex::cluster::Cluster cluster(argc, argv);
    try {
        CLI::App program{"tilvex-mpi: tilvex-cli's studio, gallery and animate on every rank of an MPI job"};
        program.set_version_flag("--version", "tilvex-mpi " TILVEX_VERSION, "Print the version and exit");
        std::vector<std::unique_ptr<tilvex::cli::Command>> commands;
        commands.push_back(std::make_unique<tilvex::mpi::MpiStudioCommand>(cluster));
        commands.push_back(std::make_unique<tilvex::mpi::MpiGalleryCommand>(cluster));
        commands.push_back(std::make_unique<tilvex::mpi::MpiAnimateCommand>(cluster));
        // Every rank parses the same command line; rank 0 alone answers it.
        std::ofstream silent;
        std::ostream& out = cluster.Leads() ? std::cout : silent;
        std::ostream& err = cluster.Leads() ? std::cerr : silent;
        return tilvex::cli::RunProgram(program, commands, argc, argv, out, err);
    } catch (const std::exception& e) {
        std::cerr << "tilvex-mpi: rank " << cluster.Rank() << ": " << e.what() << "\n";
        cluster.Abort(1);
    }
}
