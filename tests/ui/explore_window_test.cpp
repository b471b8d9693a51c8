#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/CommandTable.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "explore/Gallery.h"
#include "tests/ui/TestInteraction.h"
#include "ui/ExploreWindow.h"
#include "ui/MainFrame.h"

using namespace tilvex;

namespace {

constexpr int kBudget = 60000;

struct Fixture {
    Fixture()
    {
        app = std::make_unique<CTilvexApp>(7.0);
        scoped = std::make_unique<ScopedInteraction>(*app, user);
        app->InitInstance(1ull << 33);
        settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        frame = std::make_unique<ui::CMainFrame>(*app, *settings);
        frame->show();
        frame->Idle().Start();
    }

    // Opens the window from the Quilt menu and starts it over on small quilts.
    ui::ExploreWindow* OpenExplorer(const char* kind)
    {
        frame->Action(cmd::ExploreGallery)->trigger();
        ui::ExploreWindow* explorer = frame->Explorer();
        if (!explorer) return nullptr;
        GalleryRequest request;
        request.kind = kind;
        request.baseSeed = 300;
        request.maxIterations = kBudget;
        explorer->Restart(request);
        return explorer;
    }

    QTemporaryDir dir;
    test::TestInteraction user;
    std::unique_ptr<CTilvexApp> app;
    std::unique_ptr<ScopedInteraction> scoped;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<ui::CMainFrame> frame;
};

}  // namespace

class ExploreWindowTest : public QObject {
    Q_OBJECT
private slots:
    void thumbnailsArriveBestFirstAndOpenMakesTheQuiltCurrent();
    void morePagesAndTheKindFilter();
    void closingStopsTheWork();
};

void ExploreWindowTest::thumbnailsArriveBestFirstAndOpenMakesTheQuiltCurrent()
{
    Fixture f;
    ui::ExploreWindow* explorer = f.OpenExplorer("square");
    QVERIFY(explorer);
    QVERIFY(QTest::qWaitForWindowExposed(explorer));
    QCOMPARE(explorer->windowTitle(), QStringLiteral("Explore Gallery"));
    QListWidget* grid = explorer->Grid();
    QTRY_VERIFY_WITH_TIMEOUT(grid->count() == ui::ExploreWindow::kPageSize && !explorer->IsWorking(), 300000);
    for (int row = 0; row < grid->count(); ++row) {
        if (row > 0) {
            const int score = ui::ExploreWindow::kScoreRole;
            QVERIFY(grid->item(row - 1)->data(score).toDouble() >= grid->item(row)->data(score).toDouble());
        }
        QVERIFY(!grid->item(row)->icon().isNull());
        QVERIFY(grid->item(row)->text().startsWith(QStringLiteral("Qs")));
        // Each shows its score under its name.
        const double score = grid->item(row)->data(ui::ExploreWindow::kScoreRole).toDouble();
        QCOMPARE(grid->item(row)->text(), grid->item(row)->data(ui::ExploreWindow::kNameRole).toString() +
                                              QStringLiteral("\n") + QString::number(score, 'f', 3));
    }

    // Open, then generation goes on from the chosen quilt's own state.
    QVERIFY(!explorer->OpenButton()->isEnabled());
    grid->setCurrentRow(2);
    QVERIFY(explorer->OpenButton()->isEnabled());
    const QString chosen = grid->item(2)->data(ui::ExploreWindow::kNameRole).toString();
    QTest::mouseClick(explorer->OpenButton(), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(f.app->QuiltName()), chosen);
    QCOMPARE(f.app->counters.iterationCount, kBudget + 1);
    QTRY_VERIFY_WITH_TIMEOUT(f.app->counters.iterationCount > kBudget + 20000, 60000);
    QVERIFY(f.user.messages.empty());

    // A double click (press, release, double click) opens too.
    const QPoint cell = grid->visualItemRect(grid->item(0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(QString::fromStdString(f.app->QuiltName()), grid->item(0)->data(ui::ExploreWindow::kNameRole).toString());
}

void ExploreWindowTest::morePagesAndTheKindFilter()
{
    Fixture f;
    ui::ExploreWindow* explorer = f.OpenExplorer("hex");
    QListWidget* grid = explorer->Grid();
    QCOMPARE(explorer->KindFilter()->currentText(), QStringLiteral("hex"));
    QTest::mouseClick(explorer->MoreButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(grid->count() == 2 * ui::ExploreWindow::kPageSize && !explorer->IsWorking(), 300000);
    QSet<QString> names;
    for (int row = 0; row < grid->count(); ++row) names.insert(grid->item(row)->text());
    QCOMPARE(names.size(), grid->count());

    explorer->KindFilter()->setCurrentText(QStringLiteral("4-8-8"));
    QTRY_VERIFY_WITH_TIMEOUT(grid->count() > 0, 300000);
    QVERIFY(grid->item(0)->text().startsWith(QStringLiteral("Qe")));
}

void ExploreWindowTest::closingStopsTheWork()
{
    Fixture f;
    ui::ExploreWindow* explorer = f.OpenExplorer("wild-corner");
    GalleryRequest slow;
    slow.kind = "wild-corner";
    slow.maxIterations = 200000000;  // far more than the test waits for
    explorer->Restart(slow);
    QVERIFY(explorer->IsWorking());
    QPointer<ui::ExploreWindow> watched(explorer);
    // Esc closes it, wherever the focus is; that returns once the worker has stopped.
    explorer->Grid()->setFocus();
    QTest::keyClick(explorer->Grid(), Qt::Key_Escape);
    QVERIFY(!explorer->IsWorking());
    QTRY_VERIFY_WITH_TIMEOUT(watched.isNull(), 60000);
    // The main window's quilt goes on.
    const int before = f.app->counters.iterationCount;
    QTRY_VERIFY_WITH_TIMEOUT(f.app->counters.iterationCount > before, 60000);
}

QTEST_MAIN(ExploreWindowTest)
#include "explore_window_test.moc"
