#pragma once

#include "cli/AnimateCommand.h"
#include "cluster/Cluster.h"

namespace tilvex::mpi {

// tilvex-mpi animate: tilvex-cli animate's options and file, the frames dealt
// round the job's ranks.
class MpiAnimateCommand : public cli::Command {
public:
    explicit MpiAnimateCommand(const cluster::Cluster& cluster) : cluster_(cluster) {}
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

private:
    const cluster::Cluster& cluster_;
    cli::AnimateCommand options_;
};

}  // namespace tilvex::mpi
