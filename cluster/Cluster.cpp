#include "cluster/Cluster.h"

#include <mpi.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace tilvex::cluster {

namespace {

constexpr int kBytesTag = 27;

// MPI's own handler ends the job on most errors; this catches the rest.
void Check(int code, const char* what)
{
    if (code == MPI_SUCCESS) return;
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    std::fprintf(stderr, "tilvex-mpi: rank %d: %s failed\n", rank, what);
    MPI_Abort(MPI_COMM_WORLD, 1);
}

}  // namespace

Cluster::Cluster(int& argc, char**& argv)
{
    int provided = 0;
    Check(MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided), "MPI_Init_thread");
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks_);
}

Cluster::~Cluster() { MPI_Finalize(); }

double Cluster::Broadcast(double value) const
{
    Check(MPI_Bcast(&value, 1, MPI_DOUBLE, 0, MPI_COMM_WORLD), "MPI_Bcast");
    return value;
}

int Cluster::Broadcast(int value) const
{
    Check(MPI_Bcast(&value, 1, MPI_INT, 0, MPI_COMM_WORLD), "MPI_Bcast");
    return value;
}

std::string Cluster::Broadcast(const std::string& text) const
{
    int size = Broadcast(static_cast<int>(text.size()));
    std::string copy = Leads() ? text : std::string(static_cast<std::size_t>(size), '\0');
    Check(MPI_Bcast(copy.data(), size, MPI_CHAR, 0, MPI_COMM_WORLD), "MPI_Bcast");
    return copy;
}

std::uint64_t Cluster::SumOnLeader(std::uint64_t value) const
{
    std::uint64_t sum = value;
    Check(MPI_Reduce(&value, &sum, 1, MPI_UINT64_T, MPI_SUM, 0, MPI_COMM_WORLD), "MPI_Reduce");
    return Leads() ? sum : value;
}

std::vector<RankFailure> Cluster::Agree(const std::string& failure) const
{
    int failed = failure.empty() ? 0 : 1, anyFailed = 0;
    Check(MPI_Allreduce(&failed, &anyFailed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD), "MPI_Allreduce");
    if (!anyFailed) return {};
    std::string mine = failed ? failure : std::string();
    if (mine.size() > 4096) mine.resize(4096);
    const int length = static_cast<int>(mine.size());
    std::vector<int> lengths(static_cast<std::size_t>(ranks_)), offsets(static_cast<std::size_t>(ranks_));
    Check(MPI_Allgather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, MPI_COMM_WORLD), "MPI_Allgather");
    int total = 0;
    for (int r = 0; r < ranks_; ++r) {
        offsets[r] = total;
        total += lengths[r];
    }
    std::string all(static_cast<std::size_t>(total), '\0');
    Check(MPI_Allgatherv(mine.data(), length, MPI_CHAR, all.data(), lengths.data(), offsets.data(), MPI_CHAR,
                         MPI_COMM_WORLD),
          "MPI_Allgatherv");
    std::vector<RankFailure> failures;
    for (int r = 0; r < ranks_; ++r)
        if (lengths[r] > 0) failures.push_back({r, all.substr(static_cast<std::size_t>(offsets[r]), lengths[r])});
    return failures;
}

void Cluster::Abort(int status) const
{
    MPI_Abort(MPI_COMM_WORLD, status);
    std::abort();
}

void Cluster::Send(int to, const std::vector<std::uint8_t>& bytes) const
{
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("a message of more than 2 GB");
    Check(MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, to, kBytesTag, MPI_COMM_WORLD), "MPI_Send");
}

std::vector<std::uint8_t> Cluster::Receive(int from) const
{
    MPI_Status status;
    Check(MPI_Probe(from, kBytesTag, MPI_COMM_WORLD, &status), "MPI_Probe");
    int size = 0;
    MPI_Get_count(&status, MPI_BYTE, &size);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    Check(MPI_Recv(bytes.data(), size, MPI_BYTE, from, kBytesTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE), "MPI_Recv");
    return bytes;
}

}  // namespace tilvex::cluster
