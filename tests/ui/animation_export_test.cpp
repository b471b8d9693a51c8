#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/CommandTable.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "motion/VideoEncoder.h"
#include "ui/AnimationExport.h"
#include "ui/MainFrame.h"

using namespace tilvex;

class AnimationExportTest : public QObject {
    Q_OBJECT
private slots:
    void exportsFromTheCurrentQuiltToALaterOneInTheBackground();
};

// The dialog stays beside the window while the quilt changes; its end key
// takes the later quilt; the clip renders while the event loop turns and
// decodes to its frames; a cancelled clip leaves nothing.
void AnimationExportTest::exportsFromTheCurrentQuiltToALaterOneInTheBackground()
{
    QTemporaryDir dir;
    CTilvexApp app(7.0);
    AcceptingInteraction user;
    app.ui = &user;
    app.InitInstance(1ull << 33);
    RunSteps(app, 50000);
    QSettings settings(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    for (auto [key, value] : {std::pair{"Size", 48.0}, {"SamplesPerPixel", 2.0}, {"Seconds", 0.5}, {"Fps", 8.0}})
        settings.setValue(QStringLiteral("Animation/") + key, value);
    ui::CMainFrame frame(app, settings);
    frame.Action(cmd::ExportAnimation)->trigger();
    ui::AnimationExportDialog* dialog = frame.Animation().Dialog();
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    const std::string first = app.QuiltName();

    NewQuilt(app, NewQuiltRequest{});
    RunSteps(app, 50000);
    QVERIFY(app.QuiltName() != first);
    dialog->findChild<QPushButton*>(QStringLiteral("useCurrent1"))->click();
    QCOMPARE(dialog->Request().start.quilt->quiltName, first);
    QCOMPARE(dialog->Request().end.quilt->quiltName, app.QuiltName());

    const QString path = dir.filePath(QStringLiteral("clip.webm"));
    dialog->findChild<QLineEdit*>()->setText(path);
    ui::AnimationRequest big = dialog->Request();  // OK closes the dialog for good
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(1);
    dialog->accept();
    QVERIFY(frame.Animation().Exporting());
    QTRY_VERIFY_WITH_TIMEOUT(!frame.Animation().Exporting(), 30000);
    QVERIFY2(ticks > 0, "no timer event while the clip was rendered");
    QCOMPARE(frame.Animation().LastError(), QString());
    const motion::VideoProbe probe = motion::ProbeVideo(path.toStdString());
    QCOMPARE(probe.frames, 4);
    QCOMPARE(probe.width, 48);

    big.renderSpec.width = 2000;
    big.renderSpec.samplesPerPixel = 100;
    big.path = dir.filePath(QStringLiteral("cancelled.mp4"));
    frame.Animation().Render(big);
    frame.Animation().Cancel();
    QVERIFY(!frame.Animation().Exporting());
    QTRY_VERIFY_WITH_TIMEOUT(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter("cancelled").isEmpty(), 5000);
}

QTEST_MAIN(AnimationExportTest)
#include "animation_export_test.moc"
