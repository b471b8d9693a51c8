#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <chrono>
#include <functional>
#include <optional>
#include <memory>

#include "studio/Look.h"
#include "ui/BackgroundRunner.h"
#include "ui/CommandRouter.h"
#include "ui/IdleDriver.h"
#include "ui/StudioExportDialog.h"

class QAction;
class QProgressDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QSettings;
class QToolBar;

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

class AnimationExport;
class CTilvexDoc;
class CTilvexView;
class ExploreWindow;
class QuiltShaping;

// The main window: menus, toolbar and status bar rendered from the command
// table, the view as its client area, and the routing of every command.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    // The recent-file list is read from settings now and written back when
    // the window closes.
    CMainFrame(CTilvexApp& app, QSettings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // Carries out a command as the menu would.
    CommandHandler RunCommand(int id);

    CTilvexDoc& Document() { return *doc_; }
    CTilvexView& View() { return *view_; }
    CommandRouter& Router() { return *router_; }
    IdleDriver& Idle() { return idle_; }
    RecentFileList& RecentFiles() { return recent_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* MessagePane() const { return messagePane_; }
    QLabel* Indicator(int index) const { return indicators_[index]; }
    // Iteration count against the limit, before the key indicators.
    QProgressBar* ProgressPane() const { return progressPane_; }
    bool AutoRebuild() const { return autoRebuild_; }
    bool StudioPreview() const { return studioPreview_; }
    // A studio export is rendering or writing.
    bool StudioExporting() const { return studioProgress_ != nullptr; }
    // Stops it; its file is not written.
    void CancelStudioExport();
    // The studio look the preview draws with and the export dialog offers.
    const studio::Look& StudioLook() const { return studioLook_; }
    BackgroundRunner& PreviewRunner() { return previewRunner_; }
    AnimationExport& Animation() { return *animation_; }
    // Asks what to export; the dialog by default, scripted in tests. Empty: cancelled.
    std::function<std::optional<StudioExportRequest>(const StudioExportRequest&)> askStudioExport;
    void SetAutoRebuildInterval(std::chrono::milliseconds interval) { autoRebuildInterval_ = interval; }
    // The action of a command id (for the recent files: entry 1 ... 4); nullptr if none.
    QAction* Action(int id) const { return actions_.value(id, nullptr); }
    QString MessageText() const;
    // The open "Explore Gallery" window, or nullptr.
    ExploreWindow* Explorer() const;
    // The Parameters dock, Variations window and undo history.
    QuiltShaping& Shaping() { return *shaping_; }

    void UpdateCommandUi();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A session file dropped on the window opens as with File Open.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(int id);
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildAccelerators();
    void UpdateRecentFileMenu();
    void UpdateTitle();
    void UpdateKeyIndicators();
    void UpdateProgress();
    void OnGenerationProgress();
    void OnGenerationStopped();
    bool GeneratedSinceAutoRebuild() const;
    void AutoRebuildNow();
    void SetStudioPreview(bool on);
    void RefreshStudioPreview();
    void ExportStudioImage();
    void OnStudioExportProgress(int permille);
    void OnStudioExportFinished(const QString& error, bool cancelled);
    void ShowExplorer();

    CTilvexApp& app_;
    QSettings& settings_;
    IdleDriver idle_;
    RecentFileList recent_;
    CTilvexView* view_ = nullptr;
    CTilvexDoc* doc_ = nullptr;
    std::unique_ptr<AppCommandTarget> appTarget_;
    std::unique_ptr<CommandRouter> router_;
    QMap<int, QAction*> actions_;
    QToolBar* toolBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* indicators_[3] = {};
    QProgressBar* progressPane_ = nullptr;
    int shownCount_ = -1;
    int shownLimit_ = -1;
    int shownStopped_ = -1;
    // Auto Rebuild: a per-session toggle, off at start.
    bool autoRebuild_ = false;
    std::chrono::milliseconds autoRebuildInterval_{1000};
    std::chrono::steady_clock::time_point lastAutoRebuild_{};
    int iterationsAtAutoRebuild_ = -1;
    // Studio Preview: remembered in the settings.
    bool studioPreview_ = false;
    std::chrono::steady_clock::time_point lastStudioPreview_{};
    studio::Look studioLook_;
    BackgroundRunner previewRunner_;
    BackgroundRunner exportRunner_;
    QProgressDialog* studioProgress_ = nullptr;
    QPointer<ExploreWindow> explorer_;
    std::unique_ptr<QuiltShaping> shaping_;
    AnimationExport* animation_ = nullptr;
};

}  // namespace tilvex::ui
