#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/RenderSettings.h"
#include "ui/BackgroundRunner.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSettings;
class QSpinBox;

namespace tilvex {
class RenderJob;
}

namespace tilvex::ui {

// What "Export Studio Image" renders and where it goes.
struct StudioExportRequest {
    studio::RenderSettings renderSpec{.width = 2048};
    studio::Look look;
    int period = 1;
    QString path;
    bool exr = false;  // an OpenEXR file beside the PNG as well

    // The last size, samples and period are offered again ("Studio" group of the settings).
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    // The OpenEXR file's path: the PNG's with .exr.
    QString ExrPath() const;
};

// `wanted`, or when a file has that name the first free "<stem>-2.png",
// "<stem>-3.png"...: a name offered never points at a file already there.
QString FreshFileName(const QString& wanted);

// The export's settings and the whole look, with a small preview of the
// quilt under the look that follows each change: a low-sample render on a
// runner of its own, a newer change stopping an older render. Asks before an
// existing file is replaced, as File > Save Image does, and refuses a file
// that cannot be written before any work starts.
class StudioExportDialog : public QDialog {
    Q_OBJECT
public:
    // checkSize: empty when a request's picture can be written, else why not.
    // quilt: what the preview shows (none: no preview).
    StudioExportDialog(const StudioExportRequest& initial, std::function<QString(const StudioExportRequest&)> checkSize,
                       QWidget* parent = nullptr, std::shared_ptr<const QuiltSnapshot> quilt = nullptr);
    ~StudioExportDialog() override;

    StudioExportRequest Request() const;
    void accept() override;
    // The look the controls show; and the controls set to a look.
    studio::Look Look() const;
    void SetLook(const studio::Look& look);
    // Previews asked for and shown so far.
    int PreviewsShown() const { return previewsShown_; }
    BackgroundRunner& PreviewRunner() { return previewRunner_; }

    static constexpr int kPreviewWidth = 160;

private:
    void Browse();
    void SaveLookFile();
    void LoadLookFile();
    void RefreshPreview();
    // The kernel's three numbers are for the kernel filter only.
    void EnableKernel();

    StudioExportRequest initial_;
    std::function<QString(const StudioExportRequest&)> checkSize_;
    std::shared_ptr<const QuiltSnapshot> quilt_;
    std::shared_ptr<RenderJob> previewJob_;  // used only by the preview runner's work, one at a time
    QString confirmed_;  // a file the file chooser already asked about replacing
    QSpinBox* size_;
    QDoubleSpinBox* spp_;
    QComboBox* colormap_;
    QDoubleSpinBox* gamma_;
    QCheckBox* equalize_;
    QCheckBox* autoExposure_;
    QDoubleSpinBox* exposure_;
    QDoubleSpinBox* vibrancy_;
    QDoubleSpinBox* highlight_;
    QCheckBox* denoise_;
    QComboBox* denoiseFilter_;
    QDoubleSpinBox* denoiseRadius_;
    QDoubleSpinBox* denoiseCurve_;
    QDoubleSpinBox* denoiseMinRadius_;
    QComboBox* colorBy_;
    QSpinBox* oversample_;
    QComboBox* bitDepth_;
    QCheckBox* exr_;
    QSpinBox* period_;
    QLineEdit* path_;
    QLabel* preview_;
    int previewsShown_ = 0;
    bool settingLook_ = false;
    BackgroundRunner previewRunner_;
};

}  // namespace tilvex::ui
