#include "ui/ProgressivePreview.h"

#include "engine/PreviewPasses.h"
#include "studio/Develop.h"
#include "ui/StudioPictures.h"

namespace tilvex::ui {

ProgressivePreview::ProgressivePreview(QObject* parent) : QObject(parent), runner_(this), preparer_(this) {}

void ProgressivePreview::Prepare(std::shared_ptr<const QuiltSnapshot> quilt, int width)
{
    const std::array<int, 5> key{static_cast<int>(quilt->kind), quilt->detail.hexKnot, quilt->tile.width,
                                 quilt->tile.height, width};
    if (key == prepared_) return;  // made or on its way: a second request would only start it again
    prepared_ = key;
    preparer_.Submit([quilt = std::move(quilt), width](const BackgroundRunner::Task& task) {
        RenderJob(quilt, PreviewRenderSettings(width), {}).PrepareDevelop(task.Stop());
    });
}

void ProgressivePreview::Show(std::shared_ptr<const QuiltSnapshot> quilt, int width, const studio::Look& look, qreal dpr)
{
    const std::uint64_t request = ++request_;
    runner_.Submit([this, quilt = std::move(quilt), width, look, dpr, request](const BackgroundRunner::Task& task) {
        RenderJob job(quilt, PreviewRenderSettings(width), look);
        const double pixels = static_cast<double>(job.Width()) * job.Height();
        const std::vector<std::uint64_t> passes = PreviewPasses(job);
        for (std::uint64_t total : passes) {
            if (!job.SampleTo(total, task.Stop())) return;
            std::optional<studio::FloatImage> tile =
                job.Develop(task.Stop(), {}, PreviewWidth(job, total), PreviewFlatFieldUse(total, passes));
            if (!tile) return;
            std::optional<studio::Rgb8Image> pixels8 = studio::Quantise8(*tile, task.Stop());
            if (!pixels8) return;
            QImage image = ToQImage(*pixels8);
            // A coarse pass covers the same place on the screen as a full one.
            image.setDevicePixelRatio(dpr * pixels8->width / job.Width());
            const double spp = static_cast<double>(total) / pixels;
            task.Post([this, image, request, spp] {
                if (shown) shown(image, request, spp);
            });
        }
    });
}

}  // namespace tilvex::ui
