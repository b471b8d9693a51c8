#pragma once

#include "cli/GalleryCommand.h"
#include "cluster/Cluster.h"

namespace tilvex::mpi {

// tilvex-mpi gallery: tilvex-cli gallery's options and folder, the quilts
// dealt to the job's ranks.
class MpiGalleryCommand : public cli::Command {
public:
    explicit MpiGalleryCommand(const cluster::Cluster& cluster) : cluster_(cluster) {}
    CLI::App* Add(CLI::App& program) override;
    int Run() override;

private:
    const cluster::Cluster& cluster_;
    cli::GalleryCommand options_;
};

}  // namespace tilvex::mpi
