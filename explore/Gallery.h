#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/Rgb8Image.h"
#include "studio/RenderSettings.h"

namespace tilvex {

// A million steps show every kind's pattern clearly, and 48 square quilts of
// that budget take a few seconds on two cores.
inline constexpr int kDefaultGalleryIterations = 1000000;
inline constexpr int kDefaultThumbWidth = 160;
inline constexpr int kMinThumbSize = 16, kMaxThumbSize = 2048;
inline constexpr char kAnyKind[] = "any";

struct GalleryRequest {
    int count = 24;
    std::string kind = kAnyKind;  // one of KindNames(), or "any": the six in turn
    double baseSeed = 0.0;        // quilt i has seed baseSeed + i
    int maxIterations = kDefaultGalleryIterations;
    int thumbWidth = kDefaultThumbWidth;  // the thumbnails' longer side
    int threads = 0;  // 0: every core
};

std::string GalleryKind(const GalleryRequest& request, int index);
double GallerySeed(const GalleryRequest& request, int index);

// One finished quilt, by value: nothing here refers to the state that made it.
struct GalleryQuilt {
    int index = 0;
    double seed = 0.0;
    std::string kind;
    std::string name;
    int filledCells = 0;
    std::vector<std::uint16_t> counts;    // the grid's hit counts, as saved
    std::vector<std::uint8_t> session;    // the ".qlt" bytes
    std::shared_ptr<const QuiltSnapshot> snapshot;
};

// Quilt `index` of the request, made exactly as
//   tilvex-cli render --seed (base + index) --kind K --max-iterations BUDGET --save F
// makes and saves it, convergence restarts included. Empty when stopped or
// when the program could not start (no memory).
std::optional<GalleryQuilt> MakeGalleryQuilt(int index, const GalleryRequest& request, std::stop_token stop = {});

struct GalleryEntry {
    GalleryQuilt quilt;
    double score = 0.0;  // QuiltScore of the counts
    studio::Rgb8Image thumbnail;
};

// The thumbnail: a studio tile whose longer side is `size` pixels, in a
// colour map that reads well, cheap enough to make one per quilt.
studio::RenderSettings ThumbnailSpec(const QuiltSnapshot& quilt, int size);
studio::Look ThumbnailLook();
studio::Rgb8Image GalleryThumbnail(std::shared_ptr<const QuiltSnapshot> quilt, int size);
GalleryEntry FinishGalleryEntry(GalleryQuilt quilt, int thumbWidth);

// What a gallery keeps of a quilt once its entry has been handed on: enough
// to rank it and to name its files.
struct GalleryRecord {
    int index = 0;
    double seed = 0.0;
    std::string kind;
    std::string name;
    int filledCells = 0;
    double score = 0.0;
};
GalleryRecord RecordOf(const GalleryEntry& entry);

// Best score first; equal scores in index order.
void SortByScore(std::vector<GalleryRecord>& records);

// Makes every quilt of the request on request.threads threads. onEntry, when
// given, sees each entry on the thread that made it, as it is done (several
// calls may run at once, in any order), and takes what it needs: the entry
// is dropped after, so only the entries in flight are held, whatever the
// count. Returns their records best first, the same for any thread count;
// empty when stopped.
std::optional<std::vector<GalleryRecord>> MakeGallery(const GalleryRequest& request,
                                                      const std::function<void(const GalleryEntry&)>& onEntry = {},
                                                      std::stop_token stop = {});
// The threads MakeGallery uses for this request.
int GalleryThreads(const GalleryRequest& request);

}  // namespace tilvex
