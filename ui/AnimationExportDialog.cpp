#include "ui/AnimationExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <algorithm>

#include "motion/ClipOutput.h"
#include "motion/KeyQuilt.h"
#include "studio/ColorMap.h"

namespace tilvex::ui {

namespace {

QString Describe(const QuiltSnapshot& quilt)
{
    return QString::fromStdString(quilt.quiltName + " (" + FormName(motion::FormOf(quilt)) + ")");
}

}  // namespace

void AnimationRequest::Load(QSettings& settings)
{
    settings.beginGroup(QStringLiteral("Animation"));
    seconds = std::clamp(settings.value(QStringLiteral("Seconds"), seconds).toDouble(), 0.1, motion::kMaxSeconds);
    fps = std::clamp(settings.value(QStringLiteral("Fps"), fps).toInt(), motion::kMinFps, motion::kMaxFps);
    renderSpec.width =
        std::clamp(settings.value(QStringLiteral("Size"), renderSpec.width).toInt(), studio::kMinWidth, studio::kMaxWidth);
    renderSpec.samplesPerPixel = std::clamp(
        settings.value(QStringLiteral("SamplesPerPixel"), renderSpec.samplesPerPixel).toDouble(), 0.1, 1000.0);
    loop = settings.value(QStringLiteral("Loop"), loop).toBool();
    settings.endGroup();
}

void AnimationRequest::Save(QSettings& settings) const
{
    settings.beginGroup(QStringLiteral("Animation"));
    settings.setValue(QStringLiteral("Seconds"), seconds);
    settings.setValue(QStringLiteral("Fps"), fps);
    settings.setValue(QStringLiteral("Size"), renderSpec.width);
    settings.setValue(QStringLiteral("SamplesPerPixel"), renderSpec.samplesPerPixel);
    settings.setValue(QStringLiteral("Loop"), loop);
    settings.endGroup();
}

motion::ClipSettings AnimationRequest::Settings() const
{
    motion::ClipSettings s;
    s.seconds = seconds;
    s.fps = fps;
    s.loop = loop;
    s.renderSpec = renderSpec;
    return s;
}

std::vector<motion::Keyframe> AnimationRequest::Keys() const
{
    return {{start.quilt, look, start.label.toStdString()}, {end.quilt, look, end.label.toStdString()}};
}

AnimationKey CurrentQuiltKey(std::shared_ptr<const QuiltSnapshot> quilt)
{
    AnimationKey key{std::move(quilt), {}};
    key.label = QStringLiteral("the current quilt ") + Describe(*key.quilt);
    return key;
}

AnimationExportDialog::AnimationExportDialog(const AnimationRequest& initial, CurrentQuilt currentQuilt,
                                             QWidget* parent)
    : QDialog(parent), initial_(initial), currentQuilt_(std::move(currentQuilt)), keys_{initial.start, initial.end}
{
    setWindowTitle(QStringLiteral("Export Animation"));
    auto* layout = new QVBoxLayout(this);
    const QString keyTitles[2] = {QStringLiteral("Start key"), QStringLiteral("End key")};
    for (int k = 0; k < 2; ++k) {
        auto* box = new QGroupBox(keyTitles[k], this);
        auto* row = new QHBoxLayout(box);
        keyLabels_[k] = new QLabel(box);
        keyLabels_[k]->setMinimumWidth(260);
        // Mnemonics of their own for each key's buttons.
        auto* current = new QPushButton(k == 0 ? QStringLiteral("Use &Current Quilt") : QStringLiteral("Use Current &Quilt"), box);
        auto* session = new QPushButton(k == 0 ? QStringLiteral("&Session...") : QStringLiteral("S&ession..."), box);
        current->setObjectName(QStringLiteral("useCurrent%1").arg(k));
        connect(current, &QPushButton::clicked, this, [this, k] { UseCurrentQuilt(k); });
        connect(session, &QPushButton::clicked, this, [this, k] {
            const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Key Session"), QString(),
                                                              QStringLiteral("Session (*.qlt)"));
            if (!path.isEmpty()) UseSession(k, path);
        });
        row->addWidget(keyLabels_[k], 1);
        row->addWidget(current);
        row->addWidget(session);
        layout->addWidget(box);
        ShowKey(k);
    }

    auto* form = new QFormLayout;
    seconds_ = new QDoubleSpinBox(this);
    seconds_->setRange(0.1, motion::kMaxSeconds);
    seconds_->setDecimals(1);
    seconds_->setSuffix(QStringLiteral(" s"));
    seconds_->setValue(initial.seconds);
    form->addRow(QStringLiteral("&Duration:"), seconds_);
    fps_ = new QSpinBox(this);
    fps_->setRange(motion::kMinFps, motion::kMaxFps);
    fps_->setValue(initial.fps);
    form->addRow(QStringLiteral("&Frames per second:"), fps_);
    size_ = new QSpinBox(this);
    size_->setRange(studio::kMinWidth, studio::kMaxWidth);
    size_->setSuffix(QStringLiteral(" px"));
    size_->setValue(initial.renderSpec.width);
    form->addRow(QStringLiteral("Tile &width:"), size_);
    spp_ = new QDoubleSpinBox(this);
    spp_->setRange(0.1, 1000.0);
    spp_->setDecimals(1);
    spp_->setValue(initial.renderSpec.samplesPerPixel);
    form->addRow(QStringLiteral("Sa&mples per pixel:"), spp_);
    colormap_ = new QComboBox(this);
    for (const std::string& name : studio::ColorMap::Names()) colormap_->addItem(QString::fromStdString(name));
    colormap_->setCurrentText(QString::fromStdString(initial.look.colormap));
    form->addRow(QStringLiteral("C&olour map:"), colormap_);
    gamma_ = new QDoubleSpinBox(this);
    gamma_->setRange(studio::kMinGamma, studio::kMaxGamma);
    gamma_->setSingleStep(0.1);
    gamma_->setValue(initial.look.tone.gamma);
    form->addRow(QStringLiteral("&Gamma:"), gamma_);
    loop_ = new QCheckBox(QStringLiteral("Back to the start key, as a seamless &loop"), this);
    loop_->setChecked(initial.loop);
    form->addRow(QString(), loop_);
    path_ = new QLineEdit(initial.path, this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &AnimationExportDialog::Browse);
    auto* file = new QHBoxLayout;
    file->addWidget(path_, 1);
    file->addWidget(browse);
    form->addRow(QStringLiteral("F&ile:"), file);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AnimationExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AnimationExportDialog::reject);
    layout->addWidget(buttons);
}

void AnimationExportDialog::ShowKey(int key)
{
    keyLabels_[key]->setText(keys_[key].quilt ? keys_[key].label : QStringLiteral("(none)"));
}

void AnimationExportDialog::UseCurrentQuilt(int key)
{
    keys_[key] = CurrentQuiltKey(currentQuilt_());
    ShowKey(key);
}

bool AnimationExportDialog::UseSession(int key, const QString& path)
{
    std::string error;
    std::shared_ptr<const QuiltSnapshot> quilt = motion::LoadKeyQuilt(path.toStdString(), error);
    if (!quilt) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
        return false;
    }
    keys_[key] = {quilt, QFileInfo(path).fileName() + QStringLiteral(" ") + Describe(*quilt)};
    ShowKey(key);
    return true;
}

AnimationRequest AnimationExportDialog::Request() const
{
    AnimationRequest r = initial_;
    r.start = keys_[0];
    r.end = keys_[1];
    r.seconds = seconds_->value();
    r.fps = fps_->value();
    r.renderSpec.width = size_->value();
    r.renderSpec.samplesPerPixel = spp_->value();
    const std::string colormap = colormap_->currentText().toStdString();
    if (colormap != r.look.colormap) r.look.gradient.clear();
    r.look.colormap = colormap;
    r.look.tone.gamma = gamma_->value();
    r.look.tone.equalize = false;  // clips keep one scale
    r.loop = loop_->isChecked();
    r.path = path_->text().trimmed();
    return r;
}

void AnimationExportDialog::accept()
{
    const AnimationRequest r = Request();
    const auto kind = motion::OutputKindOf(r.path.toStdString());
    if (!kind || *kind == motion::OutputKind::Frames) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Please choose an MP4 or WebM file to write."));
        path_->setFocus();
        return;
    }
    // Keys that cannot make a clip are refused here, before any work.
    try {
        motion::Clip(r.Keys(), r.Settings());
    } catch (const std::invalid_argument& e) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.what()));
        return;
    }
    QDialog::accept();
    emit chosen(r);
}

void AnimationExportDialog::Browse()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Animation"), path_->text(),
                                                QStringLiteral("MP4 video (*.mp4);;WebM video (*.webm)"));
    if (path.isEmpty()) return;
    if (!motion::OutputKindOf(path.toStdString())) path += QStringLiteral(".mp4");
    path_->setText(path);
}

}  // namespace tilvex::ui
