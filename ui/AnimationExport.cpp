#include "ui/AnimationExport.h"

#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QWidget>

#include "motion/ClipWriter.h"

namespace tilvex::ui {

AnimationExport::AnimationExport(QWidget* window, QSettings& settings, CurrentQuilt currentQuilt,
                                 std::function<studio::Look()> look)
    : QObject(window), window_(window), settings_(settings), currentQuilt_(std::move(currentQuilt)), look_(std::move(look))
{
}

AnimationExport::~AnimationExport() { runner_.Cancel(); }

void AnimationExport::Ask()
{
    if (dialog_) {
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    AnimationRequest request;
    request.Load(settings_);
    request.look = look_();
    request.start = request.end = CurrentQuiltKey(currentQuilt_());
    request.path = QDir::current().filePath(QString::fromStdString(request.start.quilt->quiltName) + QStringLiteral(".mp4"));
    dialog_ = new AnimationExportDialog(request, currentQuilt_, window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &AnimationExportDialog::chosen, this, &AnimationExport::Render);
    dialog_->show();
}

void AnimationExport::Render(const AnimationRequest& request)
{
    if (Exporting()) {
        QMessageBox::information(window_, QStringLiteral("Export Animation"),
                                 QStringLiteral("An animation is being rendered already."));
        return;
    }
    request.Save(settings_);
    lastError_.clear();
    progress_ = new QProgressDialog(QStringLiteral("Measuring the exposure..."), QStringLiteral("Cancel"), 0, 1000, window_);
    progress_->setWindowTitle(QStringLiteral("Export Animation"));
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, &AnimationExport::Cancel);
    progress_->show();

    runner_.Submit([this, request](const BackgroundRunner::Task& task) {
        std::string error;
        try {
            const motion::Clip clip(request.Keys(), request.Settings());
            int shown = -1;
            const motion::ClipReport report = motion::WriteClip(
                clip, request.path.toStdString(), 0, task.Stop(), [&](double done, int frame) {
                    const int permille = static_cast<int>(1000.0 * done);
                    if (permille == shown) return;
                    shown = permille;
                    task.Post([this, permille, frame, frames = clip.Frames()] { OnProgress(permille, frame, frames); });
                });
            error = report.error;
        } catch (const std::invalid_argument& e) {
            error = e.what();
        }
        const bool stopped = task.Stopped();
        task.Post([this, error = QString::fromStdString(error), stopped] { OnFinished(error, stopped); });
    });
}

void AnimationExport::Cancel()
{
    runner_.Cancel();
    OnFinished({}, true);
}

void AnimationExport::OnProgress(int permille, int frame, int frames)
{
    if (!progress_) return;
    progress_->setValue(permille);
    if (frame >= 0) progress_->setLabelText(QStringLiteral("Rendering frame %1 of %2...").arg(frame + 1).arg(frames));
}

void AnimationExport::OnFinished(const QString& error, bool cancelled)
{
    if (progress_) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
    lastError_ = cancelled ? QString() : error;
    if (!lastError_.isEmpty()) QMessageBox::warning(window_, QStringLiteral("Export Animation"), lastError_);
}

}  // namespace tilvex::ui
