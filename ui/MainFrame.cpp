#include "ui/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstring>

#include "engine/TilvexApp.h"
#include "ui/AnimationExport.h"
#include "ui/ExploreWindow.h"
#include "ui/QuiltShaping.h"
#include "ui/Icons.h"
#include "ui/TilvexDoc.h"
#include "engine/RenderJob.h"
#include "engine/SessionFile.h"
#include "studio/Develop.h"
#include "studio/TileGeometry.h"
#include "ui/StudioExportDialog.h"
#include "ui/StudioPictures.h"
#include "ui/TilvexView.h"

namespace tilvex::ui {

namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString ProgressText(int count, int limit, bool stopped)
{
    const QLocale locale;
    QString text = locale.toString(count) + QStringLiteral(" / ") + locale.toString(limit);
    if (stopped) text += QStringLiteral(" (stopped)");
    return text;
}

// The one local file a drag carries; empty for anything else.
QString DraggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

// Caps Lock, Num Lock and Scroll Lock, when the platform can tell.
std::array<bool, 3> KeyLockStates();

}  // namespace

CMainFrame::CMainFrame(CTilvexApp& app, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), app_(app), settings_(settings), idle_(app)
{
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    view_ = new CTilvexView(app_, this);
    doc_ = new CTilvexDoc(app_, recent_, this);
    appTarget_ = std::make_unique<AppCommandTarget>(app_, recent_);
    appTarget_->viewChanged = [this] { view_->update(); };
    router_ = std::make_unique<CommandRouter>(view_, doc_, this, appTarget_.get(), &idle_);
    router_->beforeCommand = [this] { shaping_->BeforeChange(); };
    router_->afterCommand = [this] {
        shaping_->AfterChange();
        UpdateCommandUi();
        UpdateProgress();
        if (studioPreview_) RefreshStudioPreview();
    };
    askStudioExport = [this](const StudioExportRequest& initial) -> std::optional<StudioExportRequest> {
        auto quilt = app_.TakeSnapshot();
        StudioExportDialog dialog(
            initial,
            [quilt](const StudioExportRequest& r) {
                return QString::fromStdString(studio::CheckPictureSize(*quilt, r.renderSpec.width, r.period));
            },
            this, quilt);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Request();
    };
    view_->resized = [this] {
        if (studioPreview_) RefreshStudioPreview();
        if (shaping_) shaping_->ViewResized();
    };
    animation_ = new AnimationExport(this, settings_, [this] { return app_.TakeSnapshot(); }, [this] { return studioLook_; });
    connect(&idle_, &IdleDriver::progress, this, &CMainFrame::OnGenerationProgress);
    connect(&idle_, &IdleDriver::generationStopped, this, &CMainFrame::OnGenerationStopped);

    setCentralWidget(view_);
    shaping_ = std::make_unique<QuiltShaping>(app_, *this, *view_, idle_);
    shaping_->look = [this] { return studioLook_; };
    shaping_->studioPreviewOn = [this] { return studioPreview_; };
    shaping_->changed = [this] {
        UpdateCommandUi();
        UpdateProgress();
        // The grid's preview takes the view back when the parameter editor closes.
        if (studioPreview_ && !shaping_->ParametersShown()) RefreshStudioPreview();
    };
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildAccelerators();

    connect(doc_, &CTilvexDoc::titleChanged, this, [this] { UpdateTitle(); });
    recent_.changed = [this] { UpdateRecentFileMenu(); };
    recent_.Load(settings_);
    studioPreview_ = settings_.value(QStringLiteral("Studio/Preview"), false).toBool();
    studioLook_ = LoadStudioLook(settings_);

    UpdateTitle();
    UpdateCommandUi();
    UpdateKeyIndicators();
    UpdateProgress();
    qApp->installEventFilter(this);
    resize(640, 480);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    recent_.changed = nullptr;
    // The toolbar reports being hidden while the window's children are torn
    // down, after the router is gone.
    disconnect(toolBar_, nullptr, this, nullptr);
}

QAction* CMainFrame::MakeAction(int id)
{
    if (QAction* existing = actions_.value(id, nullptr)) return existing;
    const CommandInfo* info = FindCommand(id);
    auto* action = new QAction(this);
    if (info) {
        action->setText(info->menuText.empty() ? Text(info->name) : Text(info->menuText));
        action->setToolTip(Text(info->name));
        action->setStatusTip(Text(info->prompt));
    }
    action->setIcon(CommandIcon(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { router_->Dispatch(id); });
    actions_.insert(id, action);
    return action;
}

void CMainFrame::BuildMenus()
{
    for (const MenuInfo& m : Menus()) {
        QMenu* menu = menuBar()->addMenu(Text(m.title));
        for (int id : m.items) {
            if (id == cmd::Separator) {
                menu->addSeparator();
            } else if (id == cmd::FileMru1) {
                for (int i = 0; i < cmd::RecentFileCount; ++i) menu->addAction(MakeAction(cmd::FileMru1 + i));
            } else {
                menu->addAction(MakeAction(id));
            }
        }
    }
    for (int id : {cmd::ViewToolbar, cmd::ViewStatusBar, cmd::AutoRebuild, cmd::StudioPreview, cmd::ShowParameters})
        actions_[id]->setCheckable(true);
}

void CMainFrame::BuildToolBar()
{
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    for (int id : ToolbarButtons()) {
        if (id == cmd::Separator)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(MakeAction(id));
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &QToolBar::visibilityChanged, this, [this] { UpdateCommandUi(); });
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    messagePane_ = new QLabel(Text(ui_text::IdlePrompt), bar);
    messagePane_->setMinimumWidth(1);
    bar->addWidget(messagePane_, 1);
    progressPane_ = new QProgressBar(bar);
    progressPane_->setAlignment(Qt::AlignCenter);
    progressPane_->setTextVisible(true);
    bar->addPermanentWidget(progressPane_);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(Text(ui_text::KeyIndicators[i])) + 8);
        bar->addPermanentWidget(label);
        indicators_[i] = label;
    }
}

void CMainFrame::BuildAccelerators()
{
    QMap<int, QList<QKeySequence>> keys;
    for (const AcceleratorInfo& a : Accelerators()) keys[a.id].append(QKeySequence(Text(a.keys)));
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        bool shown = actions_.contains(it.key());
        QAction* action = MakeAction(it.key());
        action->setShortcuts(it.value());
        // Commands with keys but no menu item or button still need a home.
        if (!shown) addAction(action);
    }
}

QString CMainFrame::MessageText() const { return messagePane_->text(); }

bool CMainFrame::HandlesCommand(int id) const
{
    return id == cmd::ViewToolbar || id == cmd::ViewStatusBar || id == cmd::AutoRebuild || id == cmd::AppExit ||
           id == cmd::ExportStudioImage || id == cmd::StudioPreview ||
           id == cmd::ExploreGallery || id == cmd::ExportAnimation || shaping_->HandlesCommand(id);
}

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case cmd::ViewToolbar: toolBar_->setVisible(!toolBar_->isVisibleTo(this)); break;
    case cmd::ViewStatusBar: statusBar()->setVisible(!statusBar()->isVisibleTo(this)); break;
    case cmd::AutoRebuild:
        autoRebuild_ = !autoRebuild_;
        // The first rebuild comes with the next progress report; a quilt
        // already at its limit is left as it is.
        lastAutoRebuild_ = {};
        iterationsAtAutoRebuild_ = app_.counters.iterationCount;
        break;
    case cmd::AppExit: close(); break;
    case cmd::ExportStudioImage: ExportStudioImage(); break;
    case cmd::StudioPreview: SetStudioPreview(!studioPreview_); break;
    case cmd::ExploreGallery: ShowExplorer(); break;
    case cmd::ExportAnimation: animation_->Ask(); break;
    default:
        if (shaping_->HandlesCommand(id)) shaping_->OnCommand(id);
        break;
    }
}

ExploreWindow* CMainFrame::Explorer() const { return explorer_; }

void CMainFrame::ShowExplorer()
{
    if (!explorer_) {
        explorer_ = new ExploreWindow(
            [this](const std::vector<std::uint8_t>& session) {
                shaping_->BeforeChange();
                {
                    IdleHold hold(&idle_);
                    if (!OpenGallerySession(app_, session)) return;
                }
                shaping_->AfterChange();
                view_->OnRebuildView();
                UpdateCommandUi();
                UpdateProgress();
                if (studioPreview_) RefreshStudioPreview();
            },
            this);
    }
    explorer_->show();
    explorer_->raise();
    explorer_->activateWindow();
}

CommandHandler CMainFrame::RunCommand(int id) { return router_->Dispatch(id); }

void CMainFrame::UpdateCommandUi()
{
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        int id = it.key();
        if (id >= cmd::FileMru1 && id <= cmd::FileMru4) continue;
        it.value()->setEnabled(router_->IsEnabled(id));
    }
    actions_[cmd::ViewToolbar]->setChecked(toolBar_->isVisibleTo(this));
    actions_[cmd::ViewStatusBar]->setChecked(statusBar()->isVisibleTo(this));
    actions_[cmd::AutoRebuild]->setChecked(autoRebuild_);
    actions_[cmd::StudioPreview]->setChecked(studioPreview_);
    actions_[cmd::ShowParameters]->setChecked(shaping_->ParametersShown());
}

void CMainFrame::UpdateProgress()
{
    const int count = app_.counters.iterationCount;
    const int limit = app_.counters.maxIterations;
    // A limit raised above the count resumes the generation: no longer stopped.
    const int stopped = app_.run.limitReached && count > limit ? 1 : 0;
    if (count == shownCount_ && limit == shownLimit_ && stopped == shownStopped_) return;
    shownCount_ = count;
    shownLimit_ = limit;
    shownStopped_ = stopped;
    const int top = std::max(limit, 1);
    progressPane_->setRange(0, top);
    progressPane_->setValue(std::clamp(count, 0, top));
    const QString text = ProgressText(count, limit, stopped);
    progressPane_->setFormat(text);
    // Wide enough for the final text from the start: the pane does not grow as digits appear.
    const QFontMetrics metrics = progressPane_->fontMetrics();
    const int needed =
        std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(ProgressText(limit, limit, true))) + 16;
    if (needed > progressPane_->minimumWidth()) progressPane_->setMinimumWidth(needed);
}

void CMainFrame::OnGenerationProgress()
{
    UpdateProgress();
    if (studioPreview_ && std::chrono::steady_clock::now() - lastStudioPreview_ >= std::chrono::seconds(1))
        RefreshStudioPreview();
    if (GeneratedSinceAutoRebuild() &&
        std::chrono::steady_clock::now() - lastAutoRebuild_ >= autoRebuildInterval_)
        AutoRebuildNow();
}

void CMainFrame::OnGenerationStopped()
{
    UpdateProgress();
    if (studioPreview_) RefreshStudioPreview();
    // Once more with the final counts.
    if (GeneratedSinceAutoRebuild()) AutoRebuildNow();
}

// A slice that only finds the limit again (after any command) generated nothing.
bool CMainFrame::GeneratedSinceAutoRebuild() const
{
    return autoRebuild_ && app_.counters.iterationCount != iterationsAtAutoRebuild_;
}

void CMainFrame::AutoRebuildNow()
{
    lastAutoRebuild_ = std::chrono::steady_clock::now();
    iterationsAtAutoRebuild_ = app_.counters.iterationCount;
    view_->OnRebuildView();
}

void CMainFrame::SetStudioPreview(bool on)
{
    studioPreview_ = on;
    settings_.setValue(QStringLiteral("Studio/Preview"), on);
    if (!on) view_->HidePreview();
    // Turning it on refreshes after the command, like every other command.
}

// The grid as it stands, in the studio look, developed on the preview's
// runner: the window goes on meanwhile, and a newer refresh replaces this one.
void CMainFrame::RefreshStudioPreview()
{
    // While the parameter editor is open the view shows its sampled preview instead.
    if (shaping_->ParametersShown()) return;
    lastStudioPreview_ = std::chrono::steady_clock::now();
    std::shared_ptr<const QuiltSnapshot> quilt = app_.TakeSnapshot();
    const qreal dpr = view_->devicePixelRatioF();
    const int width = PreviewTileWidth(*view_, *quilt, app_.geometry.viewPeriod);
    previewRunner_.Submit([this, quilt, width, dpr, look = studioLook_](const BackgroundRunner::Task& task) {
        const studio::FloatImage tile = studio::DevelopGrid(*quilt, width, look, 0);
        std::optional<studio::Rgb8Image> pixels = studio::Quantise8(tile, task.Stop());
        if (!pixels) return;
        QImage image = ToQImage(*pixels);
        image.setDevicePixelRatio(dpr);
        task.Post([this, image] {
            if (studioPreview_) view_->ShowPreview(image);
        });
    });
}

void CMainFrame::ExportStudioImage()
{
    if (StudioExporting()) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("A studio image is being rendered already."));
        return;
    }
    StudioExportRequest request;
    request.Load(settings_);
    request.look = studioLook_;
    request.path = FreshFileName(QDir::current().filePath(QString::fromStdString(app_.QuiltName()) + QStringLiteral(".png")));
    std::optional<StudioExportRequest> answer = askStudioExport(request);
    if (!answer) return;
    request = *answer;
    request.Save(settings_);
    studioLook_ = request.look;
    SaveStudioLook(settings_, studioLook_);
    if (studioPreview_) RefreshStudioPreview();

    studioProgress_ = new QProgressDialog(QStringLiteral("Rendering the studio image..."), QStringLiteral("Cancel"), 0,
                                          1000, this);
    studioProgress_->setWindowTitle(QStringLiteral("Export Studio Image"));
    studioProgress_->setMinimumDuration(0);
    studioProgress_->setAutoClose(false);
    studioProgress_->setAutoReset(false);
    connect(studioProgress_, &QProgressDialog::canceled, this, &CMainFrame::CancelStudioExport);
    studioProgress_->show();

    RenderJob::Outputs outputs;
    outputs.png = request.path.toStdString();
    if (request.exr) outputs.exr = request.ExrPath().toStdString();
    outputs.period = request.period;
    outputs.session = EncodeSession(app_);  // the picture carries its quilt
    exportRunner_.Submit([this, quilt = app_.TakeSnapshot(), request, outputs](const BackgroundRunner::Task& task) {
        RenderJob job(quilt, request.renderSpec, request.look);
        int shown = -1;
        // Sampling is most of the work; folding and writing share the rest.
        const auto report = [&task, &shown, this](RenderStage stage, double done) {
            const double base[] = {0.0, 0.8, 0.9}, span[] = {0.8, 0.1, 0.1};
            const int i = static_cast<int>(stage);
            const int permille = static_cast<int>(1000.0 * (base[i] + span[i] * done));
            if (permille == shown) return;
            shown = permille;
            task.Post([this, permille] { OnStudioExportProgress(permille); });
        };
        const std::string error = job.Write(outputs, task.Stop(), report);
        const bool stopped = task.Stopped();
        task.Post([this, error = QString::fromStdString(error), stopped] { OnStudioExportFinished(error, stopped); });
    });
}

void CMainFrame::CancelStudioExport()
{
    exportRunner_.Cancel();
    OnStudioExportFinished({}, true);
}

void CMainFrame::OnStudioExportProgress(int permille)
{
    if (studioProgress_) studioProgress_->setValue(permille);
}

void CMainFrame::OnStudioExportFinished(const QString& error, bool cancelled)
{
    if (studioProgress_) {
        studioProgress_->deleteLater();
        studioProgress_ = nullptr;
    }
    if (!cancelled && !error.isEmpty()) QMessageBox::warning(this, windowTitle(), error);
}

void CMainFrame::UpdateRecentFileMenu()
{
    const int count = recent_.Count();
    for (int i = 0; i < cmd::RecentFileCount; ++i) {
        QAction* action = actions_[cmd::FileMru1 + i];
        if (count == 0) {
            // The greyed placeholder stands in for an empty list.
            action->setVisible(i == 0);
            action->setEnabled(false);
            if (i == 0) action->setText(Text(ui_text::RecentFilePlaceholder));
            continue;
        }
        action->setVisible(i < count);
        action->setEnabled(i < count);
        if (i < count) {
            QString path = QDir::toNativeSeparators(recent_.At(i));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path.replace(QLatin1Char('&'), QLatin1String("&&"))));
        }
    }
}

void CMainFrame::UpdateTitle() { setWindowTitle(doc_->Title() + QStringLiteral(" - ") + Text(ui_text::WindowTitle)); }

void CMainFrame::UpdateKeyIndicators()
{
    std::array<bool, 3> on = KeyLockStates();
    for (int i = 0; i < 3; ++i) indicators_[i]->setText(on[i] ? Text(ui_text::KeyIndicators[i]) : QString());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Nothing waits for a write: the export stops and its unfinished file goes.
    if (StudioExporting()) CancelStudioExport();
    if (animation_->Exporting()) animation_->Cancel();
    previewRunner_.Cancel();
    shaping_->Preview().Cancel();
    recent_.Save(settings_);
    settings_.sync();
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) UpdateKeyIndicators();
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::event(QEvent* event)
{
    // The message pane shows the prompt of the highlighted item, else "Ready".
    if (event->type() == QEvent::StatusTip) {
        QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        messagePane_->setText(tip.isEmpty() ? Text(ui_text::IdlePrompt) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drag has ended: a refusal's message box must not hold up the drag's source.
    QMetaObject::invokeMethod(
        this,
        [this, path] { router_->Run([this, &path] { app_.OpenSession(QDir::toNativeSeparators(path).toStdString()); }); },
        Qt::QueuedConnection);
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) UpdateKeyIndicators();
    QMainWindow::changeEvent(event);
}

}  // namespace tilvex::ui

// Kept apart at the end: the X11 headers define macros that clash with Qt's names.
#ifdef TILVEX_HAVE_X11
#include <QGuiApplication>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace tilvex::ui {
namespace {

std::array<bool, 3> KeyLockStates()
{
    std::array<bool, 3> on{};
#ifdef TILVEX_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return on;
    const char* names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    for (int i = 0; i < 3; ++i) {
        Atom atom = XInternAtom(display, names[i], True);
        Bool state = False;
        if (atom != 0 && XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr)) on[i] = state;
    }
#endif
    return on;
}

}  // namespace
}  // namespace tilvex::ui
