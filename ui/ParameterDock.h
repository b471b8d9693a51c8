#pragma once

#include <QDockWidget>
#include <functional>
#include <optional>
#include <vector>

#include "maps/ParameterTable.h"
#include "maps/QuiltMaps.h"

class QDoubleSpinBox;
class QLabel;
class QSlider;
class QVBoxLayout;

namespace tilvex::ui {

// Every coefficient of the current quilt's form as a slider and a spin box,
// grouped as the dialogs group them, the kind and form on top. It edits a
// copy of the maps and hands each change on; a slider drag is one edit from
// its press to its release.
class ParameterDock : public QDockWidget {
    Q_OBJECT
public:
    explicit ParameterDock(QWidget* parent = nullptr);

    // Shows the form's table with the maps' values (no edit is reported).
    void Load(const QuiltForm& form, const QuiltMaps& maps, const QString& quiltName);
    const QuiltForm& Form() const { return form_; }
    // The spin box and slider of a parameter, for tests and screenshots.
    QDoubleSpinBox* Spin(std::size_t index) const { return rows_.at(index).spin; }
    QSlider* Slider(std::size_t index) const { return rows_.at(index).slider; }

    std::function<void()> editStarted;
    std::function<void(const QuiltMaps& edited)> edited;
    std::function<void()> editFinished;

private:
    struct Row {
        QSlider* slider = nullptr;
        QDoubleSpinBox* spin = nullptr;
        double low = 0.0, high = 1.0;  // the slider's ends
    };
    void Build();
    void SetRow(std::size_t index, double value);
    void Change(std::size_t index, double value);
    int SliderPosition(const Row& row, double value) const;

    QuiltForm form_;
    std::optional<QuiltForm> built_;
    QuiltMaps maps_;
    QLabel* header_ = nullptr;
    QVBoxLayout* groups_ = nullptr;
    QWidget* body_ = nullptr;
    std::vector<Row> rows_;
    bool dragging_ = false;
    bool loading_ = false;
};

}  // namespace tilvex::ui
