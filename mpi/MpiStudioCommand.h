#pragma once

#include "cli/StudioCommand.h"
#include "cluster/Cluster.h"

namespace tilvex::mpi {

// tilvex-mpi studio: tilvex-cli studio's options and picture, the sampling
// spread over the job's ranks.
class MpiStudioCommand : public cli::Command {
public:
    explicit MpiStudioCommand(const cluster::Cluster& cluster) : cluster_(cluster) {}
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

private:
    const cluster::Cluster& cluster_;
    cli::StudioCommand options_;
};

}  // namespace tilvex::mpi
