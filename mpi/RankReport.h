#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "cluster/Cluster.h"
#include "core/UserInteraction.h"

namespace tilvex::mpi {

// On rank 0, one line per failed rank on stderr, naming it. True when any failed.
inline bool ReportFailures(const cluster::Cluster& cluster, const std::string& command,
                           const std::vector<cluster::RankFailure>& failures)
{
    if (cluster.Leads())
        for (const cluster::RankFailure& f : failures)
            std::cerr << "tilvex-mpi " << command << ": rank " << f.rank << ": " << f.message << "\n";
    return !failures.empty();
}

// Rank 0's problem with the options, on every rank, said once by rank 0. True when there is one.
inline bool RefusedByLeader(const cluster::Cluster& cluster, const std::string& command, const std::string& problem)
{
    const std::string agreed = cluster.Broadcast(cluster.Leads() ? problem : std::string());
    if (cluster.Leads() && !agreed.empty()) std::cerr << "tilvex-mpi " << command << ": " << agreed << "\n";
    return !agreed.empty();
}

// What the application state told its user, for the failure report.
inline std::string Said(const AcceptingInteraction& user, const std::string& otherwise)
{
    std::string text;
    for (const std::string& m : user.messages) text += (text.empty() ? "" : "; ") + m;
    return text.empty() ? otherwise : text;
}

}  // namespace tilvex::mpi
