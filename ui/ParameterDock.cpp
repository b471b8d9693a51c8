#include "ui/ParameterDock.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tilvex::ui {

namespace {

constexpr int kSliderSteps = 1000;

// A quilt made random maps, so its map objects need a source to be built.
QuiltMaps MakeMaps()
{
    RandomSource random;
    return QuiltMaps{SqrMap{}, HexMap{}, MapSixFourTwelve{}, MapFourEight{}, MapThreeTwelve{}, WildCornerMap{random}};
}

}  // namespace

ParameterDock::ParameterDock(QWidget* parent) : QDockWidget(QStringLiteral("Parameters"), parent), maps_(MakeMaps())
{
    setObjectName(QStringLiteral("parameterDock"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    body_ = new QWidget(scroll);
    auto* layout = new QVBoxLayout(body_);
    header_ = new QLabel(body_);
    header_->setWordWrap(true);
    layout->addWidget(header_);
    groups_ = new QVBoxLayout;
    layout->addLayout(groups_);
    layout->addStretch(1);
    scroll->setWidget(body_);
    setWidget(scroll);
    setMinimumWidth(340);
}

void ParameterDock::Build()
{
    while (QLayoutItem* item = groups_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    rows_.clear();
    const ParameterTable& table = ParametersFor(form_);
    QGroupBox* box = nullptr;
    QGridLayout* grid = nullptr;
    std::string group;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        const ParameterInfo& p = table.Parameters()[i];
        if (!box || p.group != group) {
            group = p.group;
            box = new QGroupBox(QString::fromStdString(group), body_);
            grid = new QGridLayout(box);
            groups_->addWidget(box);
        }
        const int r = grid->rowCount();
        auto* name = new QLabel(QString::fromStdString(p.name), box);
        name->setToolTip(QString::fromStdString(p.meaning));
        Row row;
        row.slider = new QSlider(Qt::Horizontal, box);
        row.slider->setRange(0, kSliderSteps);
        row.slider->setToolTip(QString::fromStdString(p.meaning));
        row.spin = new QDoubleSpinBox(box);
        row.spin->setDecimals(p.integer ? 0 : 10);
        row.spin->setSingleStep(p.integer ? 1.0 : (p.max - p.min) / 200.0);
        row.spin->setKeyboardTracking(false);
        row.spin->setMinimumWidth(110);
        grid->addWidget(name, r, 0);
        grid->addWidget(row.slider, r, 1);
        grid->addWidget(row.spin, r, 2);
        grid->setColumnStretch(1, 1);
        rows_.push_back(row);

        connect(row.slider, &QSlider::sliderPressed, this, [this] {
            dragging_ = true;
            if (editStarted) editStarted();
        });
        connect(row.slider, &QSlider::sliderReleased, this, [this] {
            dragging_ = false;
            if (editFinished) editFinished();
        });
        connect(row.slider, &QSlider::valueChanged, this, [this, i](int position) {
            const Row& at = rows_[i];
            double value = at.low + (at.high - at.low) * position / kSliderSteps;
            if (ParametersFor(form_).Parameters()[i].integer) value = std::round(value);
            Change(i, value);
        });
        connect(row.spin, &QDoubleSpinBox::valueChanged, this, [this, i](double value) { Change(i, value); });
    }
    built_ = form_;
}

int ParameterDock::SliderPosition(const Row& row, double value) const
{
    if (row.high <= row.low) return 0;
    return static_cast<int>(std::lround((value - row.low) / (row.high - row.low) * kSliderSteps));
}

void ParameterDock::SetRow(std::size_t index, double value)
{
    Row& row = rows_[index];
    QSignalBlocker a(row.slider), b(row.spin);
    row.spin->setValue(value);
    row.slider->setValue(SliderPosition(row, value));
}

void ParameterDock::Load(const QuiltForm& form, const QuiltMaps& maps, const QString& quiltName)
{
    form_ = form;
    maps_ = maps;
    if (!built_ || !(*built_ == form_)) Build();
    header_->setText(QStringLiteral("<b>%1</b> &nbsp; %2").arg(QString::fromStdString(FormName(form_)), quiltName));
    const ParameterTable& table = ParametersFor(form_);
    for (std::size_t i = 0; i < table.Size(); ++i) {
        const ParameterInfo& p = table.Parameters()[i];
        const double value = table.Get(maps_, i);
        // A loaded session may hold values beyond the table's range: the controls reach them.
        Row& row = rows_[i];
        row.low = std::min(p.min, value);
        row.high = std::max(p.max, value);
        QSignalBlocker blockSpin(row.spin);
        row.spin->setRange(row.low, row.high);
        SetRow(i, value);
    }
}

void ParameterDock::Change(std::size_t index, double value)
{
    const ParameterTable& table = ParametersFor(form_);
    if (table.Get(maps_, index) == value) return;
    table.Set(maps_, index, value);
    SetRow(index, table.Get(maps_, index));
    // A change outside a drag (spin box, keys) is an edit of its own.
    if (!dragging_ && editStarted) editStarted();
    if (edited) edited(maps_);
    if (!dragging_ && editFinished) editFinished();
}

}  // namespace tilvex::ui
