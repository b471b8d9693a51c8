#include "ui/StudioExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <algorithm>

#include "studio/ColorMap.h"

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

void StudioExportRequest::Save(QSettings& settings) const
{
    settings.beginGroup(QStringLiteral("Studio"));
    settings.setValue(QStringLiteral("Size"), renderSpec.width);
    settings.setValue(QStringLiteral("SamplesPerPixel"), renderSpec.samplesPerPixel);
    settings.setValue(QStringLiteral("Period"), period);
    settings.endGroup();
}

StudioExportDialog::StudioExportDialog(const StudioExportRequest& initial,
                                       std::function<QString(const StudioExportRequest&)> checkSize, QWidget* parent)
    : QDialog(parent), initial_(initial), checkSize_(std::move(checkSize))
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
    colormap_->setCurrentText(QString::fromStdString(initial.look.colormap));
    form->addRow(QStringLiteral("&Colour map:"), colormap_);

    gamma_ = new QDoubleSpinBox(this);
    gamma_->setRange(studio::kMinGamma, studio::kMaxGamma);
    gamma_->setSingleStep(0.1);
    gamma_->setValue(initial.look.tone.gamma);
    form->addRow(QStringLiteral("&Gamma:"), gamma_);

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
    form->addRow(QStringLiteral("&File:"), file);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &StudioExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StudioExportDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

StudioExportRequest StudioExportDialog::Request() const
{
    StudioExportRequest r = initial_;
    r.renderSpec.width = size_->value();
    r.renderSpec.samplesPerPixel = spp_->value();
    const std::string colormap = colormap_->currentText().toStdString();
    if (colormap != r.look.colormap) r.look.gradient.clear();
    r.look.colormap = colormap;
    r.look.tone.gamma = gamma_->value();
    r.period = period_->value();
    r.path = path_->text().trimmed();
    return r;
}

void StudioExportDialog::accept()
{
    if (path_->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Please choose a PNG file to write."));
        path_->setFocus();
        return;
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
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    path_->setText(path);
}

}  // namespace tilvex::ui
