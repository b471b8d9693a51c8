#pragma once

#include <functional>
#include <vector>

#include "cluster/Cluster.h"
#include "explore/Gallery.h"

namespace tilvex::cluster {

struct ClusterGalleryOutcome {
    std::vector<RankFailure> failures;     // ranks that could not make their quilts
    std::vector<GalleryRecord> bestFirst;  // every quilt's record, on rank 0
    std::string keepError;                 // the first refusal of keep, on rank 0
};

// The gallery MakeGallery makes, its quilts dealt round the ranks (DealtItems)
// and made on each rank's request.threads threads. The ranks send their
// entries to rank 0, which hands each to keep as it comes (its own ones
// first, then the others' in item order) and keeps only its record, sorted
// best first: the same records, in the same order, as one process makes.
// onEntry sees rank 0's own entries as they are done. Every rank passes the
// same request. Collective.
ClusterGalleryOutcome MakeGalleryOnCluster(const Cluster& cluster, const GalleryRequest& request,
                                           const std::function<void(const GalleryEntry&)>& onEntry,
                                           const std::function<std::string(const GalleryEntry&)>& keep);

}  // namespace tilvex::cluster
