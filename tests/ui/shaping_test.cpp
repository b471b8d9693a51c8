#include <QDoubleSpinBox>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "core/CommandTable.h"
#include "engine/QuiltCoefficients.h"
#include "engine/PreviewPasses.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "tests/ui/TestInteraction.h"
#include "ui/MainFrame.h"
#include "ui/ProgressivePreview.h"
#include "ui/QuiltShaping.h"
#include "ui/TilvexView.h"

using namespace tilvex;

class ShapingTest : public QObject {
    Q_OBJECT
private slots:
    void aStoppedPreviewNeverPaintsOverANewerOne();
    void aSliderDragIsOneStepThatUndoAndRedoWalk();
};

void ShapingTest::aStoppedPreviewNeverPaintsOverANewerOne()
{
    CTilvexApp app(3.0);
    QVERIFY(app.InitInstance(1ull << 32));
    std::vector<std::shared_ptr<const QuiltSnapshot>> quilts;
    for (QuiltKind kind : {QuiltKind::Square, QuiltKind::Hex, QuiltKind::FourEightEight}) {
        NewQuiltRequest r;
        r.kind = kind;
        NewQuilt(app, r);
        quilts.push_back(app.TakeSnapshot());
    }
    ui::ProgressivePreview preview;
    std::vector<std::pair<std::uint64_t, double>> shown;
    preview.shown = [&](const QImage&, std::uint64_t request, double spp) { shown.emplace_back(request, spp); };

    // A drag: many requests at once, then one after the first pictures of another.
    for (int i = 0; i < 12; ++i) preview.Show(quilts[i % 3], 400, studio::Look{});
    QTRY_VERIFY_WITH_TIMEOUT(!shown.empty(), 60000);
    preview.Show(quilts[1], 96, studio::Look{});
    const std::uint64_t last = preview.Request();
    const std::size_t before = shown.size();
    QTRY_VERIFY_WITH_TIMEOUT(!preview.Busy() && !shown.empty() && shown.back().first == last, 60000);
    QTest::qWait(50);
    for (std::size_t i = 0; i < before; ++i) QCOMPARE(shown[i].first, std::uint64_t{12});
    for (std::size_t i = before; i < shown.size(); ++i) QCOMPARE(shown[i].first, last);
    // Coarse first, sharpening to the full 16 samples per pixel.
    QVERIFY(shown[before].second < 1.0);
    QCOMPARE(shown.back().second, kPreviewSamplesPerPixel);
}

void ShapingTest::aSliderDragIsOneStepThatUndoAndRedoWalk()
{
    QTemporaryDir dir;
    CTilvexApp app(5.0);
    test::TestInteraction user;
    ScopedInteraction scoped(app, user);
    QVERIFY(app.InitInstance(1ull << 32));
    QSettings settings(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    ui::CMainFrame frame(app, settings);
    frame.show();
    NewQuiltRequest hex;
    hex.kind = QuiltKind::Hex;
    frame.Router().Run([&] { NewQuilt(app, hex); });  // a menu-made quilt is a step too
    QVERIFY(frame.Action(cmd::QuiltUndo)->isEnabled());

    frame.Action(cmd::ShowParameters)->trigger();
    ui::ParameterDock& dock = frame.Shaping().Dock();
    QVERIFY(dock.isVisible() && frame.Action(cmd::ShowParameters)->isChecked());
    const ParameterTable& table = ParametersFor(FormOf(app));
    const std::size_t alpha = *table.Find("alpha.re");
    const double start = table.Get(app.maps, alpha);
    const std::string name = app.QuiltName();

    QSlider* slider = dock.Slider(alpha);
    emit slider->sliderPressed();
    slider->setValue(100);
    slider->setValue(900);
    emit slider->sliderReleased();
    const double dragged = table.Get(app.maps, alpha);
    QCOMPARE(dock.Spin(alpha)->value(), dragged);
    QVERIFY(std::abs(dragged - 0.08) < 1e-9);
    QVERIFY(app.QuiltName() != name);
    QTRY_VERIFY_WITH_TIMEOUT(frame.View().ShowsPreview(), 60000);

    frame.Action(cmd::QuiltUndo)->trigger();  // the whole drag at once
    QCOMPARE(table.Get(app.maps, alpha), start);
    QCOMPARE(app.QuiltName(), name);
    QCOMPARE(dock.Spin(alpha)->value(), start);
    frame.Action(cmd::QuiltUndo)->trigger();  // the new hex quilt
    QCOMPARE(FormOf(app).kind, QuiltKind::Square);
    QVERIFY(!frame.Action(cmd::QuiltUndo)->isEnabled());
    frame.Action(cmd::QuiltRedo)->trigger();
    frame.Action(cmd::QuiltRedo)->trigger();
    QCOMPARE(table.Get(app.maps, alpha), dragged);
    QVERIFY(!frame.Action(cmd::QuiltRedo)->isEnabled());
}

QTEST_MAIN(ShapingTest)
#include "shaping_test.moc"
