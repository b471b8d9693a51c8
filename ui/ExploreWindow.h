#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "explore/Gallery.h"
#include "ui/BackgroundRunner.h"

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QLabel;

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

// Makes a gallery quilt the application's current one through the session
// loader, as File Open would, with the limit raised to a new quilt's
// 3,500,000 iterations so it grows on. False (already reported) on refusal.
bool OpenGallerySession(CTilvexApp& app, const std::vector<std::uint8_t>& session);

// "Explore Gallery": random quilts made a page at a time on a background
// runner, shown best first as their thumbnails arrive, each over its name
// and score. Open (or a double click) hands the chosen quilt's session to
// `open`. Closing the window (or Esc) stops the work; the window deletes
// itself then.
class ExploreWindow : public QWidget {
    Q_OBJECT
public:
    using OpenSession = std::function<void(const std::vector<std::uint8_t>& session)>;
    static constexpr int kPageSize = 12;
    static constexpr int kThumbSize = 128;
    static constexpr int kScoreRole = Qt::UserRole + 1;  // an item's score
    static constexpr int kNameRole = Qt::UserRole + 3;   // its quilt's name; the text adds the score

    ExploreWindow(OpenSession open, QWidget* parent = nullptr);
    ~ExploreWindow() override;

    // Starts over with these settings (kind, first seed, budget); count is
    // the page size and is ignored.
    void Restart(const GalleryRequest& request);
    bool IsWorking() const { return !pageDone_; }

    QListWidget* Grid() const { return grid_; }
    QComboBox* KindFilter() const { return kind_; }
    QPushButton* MoreButton() const { return more_; }
    QPushButton* OpenButton() const { return open_; }

signals:
    void thumbnailAdded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Tile {
        int generation = 0;
        int index = 0;  // from the first page's first seed
        double seed = 0.0;
        double score = 0.0;
        QString name, kind;
        QImage thumbnail;
        std::vector<std::uint8_t> session;
    };

    void StartPage();
    void StopWork();
    void AddTile(const Tile& tile);
    void PageFinished();
    void OpenItem(QListWidgetItem* item);
    void UpdateStatus();

    OpenSession openSession_;
    GalleryRequest request_;
    std::vector<std::vector<std::uint8_t>> sessions_;  // by the items' session slot
    int generation_ = 0;  // tiles of earlier settings still on their way are dropped
    int pagesWanted_ = 0;
    int pagesStarted_ = 0;
    bool pageDone_ = true;
    bool started_ = false;
    BackgroundRunner runner_;

    QComboBox* kind_ = nullptr;
    QListWidget* grid_ = nullptr;
    QPushButton* more_ = nullptr;
    QPushButton* open_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tilvex::ui
