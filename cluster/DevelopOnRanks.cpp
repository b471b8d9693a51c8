#include "cluster/DevelopOnRanks.h"

#include <mpi.h>
#include <tbb/task_arena.h>

#include <exception>
#include <memory>
#include <new>
#include <optional>

#include "cluster/Deal.h"
#include "cluster/RowBands.h"
#include "cluster/SumDensity.h"
#include "studio/Develop.h"
#include "studio/FlatField.h"

namespace tilvex::cluster {

namespace {

// What a rank's part came to: empty when it went well.
template <class Work>
std::string Attempt(Work&& work)
{
    try {
        work();
        return {};
    } catch (const std::bad_alloc&) {
        return "not enough memory to develop the picture";
    } catch (const std::exception& e) {
        return e.what();
    }
}

// A writer's message, or what stopped it.
template <class Writer>
std::string Write(Writer&& writer)
{
    std::string error;
    const std::string failed = Attempt([&] { error = writer(); });
    return failed.empty() ? error : failed;
}

// The histogram of every band's pixels, on every rank, as Merge would make it.
studio::DensityHistogram SumHistogram(const studio::DensityHistogram& mine)
{
    std::vector<std::uint32_t> bins(mine.Bins().size());
    MPI_Allreduce(mine.Bins().data(), bins.data(), static_cast<int>(bins.size()), MPI_UINT32_T, MPI_SUM,
                  MPI_COMM_WORLD);
    std::uint64_t filled = mine.Filled(), allFilled = 0;
    MPI_Allreduce(&filled, &allFilled, 1, MPI_UINT64_T, MPI_SUM, MPI_COMM_WORLD);
    float densest = mine.Densest(), allDensest = 0.0f;
    MPI_Allreduce(&densest, &allDensest, 1, MPI_FLOAT, MPI_MAX, MPI_COMM_WORLD);
    studio::DensityHistogram sum;
    sum.Merge(bins, allFilled, allDensest);
    return sum;
}

}  // namespace

DevelopOutcome DevelopOnRanks(const Cluster& cluster, const RenderJob& job, const RenderJob::Outputs& files,
                              const RenderProgress& progress)
{
    DevelopOutcome outcome;
    const QuiltSnapshot& quilt = job.Quilt();
    const studio::Look& look = job.Look();
    const studio::DensityBuffer& buffer = job.Density();
    const int resolution = buffer.Resolution(), width = job.Width(), height = job.Height(), threads = job.Threads();
    const std::vector<Share> cellBands = SharesOf(resolution, cluster.Ranks());
    const std::vector<Share> pictureBands = SharesOf(height, cluster.Ranks());
    const Share mine = pictureBands[static_cast<std::size_t>(cluster.Rank())];  // rank 0's starts at row 0
    const Share myCells = cellBands[static_cast<std::size_t>(cluster.Rank())];
    const studio::ShareDone folding = [&](double done) {
        if (progress && cluster.Leads()) progress(RenderStage::Folding, done);
    };

    // The fold's flat field, each rank a part of its points.
    std::vector<std::uint32_t> counts;
    outcome.failures = cluster.Agree(
        Attempt([&] { counts = studio::FlatFieldCounts(quilt, resolution, threads, cluster.Rank(), cluster.Ranks()); }));
    if (!outcome.failures.empty()) return outcome;
    SumCounts(cluster, counts);
    const std::shared_ptr<const studio::FlatField> flat = studio::FlatFieldFromCounts(resolution, std::move(counts));

    // The estimate in bands of the buffer's rows; the fold may read any cell, so every rank gets the whole field.
    std::optional<studio::DensityField> field;
    outcome.failures = cluster.Agree(Attempt([&] {
        field = studio::EstimateDensity(buffer, flat.get(), look.denoise, threads, {},
                                        {myCells.first, myCells.first + myCells.count},
                                        studio::CellSymmetryOf(quilt));
    }));
    if (!outcome.failures.empty()) return outcome;
    ShareBands(cluster, std::as_writable_bytes(std::span(field->Values())), resolution * sizeof(float), cellBands);

    // The fold in bands of the picture's rows, exposed by the histogram of them all.
    std::optional<studio::FoldedTile> tile;
    const studio::ColourSums* sums = look.colorBy == studio::ColorBy::Density ? nullptr : job.Colours();
    outcome.failures = cluster.Agree(Attempt([&] {
        tile = studio::FoldTile(quilt, *field, true, width, height, look.oversample, threads, {}, folding,
                                sums, {mine.first, mine.first + mine.count});
        field.reset();
    }));
    if (!outcome.failures.empty()) return outcome;
    const studio::DensityHistogram exposure = SumHistogram(tile->exposure);
    const studio::ColorMap colours = studio::Colours(look, quilt.paletteEntries);

    if (files.exr.empty() && look.bitDepth == 8) {
        // Coloured and quantised where folded: rank 0 gathers three bytes a pixel.
        studio::Rgb8Image picture;
        outcome.failures = cluster.Agree(Attempt([&] {
            const studio::FloatImage band(width, mine.count, std::move(tile->densities), look, colours,
                                          std::move(tile->colours), &exposure);
            tbb::task_arena arena(studio::ThreadCount(threads));
            picture = *arena.execute([&] { return studio::Quantise8(band); });
            if (!cluster.Leads()) return;
            picture.height = height;  // rank 0's band is the top of the picture
            picture.pixels.resize(static_cast<std::size_t>(width) * height);
        }));
        if (!outcome.failures.empty()) return outcome;
        GatherBands(cluster, std::as_writable_bytes(std::span(picture.pixels)), width * sizeof(studio::Rgb8),
                    pictureBands);
        if (cluster.Leads()) outcome.writeError = Write([&] { return job.WritePicture(picture, files, {}, progress); });
    } else {
        // Rank 0 colours the 16-bit and linear pictures from the densities
        // (and mean sample colours) as it writes them.
        std::vector<float> densities = std::move(tile->densities);
        std::vector<std::uint32_t> sampleColours = std::move(tile->colours);
        const bool coloured = sums != nullptr;
        outcome.failures = cluster.Agree(Attempt([&] {
            if (!cluster.Leads()) return;
            densities.resize(static_cast<std::size_t>(width) * height);
            if (coloured) sampleColours.resize(densities.size());
        }));
        if (!outcome.failures.empty()) return outcome;
        GatherBands(cluster, std::as_writable_bytes(std::span(densities)), width * sizeof(float), pictureBands);
        if (coloured)
            GatherBands(cluster, std::as_writable_bytes(std::span(sampleColours)), width * sizeof(std::uint32_t),
                        pictureBands);
        if (cluster.Leads())
            outcome.writeError = Write([&] {
                const studio::FloatImage image(width, height, std::move(densities), look, colours,
                                               std::move(sampleColours), &exposure);
                return job.WritePicture(image, files, {}, progress);
            });
    }
    outcome.writeError = cluster.Broadcast(outcome.writeError);
    return outcome;
}

}  // namespace tilvex::cluster
