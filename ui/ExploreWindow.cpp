#include "ui/ExploreWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/RandomSource.h"
#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"
#include "maps/QuiltKindNames.h"
#include "ui/StudioPictures.h"

namespace tilvex::ui {

namespace {

constexpr int kSessionRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 2;

// The limit InitInstance gives a new quilt.
constexpr int kNewQuiltLimit = 3500000;

}  // namespace

bool OpenGallerySession(CTilvexApp& app, const std::vector<std::uint8_t>& session)
{
    if (auto refusal = DecodeSession(app, session.data(), session.size())) {
        app.ui->ShowMessage("Cannot open the quilt: " + *refusal + ".", MessageIcon::Error);
        return false;
    }
    SetIterationLimit(app, std::max(app.counters.maxIterations, kNewQuiltLimit));
    return true;
}

ExploreWindow::ExploreWindow(OpenSession open, QWidget* parent)
    : QWidget(parent, Qt::Window), openSession_(std::move(open))
{
    setWindowTitle(QStringLiteral("Explore Gallery"));
    setAttribute(Qt::WA_DeleteOnClose);
    request_.count = kPageSize;
    request_.thumbWidth = kThumbSize;
    request_.baseSeed = ClockSeed();

    kind_ = new QComboBox(this);
    kind_->addItem(QString::fromLatin1(kAnyKind));
    for (const std::string& k : KindNames()) kind_->addItem(QString::fromStdString(k));
    grid_ = new QListWidget(this);
    grid_->setViewMode(QListView::IconMode);
    grid_->setIconSize(QSize(kThumbSize, kThumbSize));
    // Room for two lines under each thumbnail: the name and the score.
    grid_->setGridSize(QSize(kThumbSize + 16, kThumbSize + 16 + 2 * fontMetrics().height()));
    grid_->setResizeMode(QListView::Adjust);
    grid_->setMovement(QListView::Static);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    more_ = new QPushButton(QStringLiteral("More"), this);
    open_ = new QPushButton(QStringLiteral("Open"), this);
    open_->setEnabled(false);
    status_ = new QLabel(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Kind:"), this));
    top->addWidget(kind_);
    top->addStretch();
    top->addWidget(status_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(more_);
    bottom->addWidget(open_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_);
    layout->addLayout(bottom);
    resize(6 * (kThumbSize + 16) + 40, 2 * grid_->gridSize().height() + 100);

    connect(kind_, &QComboBox::currentTextChanged, this, [this](const QString& kind) {
        GalleryRequest next = request_;
        next.kind = kind.toStdString();
        next.baseSeed = ClockSeed();
        Restart(next);
    });
    connect(more_, &QPushButton::clicked, this, [this] {
        ++pagesWanted_;
        if (pageDone_) StartPage();
        UpdateStatus();
    });
    connect(open_, &QPushButton::clicked, this, [this] {
        const QList<QListWidgetItem*> chosen = grid_->selectedItems();
        if (!chosen.isEmpty()) OpenItem(chosen.front());
    });
    connect(grid_, &QListWidget::itemDoubleClicked, this, &ExploreWindow::OpenItem);
    connect(grid_, &QListWidget::itemSelectionChanged, this,
            [this] { open_->setEnabled(!grid_->selectedItems().isEmpty()); });
}

ExploreWindow::~ExploreWindow() { StopWork(); }

void ExploreWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!started_) {
        started_ = true;
        Restart(request_);
    }
}

void ExploreWindow::closeEvent(QCloseEvent* event)
{
    StopWork();
    UpdateStatus();
    QWidget::closeEvent(event);
}

void ExploreWindow::keyPressEvent(QKeyEvent* event)
{
    // As in a dialog: Esc closes the window, whichever of its parts has the focus.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ExploreWindow::Restart(const GalleryRequest& request)
{
    StopWork();
    request_ = request;
    request_.count = kPageSize;
    request_.thumbWidth = kThumbSize;
    {
        const QSignalBlocker block(kind_);
        kind_->setCurrentText(QString::fromStdString(request_.kind));
    }
    grid_->clear();
    sessions_.clear();
    ++generation_;
    pagesWanted_ = 1;
    pagesStarted_ = 0;
    started_ = true;
    StartPage();
    UpdateStatus();
}

void ExploreWindow::StopWork()
{
    // The work looks at its stop token every few milliseconds of its quilt;
    // whatever it still posts is dropped.
    runner_.Cancel();
    pageDone_ = true;
}

void ExploreWindow::StartPage()
{
    if (pagesStarted_ >= pagesWanted_) return;
    GalleryRequest page = request_;
    const int first = pagesStarted_ * kPageSize;
    page.baseSeed = request_.baseSeed + first;
    ++pagesStarted_;
    pageDone_ = false;
    runner_.Submit([this, page, first, generation = generation_](const BackgroundRunner::Task& task) {
        MakeGallery(
            page,
            [this, first, generation, &task](const GalleryEntry& entry) {
                auto tile = std::make_shared<Tile>();
                tile->generation = generation;
                tile->index = first + entry.quilt.index;
                tile->seed = entry.quilt.seed;
                tile->score = entry.score;
                tile->name = QString::fromStdString(entry.quilt.name);
                tile->kind = QString::fromStdString(entry.quilt.kind);
                tile->thumbnail = ToQImage(entry.thumbnail);
                tile->session = entry.quilt.session;
                task.Post([this, tile] { AddTile(*tile); });
            },
            task.Stop());
        if (!task.Stopped()) task.Post([this, generation] { if (generation == generation_) PageFinished(); });
    });
}

void ExploreWindow::PageFinished()
{
    pageDone_ = true;
    StartPage();
    UpdateStatus();
}

void ExploreWindow::AddTile(const Tile& tile)
{
    if (tile.generation != generation_) return;
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(tile.thumbnail)),
                                     tile.name + QStringLiteral("\n") + QString::number(tile.score, 'f', 3));
    item->setData(kNameRole, tile.name);
    item->setToolTip(QStringLiteral("%1, seed %2, score %3")
                         .arg(tile.kind)
                         .arg(tile.seed, 0, 'g', 17)
                         .arg(tile.score, 0, 'f', 3));
    item->setData(kSessionRole, static_cast<int>(sessions_.size()));
    item->setData(ExploreWindow::kScoreRole, tile.score);
    item->setData(kIndexRole, tile.index);
    sessions_.push_back(tile.session);
    // Best first: after every better one and every equal one made from an earlier seed.
    int row = 0;
    while (row < grid_->count()) {
        const QListWidgetItem* other = grid_->item(row);
        const double score = other->data(ExploreWindow::kScoreRole).toDouble();
        if (score < tile.score || (score == tile.score && other->data(kIndexRole).toInt() > tile.index)) break;
        ++row;
    }
    grid_->insertItem(row, item);
    UpdateStatus();
    emit thumbnailAdded();
}

void ExploreWindow::OpenItem(QListWidgetItem* item)
{
    const int slot = item->data(kSessionRole).toInt();
    if (slot >= 0 && slot < static_cast<int>(sessions_.size()) && openSession_)
        openSession_(sessions_[static_cast<std::size_t>(slot)]);
}

void ExploreWindow::UpdateStatus()
{
    QString text = QStringLiteral("%1 quilts").arg(grid_->count());
    if (IsWorking()) text += QStringLiteral(", making more...");
    status_->setText(text);
}

}  // namespace tilvex::ui
