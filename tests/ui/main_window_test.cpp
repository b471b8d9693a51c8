#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <set>

#include "core/CommandTable.h"
#include "engine/TilvexApp.h"
#include "tests/ui/TestInteraction.h"
#include "ui/AnimationExport.h"
#include "ui/ExploreWindow.h"
#include "studio/PictureNote.h"
#include "ui/MainFrame.h"
#include "ui/QuiltShaping.h"
#include "ui/StudioExportDialog.h"
#include "ui/TilvexDoc.h"
#include "ui/TilvexView.h"

using namespace tilvex;
using tilvex::test::TestInteraction;
using tilvex::ui::CMainFrame;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// One application with a scripted user and a private profile, and its window.
struct Fixture {
    explicit Fixture(const QStringList& recent = {})
    {
        app.ui = &user;
        app.InitInstance(1ull << 33);
        QSettings seed(ProfilePath(), QSettings::IniFormat);
        seed.beginGroup(QStringLiteral("Recent File List"));
        for (int i = 0; i < recent.size(); ++i) seed.setValue(QStringLiteral("File%1").arg(i + 1), recent[i]);
        seed.endGroup();
        seed.sync();
        settings = std::make_unique<QSettings>(ProfilePath(), QSettings::IniFormat);
        frame = std::make_unique<CMainFrame>(app, *settings);
        frame->askStudioExport = [this](const ui::StudioExportRequest&) {
            ++user.asked["studio"];
            return studioAnswer;
        };
    }

    QString ProfilePath() const { return dir.filePath(QStringLiteral("profile.ini")); }
    QString File(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i) app.OnIdle();
    }
    void Trigger(int id)
    {
        QAction* action = frame->Action(id);
        QVERIFY2(action, qPrintable(QStringLiteral("no action for 0x%1").arg(id, 0, 16)));
        action->trigger();
    }

    QTemporaryDir dir;
    CTilvexApp app{7.0};
    TestInteraction user;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<CMainFrame> frame;
    std::optional<ui::StudioExportRequest> studioAnswer;
};

// What a quilt is made of, to tell whether anything changed it.
struct QuiltState {
    explicit QuiltState(const CTilvexApp& a)
        : iterations(a.counters.iterationCount),
          name(a.QuiltName()),
          point(a.orbit.point),
          maxCount(a.grid.maxCount),
          filled(a.grid.FilledCells()),
          palette(a.palette.paletteEntries),
          maxIterations(a.counters.maxIterations)
    {
    }
    bool operator==(const QuiltState& o) const
    {
        bool samePalette = true;
        for (int i = 0; i < 256; ++i)
            samePalette = samePalette && palette[i].red == o.palette[i].red && palette[i].green == o.palette[i].green &&
                          palette[i].blue == o.palette[i].blue;
        return iterations == o.iterations && name == o.name && point == o.point && maxCount == o.maxCount &&
               filled == o.filled && samePalette && maxIterations == o.maxIterations;
    }
    int iterations;
    std::string name;
    Complex point;
    int maxCount, filled;
    Palette palette;
    int maxIterations;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void menusFollowTheCommandTable();
    void acceleratorsAndCommandsWithoutHandler();
    void toolbarFollowsTheCommandTable();
    void statusBarShowsPromptsThenReady();
    void viewMenuTogglesToolbarAndStatusBar();
    void everyCommandReachesItsHandler();
    void saveThenOpenRoundTrip();
    void droppedFileOpensAsWithFileOpen();
    void pngCommandFollowsTheBmpFlow();
    void failedOrCancelledSaveKeepsTheTitle();
    void recentFilesAreKeptNewestFirstInTheProfile();
    void deletedRecentFileShowsItsPathAndLeavesTheQuilt();
    void idleGenerationStopsAtTheLimitAndResumes();
    void idleStepsMatchDirectSteps();
    void stepsDoNotNestInsideModalLoops();
    void progressPaneShowsCountAgainstLimit();
    void autoRebuildIsAnOptionalLastViewItem();
    void studioExportRendersInTheBackgroundAndPreviewIsRemembered();
    void studioExportNeverReplacesAFileUnasked();
    void largeStudioPreviewLeavesTheEventLoopTurning();
    void studioExportDialogPreviewsEachLook();
    void autoRebuildOffLeavesTheViewAlone();
    void autoRebuildRebuildsOnlyWhileGenerating();
};

void MainWindowTest::menusFollowTheCommandTable()
{
    Fixture f;
    const QList<QAction*> tops = f.frame->menuBar()->actions();
    const auto menus = Menus();
    QCOMPARE(tops.size(), static_cast<qsizetype>(menus.size()));
    for (std::size_t m = 0; m < menus.size(); ++m) {
        QCOMPARE(tops[static_cast<qsizetype>(m)]->text(), Q(menus[m].title));
        QList<QAction*> items = tops[static_cast<qsizetype>(m)]->menu()->actions();
        // The recent-file placeholder stands for four entries, hidden while unused.
        items.erase(std::remove_if(items.begin(), items.end(), [](QAction* a) { return !a->isVisible(); }),
                    items.end());
        QCOMPARE(items.size(), static_cast<qsizetype>(menus[m].items.size()));
        for (std::size_t i = 0; i < menus[m].items.size(); ++i) {
            QAction* item = items[static_cast<qsizetype>(i)];
            const int id = menus[m].items[i];
            if (id == cmd::Separator) {
                QVERIFY(item->isSeparator());
                continue;
            }
            const CommandInfo* info = FindCommand(id);
            QCOMPARE(item->data().toInt(), id);
            QCOMPARE(item->text(), Q(info->menuText));
            QCOMPARE(item->statusTip(), Q(info->prompt));
        }
    }
    // An empty recent-file list shows the greyed placeholder.
    QAction* placeholder = f.frame->Action(cmd::FileMru1);
    QCOMPARE(placeholder->text(), QStringLiteral("Recent File"));
    QVERIFY(!placeholder->isEnabled());
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));
}

void MainWindowTest::acceleratorsAndCommandsWithoutHandler()
{
    Fixture f;
    std::map<int, QList<QKeySequence>> expected;
    for (const AcceleratorInfo& a : Accelerators()) expected[a.id].append(QKeySequence(Q(a.keys)));
    for (const auto& [id, keys] : expected) QCOMPARE(f.frame->Action(id)->shortcuts(), keys);
    QCOMPARE(f.frame->Action(cmd::FileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));

    // Commands nobody handles are disabled and do nothing when routed.
    for (int id : {cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::FilePrint, cmd::EditUndo, cmd::NextPane,
                   cmd::PrevPane}) {
        QVERIFY(!f.frame->Action(id)->isEnabled());
        QuiltState before(f.app);
        QCOMPARE(f.frame->RunCommand(id), CommandHandler::None);
        QVERIFY(QuiltState(f.app) == before);
    }
    QVERIFY(f.user.asked.empty());
}

void MainWindowTest::toolbarFollowsTheCommandTable()
{
    Fixture f;
    const QList<QAction*> buttons = f.frame->ToolBar()->actions();
    const auto table = ToolbarButtons();
    QCOMPARE(buttons.size(), 22);
    QCOMPARE(static_cast<std::size_t>(buttons.size()), table.size());
    std::set<quint64> images;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const int id = table[static_cast<std::size_t>(i)];
        if (id == cmd::Separator) {
            QVERIFY(buttons[i]->isSeparator());
            continue;
        }
        QCOMPARE(buttons[i]->data().toInt(), id);
        const bool unhandled =
            id == cmd::EditCut || id == cmd::EditCopy || id == cmd::EditPaste || id == cmd::FilePrint;
        QCOMPARE(buttons[i]->isEnabled(), !unhandled);
        // Every button has an image of its own, drawn with some ink.
        QImage image = buttons[i]->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(16, 16));
        int inked = 0;
        quint64 hash = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                QRgb p = image.pixel(x, y);
                if (qAlpha(p) > 0) ++inked;
                hash = hash * 31 + p;
            }
        QVERIFY2(inked > 20, qPrintable(QStringLiteral("button %1 is nearly empty").arg(i)));
        images.insert(hash);
    }
    QCOMPARE(images.size(), std::size_t{17});
}

void MainWindowTest::statusBarShowsPromptsThenReady()
{
    Fixture f;
    QCOMPARE(f.frame->MessageText(), QStringLiteral("Ready"));
    QAction* rebuild = f.frame->Action(cmd::RebuildView);
    rebuild->showStatusText(f.frame.get());
    QCOMPARE(f.frame->MessageText(), QStringLiteral("Display Quilt being Built"));
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(f.frame.get(), &leave);
    QCOMPARE(f.frame->MessageText(), QStringLiteral("Ready"));

    // Highlighting an item of an open menu shows its prompt; closing the menu brings back "Ready".
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    QMenu* quilt = f.frame->menuBar()->actions()[1]->menu();
    quilt->popup(f.frame->mapToGlobal(QPoint(40, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(quilt));
    quilt->setActiveAction(f.frame->Action(cmd::IterationStatus));
    QCOMPARE(f.frame->MessageText(), QStringLiteral("Shows Iteration Status, allows maximum iterations to be changed."));
    quilt->hide();
    QTRY_COMPARE(f.frame->MessageText(), QStringLiteral("Ready"));

    // Message pane first, then the three key indicators, each wide enough for its text.
    const char* names[] = {"CAP", "NUM", "SCRL"};
    int previousX = f.frame->MessagePane()->x();
    for (int i = 0; i < 3; ++i) {
        QLabel* indicator = f.frame->Indicator(i);
        QVERIFY(indicator->x() > previousX);
        previousX = indicator->x();
        QVERIFY(indicator->width() >= indicator->fontMetrics().horizontalAdvance(QLatin1String(names[i])));
        QVERIFY(indicator->text().isEmpty() || indicator->text() == QLatin1String(names[i]));
    }
}

void MainWindowTest::viewMenuTogglesToolbarAndStatusBar()
{
    Fixture f;
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    QAction* toolbar = f.frame->Action(cmd::ViewToolbar);
    QAction* status = f.frame->Action(cmd::ViewStatusBar);
    QVERIFY(toolbar->isChecked() && status->isChecked());
    f.Trigger(cmd::ViewToolbar);
    QVERIFY(!f.frame->ToolBar()->isVisible());
    QVERIFY(!toolbar->isChecked());
    f.Trigger(cmd::ViewStatusBar);
    QVERIFY(!f.frame->statusBar()->isVisible());
    QVERIFY(!status->isChecked());
    f.Trigger(cmd::ViewToolbar);
    f.Trigger(cmd::ViewStatusBar);
    QVERIFY(f.frame->ToolBar()->isVisible() && f.frame->statusBar()->isVisible());
    QVERIFY(toolbar->isChecked() && status->isChecked());
}

void MainWindowTest::everyCommandReachesItsHandler()
{
    Fixture f({QStringLiteral("/nonexistent/one.qlt"), QStringLiteral("/nonexistent/two.qlt")});
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    ui::CTilvexView& view = f.frame->View();
    auto asks = [&f](const char* what) { return [&f, what] { return f.user.Asked(what) == 1; }; };
    // For every handled command: how to see that it arrived where the table says.
    std::map<int, std::function<bool()>> arrived = {
        {cmd::RandomNewQuilt, [&f] { return f.app.counters.iterationCount == 0; }},
        {cmd::IterationStatus, asks("status")},
        {cmd::ChooseQuiltFractal, asks("square")},
        {cmd::RebuildView, [&view] { return view.rebuildImage == 1; }},
        {cmd::SaveImagePcx, [&f] { return f.user.saveRequests.back().defaultExt == ".pcx"; }},
        {cmd::RandomResetPalette, [&view] { return view.rebuildImage == 1; }},
        {cmd::SaveImageBmp, [&f] { return f.user.saveRequests.back().defaultExt == ".bmp"; }},
        {cmd::SaveImagePng, [&f] { return f.user.saveRequests.back().defaultExt == ".png"; }},
        {cmd::SetViewPeriod, asks("period")},
        {cmd::SelectPaletteColors, asks("select")},
        {cmd::UseDetail, asks("detail")},
        {cmd::CycleDensityPalette, asks("density")},
        {cmd::RandomDensityPalette, [&view] { return view.rebuildImage == 1; }},
        {cmd::UseTransformation, asks("transform")},
        {cmd::SetMapping, asks("map")},
        {cmd::FileNew, asks("square")},
        {cmd::FileOpen, [&f] { return f.user.Asked("open") == 1 && f.user.openRequests[0].title == "File Open"; }},
        {cmd::FileSave, asks("save")},
        {cmd::FileSaveAs, asks("save")},
        {cmd::FileMru1, [&f] { return f.user.messages.back() == "/nonexistent/one.qlt"; }},
        {cmd::FileMru1 + 1, [&f] { return f.user.messages.back() == "/nonexistent/two.qlt"; }},
        {cmd::AppAbout, asks("about")},
        {cmd::ViewToolbar, [&f] { return !f.frame->ToolBar()->isVisible(); }},
        {cmd::ViewStatusBar, [&f] { return !f.frame->statusBar()->isVisible(); }},
        {cmd::AutoRebuild, [&f] { return f.frame->AutoRebuild(); }},
        {cmd::StudioPreview,
         [&f] {
             // Developed in the background: shown once the runner has delivered it.
             return f.frame->StudioPreview() && QTest::qWaitFor([&f] { return f.frame->View().ShowsPreview(); }, 5000);
         }},
        {cmd::ExportStudioImage, [&f] { return f.user.Asked("studio") == 1; }},
        {cmd::ExportAnimation,
         [&f] {
             ui::AnimationExportDialog* dialog = f.frame->Animation().Dialog();
             const bool shown = dialog && dialog->isVisible();
             if (dialog) dialog->close();
             return shown;
         }},
        {cmd::ExploreGallery,
         [&f] {
             ui::ExploreWindow* explorer = f.frame->Explorer();
             bool shown = explorer && explorer->isVisible() && explorer->windowTitle() == "Explore Gallery";
             if (explorer) explorer->close();
             return shown;
         }},
        {cmd::QuiltVariations,
         [&f] {
             ui::VariationsWindow* window = f.frame->Shaping().Variations();
             bool shown = window && window->isVisible();
             if (window) window->close();
             return shown;
         }},
        {cmd::ShowParameters, [&f] { return f.frame->Shaping().ParametersShown(); }},
        {cmd::QuiltUndo, [&f] { return f.frame->Shaping().History().CanRedo(); }},
        {cmd::QuiltRedo, [&f] { return !f.frame->Shaping().History().CanRedo(); }},
        {cmd::AppExit, [&f] { return !f.frame->isVisible(); }},
    };
    for (const CommandInfo& c : Commands()) {
        const QString name = Q(c.name);
        if (c.handler == CommandHandler::None) continue;
        if (c.id == cmd::FileMru1 + 2 || c.id == cmd::FileMru4) {
            // Only two recent files are listed: the other entries have nothing to open.
            QCOMPARE(f.frame->Router().Route(c.id), CommandHandler::None);
            continue;
        }
        QVERIFY2(arrived.count(c.id), qPrintable(QStringLiteral("no check for ") + name));
        QVERIFY2(f.frame->Router().Route(c.id) == c.handler, qPrintable(name));
        if (c.id == cmd::AppExit) continue;  // last, below
        f.user.asked.clear();
        f.user.saveRequests.clear();
        f.user.openRequests.clear();
        f.Steps(100);
        view.rebuildImage = 0;
        f.Trigger(c.id);
        QVERIFY2(arrived[c.id](), qPrintable(name));
        if (c.id == cmd::ViewToolbar || c.id == cmd::ViewStatusBar || c.id == cmd::AutoRebuild ||
            c.id == cmd::StudioPreview)
            f.Trigger(c.id);
    }
    f.Trigger(cmd::AppExit);
    QVERIFY(arrived[cmd::AppExit]());
}

void MainWindowTest::saveThenOpenRoundTrip()
{
    Fixture f;
    f.Steps(60000);
    const QuiltState saved(f.app);
    const QString path = f.File("round.qlt");
    f.user.savePath = path.toStdString();

    f.Trigger(cmd::FileSave);  // never saved: the Save As prompt
    QCOMPARE(f.user.Asked("save"), 1);
    const FileDialogRequest& request = f.user.saveRequests[0];
    QCOMPARE(request.filter, std::string("Session (*.qlt)"));
    QCOMPARE(request.defaultExt, std::string(".qlt"));
    QCOMPARE(request.initialName, std::string("Tilvex.qlt"));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("round.qlt - TILVEX"));
    QCOMPARE(f.frame->Document().PathName(), path);
    QCOMPARE(f.frame->RecentFiles().At(0), path);
    QCOMPARE(f.frame->Action(cmd::FileMru1)->text(), QStringLiteral("&1 ") + path);
    QVERIFY(f.frame->Action(cmd::FileMru1)->isEnabled());

    // Saving again goes to the same file without asking.
    f.Trigger(cmd::FileSave);
    QCOMPARE(f.user.Asked("save"), 1);

    // Something else entirely, then the saved session again.
    f.Trigger(cmd::FileNew);
    f.Trigger(cmd::RandomNewQuilt);
    f.Steps(15000);
    QVERIFY(!(QuiltState(f.app) == saved));
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));

    f.user.openPath = path.toStdString();
    f.Trigger(cmd::FileOpen);
    QVERIFY(f.user.messages.empty());
    QVERIFY(QuiltState(f.app) == saved);
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));
    // The loaded quilt goes on from where it was saved.
    f.Steps(1);
    QCOMPARE(f.app.counters.iterationCount, saved.iterations + 1);
}

// Drags the files over the window and drops them; whether the window took them.
bool Drop(CMainFrame& frame, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls.append(QUrl::fromLocalFile(p));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

void MainWindowTest::droppedFileOpensAsWithFileOpen()
{
    Fixture f;
    f.Steps(30000);
    const QuiltState saved(f.app);
    const QString session = f.File("dropped.qlt");
    QVERIFY(f.app.SaveSession(session.toStdString()));
    f.Trigger(cmd::RandomNewQuilt);
    f.Steps(5000);

    QVERIFY(f.frame->acceptDrops());
    QVERIFY(!Drop(*f.frame, {session, session}));  // one file at a time
    QVERIFY(!(QuiltState(f.app) == saved));
    QVERIFY(Drop(*f.frame, {session}));
    QVERIFY(f.user.messages.empty());
    QVERIFY(QuiltState(f.app) == saved);
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));

    // Something that is no session: the refusal File Open gives, and the quilt stays.
    const QString junk = f.File("junk.qlt");
    {
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no quilt in here");
    }
    f.user.openPath = junk.toStdString();
    f.Trigger(cmd::FileOpen);
    QCOMPARE(f.user.messages.size(), std::size_t{1});
    QVERIFY(Drop(*f.frame, {junk}));
    QCOMPARE(f.user.messages.size(), std::size_t{2});
    QCOMPARE(f.user.messages[1], f.user.messages[0]);
    QVERIFY(QuiltState(f.app) == saved);
}

// The PNG picture has the sizes of the BMP one: same chooser, same period question.
void MainWindowTest::pngCommandFollowsTheBmpFlow()
{
    Fixture f;
    f.Steps(20000);
    f.user.newViewPeriod = 2;
    auto readAll = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    auto le32 = [](const QByteArray& b, int at) {
        return static_cast<quint32>(static_cast<quint8>(b[at])) | static_cast<quint32>(static_cast<quint8>(b[at + 1])) << 8 |
               static_cast<quint32>(static_cast<quint8>(b[at + 2])) << 16 |
               static_cast<quint32>(static_cast<quint8>(b[at + 3])) << 24;
    };
    auto be32 = [](const QByteArray& b, int at) {
        return static_cast<quint32>(static_cast<quint8>(b[at])) << 24 |
               static_cast<quint32>(static_cast<quint8>(b[at + 1])) << 16 |
               static_cast<quint32>(static_cast<quint8>(b[at + 2])) << 8 | static_cast<quint32>(static_cast<quint8>(b[at + 3]));
    };
    f.user.savePath = f.File("q.bmp").toStdString();
    f.Trigger(cmd::SaveImageBmp);
    f.user.savePath = f.File("q.png").toStdString();
    f.Trigger(cmd::SaveImagePng);
    QCOMPARE(f.user.Asked("period"), 2);
    QVERIFY(f.user.messages.empty());
    const FileDialogRequest& request = f.user.saveRequests.back();
    QCOMPARE(request.filter, std::string("PNG FILES (*.png) | *.png ||"));
    QCOMPARE(request.defaultExt, std::string(".png"));

    const QByteArray bmp = readAll(f.File("q.bmp"));
    const QByteArray png = readAll(f.File("q.png"));
    QVERIFY(bmp.size() > 54 && png.size() > 24);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(be32(png, 16), le32(bmp, 18));  // width
    QCOMPARE(be32(png, 20), le32(bmp, 22));  // height
    QVERIFY(be32(png, 16) > 0);
}

void MainWindowTest::failedOrCancelledSaveKeepsTheTitle()
{
    Fixture f;
    f.Trigger(cmd::FileSaveAs);  // chooser cancelled
    QCOMPARE(f.user.Asked("save"), 1);
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));

    f.user.savePath = f.File("missing-folder/x.qlt").toStdString();
    f.Trigger(cmd::FileSaveAs);
    QVERIFY(!f.user.messages.empty());  // the failure was reported ...
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));  // ... and not taken for success
    QVERIFY(f.frame->Document().PathName().isEmpty());
    QCOMPARE(f.frame->RecentFiles().Count(), 0);
}

void MainWindowTest::recentFilesAreKeptNewestFirstInTheProfile()
{
    QStringList names;
    {
        Fixture f({QStringLiteral("/old/a.qlt")});
        QCOMPARE(f.frame->Action(cmd::FileMru1)->text(), QStringLiteral("&1 /old/a.qlt"));
        for (const char* n : {"s1.qlt", "s2.qlt", "s3.qlt", "s4.qlt", "s2.qlt"}) {
            f.user.savePath = f.File(n).toStdString();
            f.Trigger(cmd::FileSaveAs);
        }
        // Newest first, no duplicates, four at most: the oldest entry has gone.
        names = {f.File("s2.qlt"), f.File("s4.qlt"), f.File("s3.qlt"), f.File("s1.qlt")};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(f.frame->RecentFiles().At(i), names[i]);
            QAction* entry = f.frame->Action(cmd::FileMru1 + i);
            QVERIFY(entry->isVisible() && entry->isEnabled());
            QCOMPARE(entry->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(names[i]));
            QCOMPARE(entry->statusTip(), QStringLiteral("Open this document"));
        }
        f.frame->close();
        QSettings written(f.ProfilePath(), QSettings::IniFormat);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(written.value(QStringLiteral("Recent File List/File%1").arg(i + 1)).toString(), names[i]);

        // A new window reads the same list back.
        CMainFrame again(f.app, written);
        for (int i = 0; i < 4; ++i) QCOMPARE(again.RecentFiles().At(i), names[i]);
    }
}

void MainWindowTest::deletedRecentFileShowsItsPathAndLeavesTheQuilt()
{
    QTemporaryDir elsewhere;
    const QString gone = elsewhere.filePath(QStringLiteral("deleted.qlt"));
    {
        QFile file(gone);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not for long");
    }
    Fixture f({gone});
    QVERIFY(QFile::remove(gone));
    f.Steps(40000);
    const QuiltState before(f.app);

    QAction* entry = f.frame->Action(cmd::FileMru1);
    QCOMPARE(entry->text(), QStringLiteral("&1 ") + gone);
    entry->trigger();
    QCOMPARE(f.user.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.user.messages[0]), gone);
    QCOMPARE(f.user.icons[0], MessageIcon::Question);
    QVERIFY(QuiltState(f.app) == before);
    QCOMPARE(f.frame->RecentFiles().At(0), gone);  // the entry stays
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Tilvex - TILVEX"));
}

void MainWindowTest::idleGenerationStopsAtTheLimitAndResumes()
{
    Fixture f;
    ui::IdleDriver& idle = f.frame->Idle();
    f.app.counters.maxIterations = 30000;
    QVERIFY(!idle.IsAsking());
    idle.Start();
    QVERIFY(idle.IsAsking());
    QTRY_VERIFY(f.app.run.limitReached == 1);
    QCOMPARE(f.app.counters.iterationCount, 30001);
    QVERIFY(!idle.IsAsking());
    const long long calls = idle.StepsTaken();
    QTest::qWait(50);
    QCOMPARE(idle.StepsTaken(), calls);  // stopped: no more calls at all

    // A command that changes nothing asks once, finds the limit and stops again.
    f.Trigger(cmd::AppAbout);
    QTRY_VERIFY(!idle.IsAsking());
    QCOMPARE(f.app.counters.iterationCount, 30001);

    // Raising the limit resumes where it stopped.
    f.user.newMaxIterations = 50000;
    f.Trigger(cmd::IterationStatus);
    QTRY_COMPARE(f.app.counters.iterationCount, 50001);
    QTRY_VERIFY(!idle.IsAsking());

    // A new quilt starts over.
    f.Trigger(cmd::RandomNewQuilt);
    QTRY_VERIFY(f.app.counters.iterationCount > 5000);
}

void MainWindowTest::idleStepsMatchDirectSteps()
{
    // Stepping in idle time gives the same quilt as stepping directly.
    Fixture direct;
    direct.app.counters.maxIterations = 30000;
    while (!direct.app.run.limitReached) direct.app.OnIdle();
    Fixture driven;
    driven.app.counters.maxIterations = 30000;
    driven.frame->Idle().Start();
    QTRY_VERIFY(driven.app.run.limitReached == 1);
    QVERIFY(QuiltState(driven.app) == QuiltState(direct.app));
}

void MainWindowTest::stepsDoNotNestInsideModalLoops()
{
    Fixture f;
    ui::IdleDriver& idle = f.frame->Idle();
    // A quilt counting only a few cells at its first check restarts through
    // the converged message, a modal dialog opened from within a step.
    f.app.run.useRandomSettings = 0;
    f.app.counters.iterationCount = 9990;
    int stepsInside = -1;
    long long callsInside = -1;
    f.user.onConverged = [&] {
        // A reset inside the restart flow clears the application's own guard.
        f.app.run.idleBusy = 0;
        const int iterations = f.app.counters.iterationCount;
        const long long calls = idle.StepsTaken();
        QTest::qWait(100);  // the dialog's event loop
        stepsInside = f.app.counters.iterationCount - iterations;
        callsInside = idle.StepsTaken() - calls;
    };
    idle.Start();
    QTRY_COMPARE(f.user.Asked("converged"), 1);
    QCOMPARE(stepsInside, 0);
    QCOMPARE(callsInside, 0LL);
    QCOMPARE(f.app.counters.restarts, 1);
    QCOMPARE(f.user.Asked("square"), 1);  // then the new-quilt dialog
    QTRY_VERIFY(f.app.counters.iterationCount > 1000);
    QVERIFY(idle.IsAsking());

    // Nor while a command's dialog is open.
    f.user.onConverged = nullptr;
    int during = -1;
    class PeriodDialogUser : public TestInteraction {
    public:
        std::function<void()> whileOpen;
        bool AskViewPeriod(ViewPeriodFields& fields) override
        {
            whileOpen();
            return TestInteraction::AskViewPeriod(fields);
        }
    } periodUser;
    periodUser.whileOpen = [&] {
        const int before = f.app.counters.iterationCount;
        QTest::qWait(60);
        during = f.app.counters.iterationCount - before;
    };
    f.app.ui = &periodUser;
    f.Trigger(cmd::SetViewPeriod);
    QCOMPARE(during, 0);
    QVERIFY(idle.IsAsking());
    const int after = f.app.counters.iterationCount;
    QTRY_VERIFY(f.app.counters.iterationCount > after);
}

namespace {

// The progress pane's text: count, limit and whether it says stopped. Digits
// are read whatever the locale's group separator.
struct Progress {
    long long count = -1, limit = -1;
    bool stopped = false;
};

Progress ShownProgress(const CMainFrame& frame)
{
    static const QRegularExpression form(QStringLiteral("^(\\S+) / (\\S+)( \\(stopped\\))?$"));
    static const QRegularExpression nonDigits(QStringLiteral("\\D"));
    const QString text = frame.ProgressPane()->text();
    QRegularExpressionMatch m = form.match(text);
    Progress p;
    if (!m.hasMatch()) return p;
    p.count = m.captured(1).remove(nonDigits).toLongLong();
    p.limit = m.captured(2).remove(nonDigits).toLongLong();
    p.stopped = m.hasCaptured(3);
    return p;
}

void ShowAndWait(Fixture& f)
{
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
}

}  // namespace

void MainWindowTest::progressPaneShowsCountAgainstLimit()
{
    Fixture f;
    ShowAndWait(f);
    QProgressBar* pane = f.frame->ProgressPane();
    // Its own pane between the message pane and the key indicators, wide enough for its text.
    QVERIFY(pane->x() > f.frame->MessagePane()->x());
    QVERIFY(pane->x() + pane->width() <= f.frame->Indicator(0)->x());
    QVERIFY(pane->width() >= pane->fontMetrics().horizontalAdvance(pane->text()));
    Progress p = ShownProgress(*f.frame);
    QCOMPARE(p.count, 0LL);
    QCOMPARE(p.limit, 3500000LL);
    QVERIFY(!p.stopped);

    // While generating it follows the count, well before the limit.
    f.frame->Idle().Start();
    QTRY_VERIFY(ShownProgress(*f.frame).count > 0);
    p = ShownProgress(*f.frame);
    QVERIFY(!p.stopped);
    QVERIFY(p.count <= f.app.counters.iterationCount);
    QCOMPARE(pane->value(), static_cast<int>(p.count));

    // A lowered limit stops the generation; the pane says so and shows the full bar.
    f.user.newMaxIterations = 40000;
    f.Trigger(cmd::IterationStatus);
    QTRY_VERIFY(ShownProgress(*f.frame).stopped);
    p = ShownProgress(*f.frame);
    QCOMPARE(p.count, static_cast<long long>(f.app.counters.iterationCount));
    QCOMPARE(p.limit, 40000LL);
    QVERIFY(p.count > p.limit);
    QCOMPARE(pane->value(), pane->maximum());

    // A raised limit shows at once, and the count follows it up to the new limit.
    const long long stoppedAt = p.count;
    f.user.newMaxIterations = static_cast<std::uint32_t>(stoppedAt + 60000);
    f.Trigger(cmd::IterationStatus);
    p = ShownProgress(*f.frame);
    QCOMPARE(p.limit, stoppedAt + 60000);
    QVERIFY(!p.stopped);
    QTRY_VERIFY(ShownProgress(*f.frame).stopped);
    p = ShownProgress(*f.frame);
    QCOMPARE(p.count, stoppedAt + 60001);
    QCOMPARE(p.limit, stoppedAt + 60000);

    // A new quilt starts the count over.
    f.Trigger(cmd::RandomNewQuilt);
    p = ShownProgress(*f.frame);
    QVERIFY(!p.stopped);
    QVERIFY(p.count < stoppedAt);
}

void MainWindowTest::studioExportRendersInTheBackgroundAndPreviewIsRemembered()
{
    {
        Fixture f;
        f.Steps(50000);
        ui::StudioExportRequest r;
        r.renderSpec.width = 96;
        r.renderSpec.samplesPerPixel = 2;
        r.look.colormap = "magma";
        r.period = 2;
        r.path = f.File("studio.png");
        f.studioAnswer = r;
        const int before = f.app.counters.iterationCount;
        f.Trigger(cmd::ExportStudioImage);
        QVERIFY(f.frame->StudioExporting());
        QTRY_VERIFY_WITH_TIMEOUT(!f.frame->StudioExporting(), 20000);
        QImage written(r.path);
        QCOMPARE(written.size(), QSize(192, 192));
        QCOMPARE(f.app.counters.iterationCount, before);  // the render read a copy and changed nothing
        QCOMPARE(f.frame->StudioLook().colormap, std::string("magma"));  // the look chosen is the desktop's now
        {
            // The picture carries the quilt it shows.
            QFile file(r.path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            std::string error;
            const auto note = studio::ReadPictureNote(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                      static_cast<std::size_t>(bytes.size()), error);
            QVERIFY2(note && !note->session.empty(), error.c_str());
        }

        // Cancel leaves no file behind.
        r.renderSpec.width = 4096;
        r.renderSpec.samplesPerPixel = 100;
        r.path = f.File("cancelled.png");
        f.studioAnswer = r;
        f.Trigger(cmd::ExportStudioImage);
        f.frame->CancelStudioExport();
        QVERIFY(!f.frame->StudioExporting());
        // Nothing is left: neither the picture nor the writer's unfinished file.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).filter("cancelled").isEmpty(),
                                 2000);
        QVERIFY(!QFile::exists(r.path));

        f.Trigger(cmd::StudioPreview);
        QTRY_VERIFY_WITH_TIMEOUT(f.frame->View().ShowsPreview(), 5000);
        QVERIFY(f.frame->Action(cmd::StudioPreview)->isChecked());
        // A window opened later on the same profile starts with the preview on.
        CMainFrame reopened(f.app, *f.settings);
        QVERIFY(reopened.StudioPreview());
    }
    Fixture fresh;
    QVERIFY(!fresh.frame->StudioPreview());
}

// Each change of the look in the export dialog brings a new preview, and the
// look the controls show is the one asked for.
void MainWindowTest::studioExportDialogPreviewsEachLook()
{
    Fixture f;
    f.Steps(20000);
    ui::StudioExportRequest r;
    r.path = f.File("look.png");
    ui::StudioExportDialog dialog(r, {}, nullptr, f.app.TakeSnapshot());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.PreviewsShown() >= 1, 20000);
    studio::Look look;
    look.colormap = "magma";
    look.colorBy = studio::ColorBy::Direction;
    look.tone.exposure = 1.5;
    look.denoise.on = false;
    look.oversample = 2;
    look.bitDepth = 16;
    dialog.SetLook(look);
    QCOMPARE(dialog.Look(), look);
    QCOMPARE(dialog.Request().look, look);
    const int shown = dialog.PreviewsShown();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.PreviewsShown() > shown, 20000);
}

void MainWindowTest::studioExportNeverReplacesAFileUnasked()
{
    Fixture f;
    QFile(f.File("q.png")).open(QIODevice::WriteOnly);
    QFile(f.File("q-2.png")).open(QIODevice::WriteOnly);
    QCOMPARE(ui::FreshFileName(f.File("q.png")), f.File("q-3.png"));
    QCOMPARE(ui::FreshFileName(f.File("new.png")), f.File("new.png"));

    // An existing file is replaced only on Yes; a folder that is not there is refused at once.
    ui::StudioExportRequest r;
    const auto answer = [&](const QString& path, QMessageBox::StandardButton button) {
        r.path = path;
        ui::StudioExportDialog dialog(r, {});
        QString asked;
        QTimer::singleShot(0, &dialog, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            asked = box->text();
            box->button(box->standardButtons() & QMessageBox::Yes ? button : QMessageBox::Ok)->click();
        });
        dialog.accept();
        return std::pair{dialog.result() == QDialog::Accepted, asked};
    };
    auto [accepted, asked] = answer(f.File("q.png"), QMessageBox::No);
    QVERIFY(!accepted);
    QCOMPARE(asked, QStringLiteral("q.png already exists.\nDo you want to replace it?"));
    QVERIFY(answer(f.File("q.png"), QMessageBox::Yes).first);
    std::tie(accepted, asked) = answer(f.File("missing/q.png"), QMessageBox::Ok);
    QVERIFY(!accepted);
    QVERIFY2(asked.contains(QStringLiteral("does not exist")), qPrintable(asked));
    QVERIFY(answer(f.File("q-3.png"), QMessageBox::Ok).first);
}

void MainWindowTest::largeStudioPreviewLeavesTheEventLoopTurning()
{
    Fixture f;
    f.Steps(200000);
    f.frame->resize(2400, 2400);
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    int ticks = 0, ticksBeforePreview = -1;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(1);
    f.Trigger(cmd::StudioPreview);
    // The command is back in the event loop before the preview exists...
    QVERIFY(!f.frame->View().ShowsPreview());
    QVERIFY(f.frame->PreviewRunner().Busy());
    // ...and the loop goes on turning while it is developed.
    QTRY_VERIFY_WITH_TIMEOUT(f.frame->View().ShowsPreview() && (ticksBeforePreview = ticks) >= 0, 10000);
    QVERIFY2(ticksBeforePreview > 0, "no timer event while the preview was developed");
    // A preview of a closed window never lands.
    f.frame->resize(2000, 2000);
    f.Trigger(cmd::StudioPreview);  // off
    f.Trigger(cmd::StudioPreview);  // on again
    f.frame->close();
    QTRY_VERIFY_WITH_TIMEOUT(!f.frame->PreviewRunner().Busy(), 10000);
    QCoreApplication::processEvents();
    QVERIFY(!f.frame->View().ShowsPreview());
}

void MainWindowTest::autoRebuildIsAnOptionalLastViewItem()
{
    Fixture f;
    QAction* toggle = f.frame->Action(cmd::AutoRebuild);
    QVERIFY(toggle);
    QVERIFY(toggle->isCheckable());
    QVERIFY(!toggle->isChecked());
    QVERIFY(!f.frame->AutoRebuild());
    QVERIFY(toggle->isEnabled());
    QVERIFY(!toggle->statusTip().isEmpty());
    QCOMPARE(f.frame->Router().Route(cmd::AutoRebuild), CommandHandler::Frame);

    // The View menu keeps its two items; the toggle follows after a separator,
    // and it appears nowhere else.
    const QList<QAction*> tops = f.frame->menuBar()->actions();
    for (QAction* top : tops) {
        const QList<QAction*> items = top->menu()->actions();
        if (top->text() != QStringLiteral("&View")) {
            QVERIFY(!items.contains(toggle));
            continue;
        }
        QCOMPARE(items.size(), 6);
        QCOMPARE(items[0]->data().toInt(), cmd::ViewToolbar);
        QCOMPARE(items[1]->data().toInt(), cmd::ViewStatusBar);
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[3], toggle);
        QCOMPARE(items[4]->data().toInt(), cmd::StudioPreview);
    }
    QVERIFY(!f.frame->ToolBar()->actions().contains(toggle));

    f.Trigger(cmd::AutoRebuild);
    QVERIFY(toggle->isChecked() && f.frame->AutoRebuild());
    f.Trigger(cmd::AutoRebuild);
    QVERIFY(!toggle->isChecked() && !f.frame->AutoRebuild());
}

void MainWindowTest::autoRebuildOffLeavesTheViewAlone()
{
    Fixture f;
    ShowAndWait(f);
    f.frame->SetAutoRebuildInterval(std::chrono::milliseconds(0));
    f.frame->Idle().SetProgressInterval(std::chrono::microseconds(0));
    f.app.counters.maxIterations = 300000;
    f.frame->Idle().Start();
    QTRY_VERIFY(f.app.run.limitReached == 1);
    QTest::qWait(50);
    QCOMPARE(f.frame->View().rebuildImage, 0);
    QCOMPARE(f.app.image.imageBuilt, 0);
}

void MainWindowTest::autoRebuildRebuildsOnlyWhileGenerating()
{
    Fixture f;
    ShowAndWait(f);
    ui::IdleDriver& idle = f.frame->Idle();
    ui::CTilvexView& view = f.frame->View();
    f.frame->SetAutoRebuildInterval(std::chrono::milliseconds(20));
    idle.SetProgressInterval(std::chrono::milliseconds(5));
    f.app.counters.maxIterations = 500000000;
    f.Trigger(cmd::AutoRebuild);
    idle.Start();

    // The image gets built with no Rebuild command, and again as the quilt grows.
    QTRY_COMPARE(f.app.image.imageBuilt, 1);
    QVERIFY(!f.app.run.limitReached);
    for (int round = 0; round < 2; ++round) {
        const long long steps = idle.StepsTaken();
        f.app.image.imageBuilt = 0;
        QTRY_COMPARE(f.app.image.imageBuilt, 1);
        QVERIFY(idle.StepsTaken() > steps);
    }

    // Stopping rebuilds once more with the final counts ...
    f.user.newMaxIterations = 1;
    f.Trigger(cmd::IterationStatus);
    QTRY_VERIFY(f.app.run.limitReached == 1 && !idle.IsAsking());
    QTRY_COMPARE(view.rebuildImage, 0);
    const std::vector<std::uint8_t> shown = f.app.image.imageMemory;
    f.app.BuildImage();
    QVERIFY(f.app.image.imageMemory == shown);

    // ... and then no more, not even after a command that wakes the generation.
    f.app.image.imageBuilt = 0;
    QTest::qWait(100);
    f.Trigger(cmd::AppAbout);
    QTRY_VERIFY(!idle.IsAsking());
    QTest::qWait(100);
    QCOMPARE(f.app.image.imageBuilt, 0);
    QCOMPARE(view.rebuildImage, 0);

    // A raised limit resumes both; switched off, the rebuilds end while generation goes on.
    f.user.newMaxIterations = 500000000;
    f.Trigger(cmd::IterationStatus);
    QTRY_COMPARE(f.app.image.imageBuilt, 1);
    f.Trigger(cmd::AutoRebuild);
    QTRY_COMPARE(view.rebuildImage, 0);
    f.app.image.imageBuilt = 0;
    const long long steps = idle.StepsTaken();
    QTest::qWait(100);
    QVERIFY(idle.StepsTaken() > steps);
    QCOMPARE(f.app.image.imageBuilt, 0);
    QCOMPARE(view.rebuildImage, 0);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
