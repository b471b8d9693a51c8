#include "ui/StudioExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <algorithm>

#include "core/OutputPath.h"
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
