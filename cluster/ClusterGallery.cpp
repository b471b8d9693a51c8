#include "cluster/ClusterGallery.h"

#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_arena.h>

#include "cluster/Deal.h"
#include "cluster/GalleryEntryBytes.h"

namespace tilvex::cluster {

namespace {

// This rank's entries, in item order; empty when one could not be made.
std::optional<std::vector<GalleryEntry>> MakeShare(const std::vector<int>& items, const GalleryRequest& request,
                                                   const std::function<void(const GalleryEntry&)>& onEntry)
{
    std::vector<std::optional<GalleryEntry>> made(items.size());
    std::mutex reportLock;
    tbb::task_arena arena(GalleryThreads(request));
    arena.execute([&] {
        tbb::parallel_for(
            std::size_t{0}, items.size(),
            [&](std::size_t k) {
                std::optional<GalleryQuilt> quilt = MakeGalleryQuilt(items[k], request);
                if (!quilt) return;
                made[k] = FinishGalleryEntry(std::move(*quilt), request.thumbWidth);
                if (onEntry) {
                    std::lock_guard lock(reportLock);
                    onEntry(*made[k]);
                }
            },
            tbb::simple_partitioner());
    });
    std::vector<GalleryEntry> entries;
    for (std::optional<GalleryEntry>& entry : made) {
        if (!entry) return std::nullopt;
        entries.push_back(std::move(*entry));
    }
    return entries;
}

}  // namespace

ClusterGalleryOutcome MakeGalleryOnCluster(const Cluster& cluster, const GalleryRequest& request,
                                           const std::function<void(const GalleryEntry&)>& onEntry,
                                           const std::function<std::string(const GalleryEntry&)>& keep)
{
    ClusterGalleryOutcome outcome;
    const std::vector<int> items = DealtItems(request.count, cluster.Rank(), cluster.Ranks());
    std::vector<GalleryEntry> mine;
    std::string failure;
    try {
        std::optional<std::vector<GalleryEntry>> made = MakeShare(items, request, cluster.Leads() ? onEntry : nullptr);
        if (made)
            mine = std::move(*made);
        else
            failure = "not enough memory to start a quilt";
    } catch (const std::bad_alloc&) {
        failure = "not enough memory for a quilt";
    }
    outcome.failures = cluster.Agree(failure);
    if (!outcome.failures.empty()) return outcome;

    if (!cluster.Leads()) {
        for (const GalleryEntry& entry : mine) cluster.Send(0, EncodeGalleryEntry(entry));
        return outcome;
    }
    // Each rank sends its entries in item order, so they are taken in that order.
    // Every message is taken, even after a bad one, so no sender waits forever.
    const auto take = [&](const GalleryEntry& entry) {
        outcome.bestFirst.push_back(RecordOf(entry));
        if (std::string error = keep ? keep(entry) : std::string(); outcome.keepError.empty())
            outcome.keepError = error;
    };
    for (const GalleryEntry& entry : mine) take(entry);
    mine.clear();
    std::string damaged;
    for (int item = 0; item < request.count; ++item) {
        const int owner = OwnerOfItem(item, cluster.Ranks());
        if (owner == 0) continue;
        std::string error;
        std::optional<GalleryEntry> entry = DecodeGalleryEntry(cluster.Receive(owner), error);
        if (entry)
            take(*entry);
        else if (damaged.empty())
            damaged = "rank " + std::to_string(owner) + ": " + error;
    }
    if (!damaged.empty()) throw std::runtime_error(damaged);
    SortByScore(outcome.bestFirst);
    return outcome;
}

}  // namespace tilvex::cluster
