#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tilvex::cluster {

// One failed rank and what it said.
struct RankFailure {
    int rank = 0;
    std::string message;
};

// The processes of one MPI job, for the life of this object: MPI is started
// in the constructor and finished in the destructor. Only the thread that
// made it calls MPI; worker threads never do. Rank 0 reads the options,
// reports and writes; every call here is collective unless it says otherwise.
class Cluster {
public:
    Cluster(int& argc, char**& argv);
    ~Cluster();
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    int Rank() const { return rank_; }
    int Ranks() const { return ranks_; }
    bool Leads() const { return rank_ == 0; }

    // Rank 0's value, on every rank.
    double Broadcast(double value) const;
    int Broadcast(int value) const;
    std::string Broadcast(const std::string& text) const;
    // The sum of every rank's value, on rank 0 (elsewhere the rank's own).
    std::uint64_t SumOnLeader(std::uint64_t value) const;

    // Every rank says how its part went (empty: well). The failed ranks'
    // messages, in rank order, on every rank: a rank that failed stops the
    // job for all, and rank 0 reports them.
    std::vector<RankFailure> Agree(const std::string& failure) const;

    // Ends every rank of the job with this status; not collective.
    [[noreturn]] void Abort(int status) const;

    // Point to point, not collective: bytes from this rank to rank `to`, and
    // the next message from rank `from`, in the order sent.
    void Send(int to, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> Receive(int from) const;

private:
    int rank_ = 0;
    int ranks_ = 1;
};

}  // namespace tilvex::cluster
