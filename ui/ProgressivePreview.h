#pragma once

#include <QImage>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "ui/BackgroundRunner.h"

namespace tilvex::ui {

// A studio picture of a quilt that answers at once and sharpens, pass by
// pass as PreviewPasses plans them: after every pass the picture so far is developed and shown. A newer
// Show stops the render in flight, and nothing of the older one is shown
// after the newer one was asked for.
class ProgressivePreview : public QObject {
    Q_OBJECT
public:
    explicit ProgressivePreview(QObject* parent = nullptr);

    // Renders the quilt as a tile `width` pixels wide (the device pixels).
    void Show(std::shared_ptr<const QuiltSnapshot> quilt, int width, const studio::Look& look, qreal dpr = 1.0);
    // Readies what a first pass of the quilt's kind at this width would wait
    // for, while the user has not yet asked for one.
    void Prepare(std::shared_ptr<const QuiltSnapshot> quilt, int width);
    void Cancel() { runner_.Cancel(); }
    bool Busy() const { return runner_.Busy(); }
    // The number of the latest Show (the first is 1).
    std::uint64_t Request() const { return request_; }

    // On the GUI thread: the picture after a pass, the request it belongs to
    // and its samples per pixel so far.
    std::function<void(const QImage& tile, std::uint64_t request, double samplesPerPixel)> shown;

private:
    BackgroundRunner runner_, preparer_;
    std::uint64_t request_ = 0;
    // What was last readied: the kind and form, the tile and the width.
    std::array<int, 5> prepared_{};
};

}  // namespace tilvex::ui
