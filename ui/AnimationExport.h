#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "ui/AnimationExportDialog.h"
#include "ui/BackgroundRunner.h"

class QProgressDialog;
class QSettings;
class QWidget;

namespace tilvex::ui {

// File > Export Animation: the dialog beside the main window, then the clip
// rendered and encoded on a runner of its own, with a progress dialog whose
// Cancel stops it and leaves no file. The main window goes on meanwhile.
class AnimationExport : public QObject {
    Q_OBJECT
public:
    using CurrentQuilt = AnimationExportDialog::CurrentQuilt;
    // look: the desktop's studio look, which the dialog starts from.
    AnimationExport(QWidget* window, QSettings& settings, CurrentQuilt currentQuilt,
                    std::function<studio::Look()> look);
    ~AnimationExport() override;

    // Opens the dialog (or brings it forward), both keys the current quilt.
    void Ask();
    // Renders the request in the background.
    void Render(const AnimationRequest& request);
    void Cancel();
    bool Exporting() const { return progress_ != nullptr; }
    AnimationExportDialog* Dialog() const { return dialog_; }
    // The last export's failure, empty after a success or a cancel.
    const QString& LastError() const { return lastError_; }

private:
    void OnProgress(int permille, int frame, int frames);
    void OnFinished(const QString& error, bool cancelled);

    QWidget* window_;
    QSettings& settings_;
    CurrentQuilt currentQuilt_;
    std::function<studio::Look()> look_;
    QPointer<AnimationExportDialog> dialog_;
    QProgressDialog* progress_ = nullptr;
    QString lastError_;
    BackgroundRunner runner_;
};

}  // namespace tilvex::ui
