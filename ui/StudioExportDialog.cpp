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

#include "studio/ColorMap.h"

namespace tilvex::ui {

void StudioExportRequest::Load(QSettings& settings)
{
    settings.beginGroup(QStringLiteral("Studio"));
    size = settings.value(QStringLiteral("Size"), size).toInt();
    spp = settings.value(QStringLiteral("SamplesPerPixel"), spp).toDouble();
    colormap = settings.value(QStringLiteral("ColorMap"), colormap).toString();
    gamma = settings.value(QStringLiteral("Gamma"), gamma).toDouble();
    period = settings.value(QStringLiteral("Period"), period).toInt();
    settings.endGroup();
}

void StudioExportRequest::Save(QSettings& settings) const
{
    settings.beginGroup(QStringLiteral("Studio"));
    settings.setValue(QStringLiteral("Size"), size);
    settings.setValue(QStringLiteral("SamplesPerPixel"), spp);
    settings.setValue(QStringLiteral("ColorMap"), colormap);
    settings.setValue(QStringLiteral("Gamma"), gamma);
    settings.setValue(QStringLiteral("Period"), period);
    settings.endGroup();
}

StudioExportDialog::StudioExportDialog(const StudioExportRequest& initial, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Export Studio Image"));
    auto* form = new QFormLayout;

    size_ = new QSpinBox(this);
    size_->setRange(16, 16384);
    size_->setSuffix(QStringLiteral(" px"));
    size_->setValue(initial.size);
    form->addRow(QStringLiteral("Tile &width:"), size_);

    spp_ = new QDoubleSpinBox(this);
    spp_->setRange(0.1, 100000.0);
    spp_->setDecimals(1);
    spp_->setValue(initial.spp);
    form->addRow(QStringLiteral("&Samples per pixel:"), spp_);

    colormap_ = new QComboBox(this);
    for (const std::string& name : studio::ColorMap::Names()) colormap_->addItem(QString::fromStdString(name));
    colormap_->setCurrentText(initial.colormap);
    form->addRow(QStringLiteral("&Colour map:"), colormap_);

    gamma_ = new QDoubleSpinBox(this);
    gamma_->setRange(0.1, 10.0);
    gamma_->setSingleStep(0.1);
    gamma_->setValue(initial.gamma);
    form->addRow(QStringLiteral("&Gamma:"), gamma_);

    period_ = new QSpinBox(this);
    period_->setRange(1, 32);
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
    StudioExportRequest r;
    r.size = size_->value();
    r.spp = spp_->value();
    r.colormap = colormap_->currentText();
    r.gamma = gamma_->value();
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
    const StudioExportRequest r = Request();
    if (static_cast<long long>(r.size) * r.period > 65535) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The image would be wider than 65535 pixels. Choose a smaller width or period."));
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
