#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "explore/Variations.h"
#include "ui/BackgroundRunner.h"
#include "ui/ProgressivePreview.h"

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace tilvex::ui {

// "Variations": the current quilt in the middle and eight variations around
// it, made on the worker threads in the background; each cell's picture is
// rendered progressively, coarse at once and sharpening, as soon as its
// variation has grown. Clicking one hands its session to `take` (the frame makes it the
// current quilt, with undo) and puts it in the middle; More draws eight new
// ones around the current quilt with the Spread slider's share. Closing the
// window stops the work; the window deletes itself then.
class VariationsWindow : public QWidget {
    Q_OBJECT
public:
    using Session = std::vector<std::uint8_t>;
    static constexpr int kCells = 9;
    static constexpr int kCentre = 4;
    static constexpr int kThumbSize = 150;

    VariationsWindow(std::function<Session()> current, std::function<void(const Session&)> take,
                     QWidget* parent = nullptr);
    ~VariationsWindow() override;

    // Draws new variations around the current quilt.
    void More();
    void SetSeed(double seed) { seed_ = seed; }
    double Spread() const;
    bool IsWorking() const { return working_; }
    QToolButton* Cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    QSlider* SpreadSlider() const { return spread_; }
    QPushButton* MoreButton() const { return more_; }

signals:
    void cellShown(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowCell(int index, std::shared_ptr<const QuiltSnapshot> quilt, const QString& tip, Session session);
    void Take(int index);
    void UpdateStatus();

    std::function<Session()> current_;
    std::function<void(const Session&)> take_;
    std::array<QToolButton*, kCells> cells_{};
    std::array<Session, kCells> sessions_;
    std::array<std::unique_ptr<ProgressivePreview>, kCells> pictures_;
    QSlider* spread_ = nullptr;
    QLabel* spreadText_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* more_ = nullptr;
    double seed_ = 0.0;
    int generation_ = 0;
    int shown_ = 0;
    bool working_ = false;
    bool started_ = false;
    BackgroundRunner runner_;
};

}  // namespace tilvex::ui
