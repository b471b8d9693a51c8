#include "ui/VariationsWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "core/RandomSource.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"
#include "ui/StudioPictures.h"

namespace tilvex::ui {

namespace {

// Cells around the centre in reading order.
constexpr int kAround[] = {0, 1, 2, 3, 5, 6, 7, 8};

}  // namespace

VariationsWindow::VariationsWindow(std::function<Session()> current, std::function<void(const Session&)> take,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), current_(std::move(current)), take_(std::move(take)), seed_(ClockSeed())
{
    setWindowTitle(QStringLiteral("Variations"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kCells; ++i) {
        auto* cell = new QToolButton(this);
        cell->setIconSize(QSize(kThumbSize, kThumbSize));
        cell->setFixedSize(kThumbSize + 12, kThumbSize + 12);
        cell->setAutoRaise(i != kCentre);
        if (i == kCentre) cell->setStyleSheet(QStringLiteral("QToolButton { border: 3px solid #3070d0; }"));
        connect(cell, &QToolButton::clicked, this, [this, i] { Take(i); });
        grid->addWidget(cell, i / 3, i % 3);
        cells_[static_cast<std::size_t>(i)] = cell;
        auto& picture = pictures_[static_cast<std::size_t>(i)];
        picture = std::make_unique<ProgressivePreview>(this);
        picture->shown = [cell, &picture](const QImage& tile, std::uint64_t request, double) {
            if (request == picture->Request()) cell->setIcon(QIcon(QPixmap::fromImage(tile)));
        };
    }
    spread_ = new QSlider(Qt::Horizontal, this);
    spread_->setRange(1, 100);
    spread_->setValue(10);
    spreadText_ = new QLabel(this);
    more_ = new QPushButton(QStringLiteral("More"), this);
    status_ = new QLabel(this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Spread:"), this));
    controls->addWidget(spread_, 1);
    controls->addWidget(spreadText_);
    controls->addWidget(more_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(controls);
    layout->addWidget(status_);

    auto showSpread = [this] { spreadText_->setText(QStringLiteral("%1").arg(Spread(), 0, 'f', 2)); };
    showSpread();
    connect(spread_, &QSlider::valueChanged, this, showSpread);
    connect(more_, &QPushButton::clicked, this, &VariationsWindow::More);
}

VariationsWindow::~VariationsWindow()
{
    runner_.Cancel();
    for (auto& picture : pictures_) picture->Cancel();
}

double VariationsWindow::Spread() const { return spread_->value() / 100.0; }

void VariationsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!started_) {
        started_ = true;
        More();
    }
}

void VariationsWindow::closeEvent(QCloseEvent* event)
{
    runner_.Cancel();
    for (auto& picture : pictures_) picture->Cancel();
    working_ = false;
    QWidget::closeEvent(event);
}

void VariationsWindow::More()
{
    started_ = true;
    const int generation = ++generation_;
    for (int i = 0; i < kCells; ++i) {
        pictures_[static_cast<std::size_t>(i)]->Cancel();
        cells_[static_cast<std::size_t>(i)]->setIcon(QIcon());
        cells_[static_cast<std::size_t>(i)]->setToolTip(QString());
        sessions_[static_cast<std::size_t>(i)].clear();
    }
    shown_ = 0;
    working_ = true;
    VariationRequest request;
    request.centre = current_();
    request.count = 8;
    request.spread = Spread();
    request.seed = seed_;
    request.thumbWidth = kThumbSize;
    seed_ = std::fmod(seed_ + 1.0, 4294967296.0);
    UpdateStatus();

    runner_.Submit([this, request, generation](const BackgroundRunner::Task& task) {
        auto post = [this, &task, generation](int cell, const GalleryEntry& e) {
            const QString tip = QStringLiteral("%1, score %2").arg(QString::fromStdString(e.quilt.name)).arg(e.score, 0, 'f', 3);
            task.Post([this, cell, quilt = e.quilt.snapshot, tip, session = e.quilt.session, generation] {
                if (generation == generation_) ShowCell(cell, quilt, tip, session);
            });
        };
        {
            // The centre as the variations see it: the current quilt's own map.
            CTilvexApp centre(1.0);
            if (!centre.InitInstance(AvailablePhysicalMemory()) ||
                DecodeSession(centre, request.centre.data(), request.centre.size()))
                return;
            GalleryQuilt quilt;
            quilt.name = centre.QuiltName();
            quilt.session = request.centre;
            quilt.snapshot = centre.TakeSnapshot();
            post(kCentre, GalleryEntry{quilt, 0.0, {}});
        }
        int made = 0;
        MakeVariations(
            request, [&](const GalleryEntry& e) { post(kAround[made++], e); }, task.Stop());
        task.Post([this, generation] {
            if (generation != generation_) return;
            working_ = false;
            UpdateStatus();
        });
    });
}

void VariationsWindow::ShowCell(int index, std::shared_ptr<const QuiltSnapshot> quilt, const QString& tip,
                                Session session)
{
    QToolButton* cell = cells_[static_cast<std::size_t>(index)];
    const int width = ThumbnailSpec(*quilt, kThumbSize).width;
    pictures_[static_cast<std::size_t>(index)]->Show(std::move(quilt), width, ThumbnailLook());
    cell->setToolTip(tip);
    sessions_[static_cast<std::size_t>(index)] = std::move(session);
    if (index != kCentre) ++shown_;
    UpdateStatus();
    emit cellShown(index);
}

void VariationsWindow::Take(int index)
{
    if (index == kCentre || sessions_[static_cast<std::size_t>(index)].empty()) return;
    const Session session = sessions_[static_cast<std::size_t>(index)];
    if (take_) take_(session);
    // The chosen one moves to the middle; More varies it.
    QToolButton* from = cells_[static_cast<std::size_t>(index)];
    cells_[kCentre]->setIcon(from->icon());
    cells_[kCentre]->setToolTip(from->toolTip());
    sessions_[kCentre] = session;
    UpdateStatus();
}

void VariationsWindow::UpdateStatus()
{
    QString text = QStringLiteral("%1 of 8 variations").arg(shown_);
    if (working_) text += QStringLiteral(", growing more...");
    else if (shown_ < 8) text += QStringLiteral(" (the others escaped or filled too little: try a smaller spread)");
    status_->setText(text);
}

}  // namespace tilvex::ui
