#include "ui/StudioExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/OutputPath.h"
#include "core/RegularFile.h"
#include "engine/RenderJob.h"
#include "engine/SessionFile.h"
#include "studio/ColorMap.h"
#include "ui/StudioPictures.h"

namespace tilvex::ui {

void StudioExportRequest::Load(QSettings& settings)
{
    settings.beginGroup(QStringLiteral("Studio"));
    renderSpec.width = std::clamp(settings.value(QStringLiteral("Size"), renderSpec.width).toInt(), studio::kMinWidth, studio::kMaxWidth);
    renderSpec.samplesPerPixel = std::clamp(settings.value(QStringLiteral("SamplesPerPixel"), renderSpec.samplesPerPixel).toDouble(),
                                      0.1, studio::kMaxSamplesPerPixel);
    period = std::clamp(settings.value(QStringLiteral("Period"), period).toInt(), 1, studio::kMaxPeriod);
    settings.endGroup();
}

QString StudioExportRequest::ExrPath() const
{
    QString exrPath = path;
    if (exrPath.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) exrPath.chop(4);
    return exrPath + QStringLiteral(".exr");
}

void StudioExportRequest::Save(QSettings& settings) const
{
    settings.beginGroup(QStringLiteral("Studio"));
    settings.setValue(QStringLiteral("Size"), renderSpec.width);
    settings.setValue(QStringLiteral("SamplesPerPixel"), renderSpec.samplesPerPixel);
    settings.setValue(QStringLiteral("Period"), period);
    settings.endGroup();
}

namespace {

QDoubleSpinBox* Number(QWidget* parent, double lo, double hi, double step, int decimals)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(lo, hi);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    return box;
}

const char* const kColorByLabels[] = {"Density", "Step direction", "Step length", "Blended along the orbit"};

}  // namespace

StudioExportDialog::StudioExportDialog(const StudioExportRequest& initial,
                                       std::function<QString(const StudioExportRequest&)> checkSize, QWidget* parent,
                                       std::shared_ptr<const QuiltSnapshot> quilt)
    : QDialog(parent), initial_(initial), checkSize_(std::move(checkSize)), quilt_(std::move(quilt))
{
    setWindowTitle(QStringLiteral("Export Studio Image"));
    auto* form = new QFormLayout;

    size_ = new QSpinBox(this);
    size_->setRange(studio::kMinWidth, studio::kMaxWidth);
    size_->setSuffix(QStringLiteral(" px"));
    size_->setValue(initial.renderSpec.width);
    form->addRow(QStringLiteral("Tile &width:"), size_);

    spp_ = new QDoubleSpinBox(this);
    spp_->setRange(0.1, studio::kMaxSamplesPerPixel);
    spp_->setDecimals(1);
    spp_->setValue(initial.renderSpec.samplesPerPixel);
    form->addRow(QStringLiteral("&Samples per pixel:"), spp_);

    colormap_ = new QComboBox(this);
    for (const std::string& name : studio::ColorMap::Names()) colormap_->addItem(QString::fromStdString(name));
    form->addRow(QStringLiteral("&Colour map:"), colormap_);
    colorBy_ = new QComboBox(this);
    for (const char* label : kColorByLabels) colorBy_->addItem(QString::fromUtf8(label));
    form->addRow(QStringLiteral("Colour &by:"), colorBy_);

    gamma_ = Number(this, studio::kMinGamma, studio::kMaxGamma, 0.1, 2);
    form->addRow(QStringLiteral("&Gamma:"), gamma_);
    autoExposure_ = new QCheckBox(QStringLiteral("&Automatic"), this);
    exposure_ = Number(this, -studio::kMaxExposure, studio::kMaxExposure, 0.5, 1);
    exposure_->setSuffix(QStringLiteral(" stops"));
    auto* exposure = new QHBoxLayout;
    exposure->addWidget(autoExposure_);
    exposure->addWidget(exposure_, 1);
    // A row of several widgets has no buddy of its own: its label's shortcut needs one.
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label(QStringLiteral("E&xposure:"), exposure_), exposure);
    equalize_ = new QCheckBox(QStringLiteral("E&qualise brightness"), this);
    form->addRow(QString(), equalize_);
    vibrancy_ = Number(this, 0.0, 1.0, 0.1, 2);
    form->addRow(QStringLiteral("&Vibrancy:"), vibrancy_);
    highlight_ = Number(this, 0.0, 1.0, 0.1, 2);
    form->addRow(QStringLiteral("&Highlight:"), highlight_);

    denoise_ = new QCheckBox(QStringLiteral("&Denoise:"), this);
    denoiseFilter_ = new QComboBox(this);
    denoiseFilter_->addItems({QStringLiteral("similar patches"), QStringLiteral("kernel, radius")});
    denoiseRadius_ = Number(this, 0.0, studio::kMaxDenoiseRadius, 1.0, 1);
    denoiseCurve_ = Number(this, 0.0, studio::kMaxDenoiseCurve, 0.1, 2);
    denoiseMinRadius_ = Number(this, 0.0, studio::kMaxDenoiseRadius, 0.5, 1);
    auto* denoise = new QHBoxLayout;
    denoise->addWidget(denoiseFilter_);
    denoise->addWidget(denoiseRadius_);
    denoise->addWidget(new QLabel(QStringLiteral("curve"), this));
    denoise->addWidget(denoiseCurve_);
    denoise->addWidget(new QLabel(QStringLiteral("least"), this));
    denoise->addWidget(denoiseMinRadius_);
    form->addRow(denoise_, denoise);

    oversample_ = new QSpinBox(this);
    oversample_->setRange(1, studio::kMaxOversample);
    oversample_->setSuffix(QStringLiteral(" x"));
    form->addRow(QStringLiteral("&Oversample:"), oversample_);
    bitDepth_ = new QComboBox(this);
    bitDepth_->addItems({QStringLiteral("8 bits a channel"), QStringLiteral("16 bits a channel")});
    exr_ = new QCheckBox(QStringLiteral("and an OpenEXR file"), this);
    exr_->setChecked(initial.exr);
    auto* depth = new QHBoxLayout;
    depth->addWidget(bitDepth_);
    depth->addWidget(exr_);
    form->addRow(label(QStringLiteral("PNG &depth:"), bitDepth_), depth);

    period_ = new QSpinBox(this);
    period_->setRange(1, studio::kMaxPeriod);
    period_->setValue(initial.period);
    form->addRow(QStringLiteral("&Period:"), period_);

    path_ = new QLineEdit(initial.path, this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &StudioExportDialog::Browse);
    auto* file = new QHBoxLayout;
    file->addWidget(path_, 1);
    file->addWidget(browse);
    form->addRow(label(QStringLiteral("&File:"), path_), file);

    preview_ = new QLabel(this);
    preview_->setMinimumSize(kPreviewWidth, kPreviewWidth);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setVisible(quilt_ != nullptr);
    auto* saveLook = new QPushButton(QStringLiteral("Save &Look..."), this);
    auto* loadLook = new QPushButton(QStringLiteral("Load L&ook..."), this);
    connect(saveLook, &QPushButton::clicked, this, &StudioExportDialog::SaveLookFile);
    connect(loadLook, &QPushButton::clicked, this, &StudioExportDialog::LoadLookFile);
    auto* side = new QVBoxLayout;
    side->addWidget(preview_);
    side->addWidget(saveLook);
    side->addWidget(loadLook);
    side->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &StudioExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StudioExportDialog::reject);
    auto* columns = new QHBoxLayout;
    columns->addLayout(form, 1);
    columns->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    SetLook(initial.look);
    // Every look control redraws the preview.
    const auto changed = [this] { RefreshPreview(); };
    for (QComboBox* box : {colormap_, colorBy_, bitDepth_, denoiseFilter_})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    connect(denoiseFilter_, &QComboBox::currentIndexChanged, this, [this] { EnableKernel(); });
    connect(denoise_, &QCheckBox::toggled, this, [this] { EnableKernel(); });
    for (QDoubleSpinBox* box : {gamma_, exposure_, vibrancy_, highlight_, denoiseRadius_, denoiseCurve_, denoiseMinRadius_})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    connect(oversample_, &QSpinBox::valueChanged, this, changed);
    for (QCheckBox* box : {equalize_, autoExposure_, denoise_}) connect(box, &QCheckBox::toggled, this, changed);
    connect(autoExposure_, &QCheckBox::toggled, exposure_, [this](bool on) { exposure_->setEnabled(!on); });
    RefreshPreview();
}

StudioExportDialog::~StudioExportDialog() { previewRunner_.Cancel(); }

void StudioExportDialog::EnableKernel()
{
    denoiseFilter_->setEnabled(denoise_->isChecked());
    const bool kernel = denoise_->isChecked() && denoiseFilter_->currentIndex() == 1;
    for (QDoubleSpinBox* box : {denoiseRadius_, denoiseCurve_, denoiseMinRadius_}) box->setEnabled(kernel);
}

studio::Look StudioExportDialog::Look() const
{
    studio::Look look = initial_.look;
    const std::string colormap = colormap_->currentText().toStdString();
    if (colormap != look.colormap) look.gradient.clear();
    look.colormap = colormap;
    look.tone.gamma = gamma_->value();
    look.tone.equalize = equalize_->isChecked();
    if (autoExposure_->isChecked())
        look.tone.exposure.reset();
    else
        look.tone.exposure = exposure_->value();
    look.tone.vibrancy = vibrancy_->value();
    look.tone.highlight = highlight_->value();
    look.denoise.on = denoise_->isChecked();
    look.denoise.filter = denoiseFilter_->currentIndex() == 1 ? studio::DenoiseFilter::Kernel : studio::DenoiseFilter::Patches;
    look.denoise.maxRadius = denoiseRadius_->value();
    look.denoise.curve = denoiseCurve_->value();
    look.denoise.minRadius = std::min(denoiseMinRadius_->value(), look.denoise.maxRadius);
    look.colorBy = static_cast<studio::ColorBy>(colorBy_->currentIndex());
    look.oversample = oversample_->value();
    look.bitDepth = bitDepth_->currentIndex() == 1 ? 16 : 8;
    return look;
}

void StudioExportDialog::SetLook(const studio::Look& look)
{
    settingLook_ = true;
    initial_.look = look;
    colormap_->setCurrentText(QString::fromStdString(look.colormap));
    gamma_->setValue(look.tone.gamma);
    equalize_->setChecked(look.tone.equalize);
    autoExposure_->setChecked(!look.tone.exposure);
    exposure_->setValue(look.tone.exposure.value_or(0.0));
    exposure_->setEnabled(look.tone.exposure.has_value());
    vibrancy_->setValue(look.tone.vibrancy);
    highlight_->setValue(look.tone.highlight);
    denoise_->setChecked(look.denoise.on);
    denoiseFilter_->setCurrentIndex(look.denoise.filter == studio::DenoiseFilter::Kernel ? 1 : 0);
    EnableKernel();
    denoiseRadius_->setValue(look.denoise.maxRadius);
    denoiseCurve_->setValue(look.denoise.curve);
    denoiseMinRadius_->setValue(look.denoise.minRadius);
    colorBy_->setCurrentIndex(static_cast<int>(look.colorBy));
    oversample_->setValue(look.oversample);
    bitDepth_->setCurrentIndex(look.bitDepth == 16 ? 1 : 0);
    settingLook_ = false;
    RefreshPreview();
}

// A small render of the quilt under the look in the controls, on the
// preview's runner: the samples stay for the next look unless it samples differently.
void StudioExportDialog::RefreshPreview()
{
    if (!quilt_ || settingLook_) return;
    if (!previewJob_) {
        studio::RenderSettings renderSpec;
        renderSpec.width = kPreviewWidth;
        renderSpec.samplesPerPixel = 4.0;
        previewJob_ = std::make_shared<RenderJob>(quilt_, renderSpec, Look());
    }
    previewRunner_.Submit([this, job = previewJob_, look = Look()](const BackgroundRunner::Task& task) {
        job->SetLook(look);
        if (!job->SampleTo(job->Budget(), task.Stop())) return;
        std::optional<studio::FloatImage> image = job->Develop(task.Stop());
        if (!image) return;
        std::optional<studio::Rgb8Image> pixels = studio::Quantise8(*image, task.Stop());
        if (!pixels) return;
        const QImage picture = ToQImage(*pixels);
        task.Post([this, picture] {
            preview_->setPixmap(QPixmap::fromImage(picture));
            ++previewsShown_;
        });
    });
}

void StudioExportDialog::SaveLookFile()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Look"), QString(),
                                                      QStringLiteral("Looks (*.json)"));
    if (path.isEmpty()) return;
    const std::string text = nlohmann::json(Look()).dump(2) + "\n";
    if (auto error = WriteFileReplacing(path.toStdString(), std::vector<std::uint8_t>(text.begin(), text.end())))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot save the look: %1.").arg(QString::fromStdString(*error)));
}

void StudioExportDialog::LoadLookFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load Look"), QString(),
                                                      QStringLiteral("Looks (*.json)"));
    if (path.isEmpty()) return;
    std::vector<std::uint8_t> bytes;
    if (auto refusal = ReadRegularFile(path.toStdString(), 1 << 16, bytes)) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Cannot read \"%1\": %2.").arg(path, QString::fromStdString(*refusal)));
        return;
    }
    try {
        SetLook(nlohmann::json::parse(bytes.begin(), bytes.end()).get<studio::Look>());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("\"%1\" is not a look: %2").arg(path, QString::fromStdString(e.what())));
    }
}

StudioExportRequest StudioExportDialog::Request() const
{
    StudioExportRequest r = initial_;
    r.renderSpec.width = size_->value();
    r.renderSpec.samplesPerPixel = spp_->value();
    r.look = Look();
    r.period = period_->value();
    r.path = path_->text().trimmed();
    r.exr = exr_->isChecked();
    return r;
}

QString FreshFileName(const QString& wanted)
{
    if (!QFileInfo::exists(wanted)) return wanted;
    const QFileInfo info(wanted);
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = info.dir().filePath(QStringLiteral("%1-%2%3").arg(info.completeBaseName()).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

void StudioExportDialog::accept()
{
    const QString path = path_->text().trimmed();
    if (path.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Please choose a PNG file to write."));
        path_->setFocus();
        return;
    }
    // Before the render: hours of work must not end on a name that cannot be written.
    if (const std::string problem = CheckOutputFile(path.toStdString(), OutputKind::FileOrDevice); !problem.empty()) {
        QString text = QString::fromStdString(problem) + QStringLiteral(".");
        text[0] = text[0].toUpper();
        QMessageBox::warning(this, windowTitle(), text);
        path_->setFocus();
        return;
    }
    if (QFileInfo::exists(path) && path != confirmed_) {
        // The words of the file chooser's own question.
        const auto answer = QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            path_->setFocus();
            return;
        }
    }
    if (exr_->isChecked() && QFileInfo::exists(Request().ExrPath())) {
        const auto answer = QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(Request().ExrPath()).fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    // Refused here, before any work: the tile's height follows the quilt's kind.
    if (const QString problem = checkSize_ ? checkSize_(Request()) : QString(); !problem.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), problem + QStringLiteral(" Choose a smaller width or period."));
        size_->setFocus();
        return;
    }
    QDialog::accept();
}

void StudioExportDialog::Browse()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Studio Image"), path_->text(),
                                                QStringLiteral("PNG FILES (*.png)"));
    if (path.isEmpty()) return;
    // The chooser asked about replacing the name it returns, not one with ".png" added.
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        confirmed_ = path;
    else
        path += QStringLiteral(".png");
    path_->setText(path);
}

}  // namespace tilvex::ui
