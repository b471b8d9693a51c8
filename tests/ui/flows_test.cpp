// The quilt set-up flows through the program's own dialogs: a scripted user
// answers each modal window as it comes up, by the controls' ids.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "core/DialogRules.h"
#include "core/GridCapacity.h"
#include "engine/TilvexApp.h"
#include "ui/QtInteraction.h"
#include "ui/dialogs/TilvexDialog.h"

using namespace tilvex;
using tilvex::ui::QtInteraction;

namespace {

constexpr std::uint64_t kPlentyOfMemory = 1ull << 32;

template <typename W>
W* Control(QWidget* dialog, int controlId)
{
    return dialog->findChild<W*>(QStringLiteral("control%1").arg(controlId));
}

QString Text(QWidget* dialog, int controlId)
{
    auto* edit = Control<QLineEdit>(dialog, controlId);
    return edit ? edit->text() : QStringLiteral("<no edit %1>").arg(controlId);
}

double Number(QWidget* dialog, int controlId)
{
    bool ok = false;
    const double value = Text(dialog, controlId).toDouble(&ok);
    return ok ? value : qQNaN();
}

// A missing box reads as partially checked, which no step expects.
Qt::CheckState Box(QWidget* dialog, int controlId)
{
    auto* check = Control<QCheckBox>(dialog, controlId);
    return check ? check->checkState() : Qt::PartiallyChecked;
}

// Replaces an edit's whole text the way a user does: select all, type.
void Type(QWidget* dialog, int controlId, const QString& text)
{
    auto* edit = Control<QLineEdit>(dialog, controlId);
    QVERIFY2(edit, qPrintable(QStringLiteral("no edit %1").arg(controlId)));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

// Clicks a check box or radio button on its box.
void Click(QAbstractButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

int pressesScheduled = 0;

// Presses a button once the current answer has returned: a refused entry
// opens a nested message box, which the script must be free to answer.
void Press(QAbstractButton* button)
{
    QVERIFY(button);
    ++pressesScheduled;
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
}

void PressOk(QWidget* dialog) { Press(Control<QPushButton>(dialog, kIdOk)); }
void PressCancel(QWidget* dialog) { Press(Control<QPushButton>(dialog, kIdCancel)); }

// Plays the user. Each scripted step answers the next modal window, which
// must carry the step's name: a dialog's title or a message box's text. A
// window nobody scripted, or a step that fails before pressing a button, is
// cancelled, so a broken flow fails instead of hanging.
class ScriptedUser : public QObject {
public:
    using Action = std::function<void(QWidget*)>;

    ScriptedUser()
    {
        connect(&poll_, &QTimer::timeout, this, &ScriptedUser::Poll);
        poll_.start(5);
    }

    ScriptedUser& Then(const QString& name, Action action)
    {
        steps_.push_back({name, std::move(action)});
        scripted << name;
        return *this;
    }

    // Windows in the order they came up, named as the steps name them.
    QStringList seen;
    QStringList scripted;

private:
    struct Step {
        QString name;
        Action action;
    };

    static QString NameOf(QWidget* window)
    {
        if (auto* box = qobject_cast<QMessageBox*>(window)) return box->text();
        return window->windowTitle();
    }

    static void Dismiss(QWidget* window)
    {
        QTimer::singleShot(0, window, [window] {
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->reject();
            else
                window->close();
        });
    }

    void Poll()
    {
        QWidget* window = QApplication::activeModalWidget();
        // The window answered last stays active until the press has gone through.
        if (!window || window == answered_) return;
        answered_ = window;
        const QString name = NameOf(window);
        seen << name;
        if (steps_.empty() || steps_.front().name != name) {
            Dismiss(window);
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        const int presses = pressesScheduled;
        step.action(window);
        if (pressesScheduled == presses) Dismiss(window);
    }

    QTimer poll_;
    QPointer<QWidget> answered_;
    std::deque<Step> steps_;
};

}  // namespace

class FlowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<QtInteraction> ui_;
    std::unique_ptr<CTilvexApp> app_;
    std::unique_ptr<ScriptedUser> user_;

    // Runs a flow to its end; exactly the scripted windows must have come up, in order.
    template <typename Flow>
    void Play(Flow flow)
    {
        flow();
        const auto played = std::exchange(user_, std::make_unique<ScriptedUser>());
        QCOMPARE(played->seen, played->scripted);
    }

    void MarkCells(int n)
    {
        for (int i = 0; i < n; ++i) app_->grid.Increment(i % app_->grid.width, i / app_->grid.width);
    }

private slots:
    void init()
    {
        ui::CTilvexDialog::SetInvalidInputReporter(nullptr);  // the real message box
        owner_ = std::make_unique<QWidget>();
        ui_ = std::make_unique<QtInteraction>(owner_.get());
        user_ = std::make_unique<ScriptedUser>();
        app_ = std::make_unique<CTilvexApp>(5.0);
        app_->ui = ui_.get();
        QVERIFY(app_->InitInstance(kPlentyOfMemory));
    }

    void cleanup()
    {
        user_.reset();
        app_.reset();
        ui_.reset();
        owner_.reset();
    }

    void squareDialogCarriesTypedValuesIntoTheMap()
    {
        CTilvexApp& app = *app_;
        SqrMap& map = app.maps.square;
        app.run.useRandomSettings = 0;
        map.alpha = 0.11;
        map.beta = -0.22;
        map.gamma = 0.033;
        map.lambda = 0.044;
        map.omega = -0.0055;
        map.emm = -1.0;
        map.shiftX = map.shiftY = 0.5;
        app.ApplyGridWidth(200);
        QCOMPARE(app.counters.maxIterations, 3500000);
        MarkCells(40);
        app.counters.iterationCount = 999;
        app.image.imageBuilt = 1;

        user_->Then("Set Square Quilt ", [](QWidget* d) {
            QCOMPARE(Text(d, 118), QString("0.11"));
            QCOMPARE(Text(d, 103), QString("-0.22"));
            QCOMPARE(Text(d, 104), QString("0.033"));
            QCOMPARE(Text(d, 117), QString("0.044"));
            QCOMPARE(Text(d, 105), QString("-0.0055"));
            QCOMPARE(Text(d, 124), QString("-1"));
            QCOMPARE(Text(d, 120), QString("200"));
            QCOMPARE(Box(d, 106), Qt::Checked);
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            QCOMPARE(Box(d, 166), Qt::Unchecked);
            Type(d, 118, "-0.3");
            Type(d, 103, "0.15");
            Type(d, 104, "0.1");
            Type(d, 117, "-0.125");
            Type(d, 105, "0.0075");
            Type(d, 124, "2");
            Type(d, 120, "300");
            Click(Control<QCheckBox>(d, 106));
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });

        QCOMPARE(map.alpha, -0.3);
        QCOMPARE(map.beta, 0.15);
        QCOMPARE(map.gamma, 0.1);
        QCOMPARE(map.lambda, -0.125);
        QCOMPARE(map.omega, 0.0075);
        QCOMPARE(map.emm, 2.0);
        QCOMPARE(map.shiftX, 0.0);
        QCOMPARE(map.shiftY, 0.0);
        QCOMPARE(int(app.grid.width), 300);
        QCOMPARE(int(app.geometry.gridSize), 300);
        QCOMPARE(app.counters.maxIterations, 31500000);  // 3.00^2 * 3500000
        QCOMPARE(int(app.grid.maxCount), 0);
        QCOMPARE(app.grid.FilledCells(), 0);
        QCOMPARE(app.counters.iterationCount, 0);
        QCOMPARE(app.image.imageBuilt, 0);
        QCOMPARE(app.run.useRandomSettings, 0);
        QCOMPARE(app.detail.detailedSquare, 0);
        QCOMPARE(QString::fromStdString(app.QuiltName()).left(2), QString("Qs"));
    }

    void squareRandomSettingsAndCancel()
    {
        CTilvexApp& app = *app_;
        SqrMap& map = app.maps.square;

        // Random New Quilt draws without asking.
        const double drawnAlpha = map.alpha;
        Play([&] { app.RandomNewQuilt(); });
        QVERIFY(map.alpha != drawnAlpha);

        // Cancel after typing changes nothing.
        app.run.useRandomSettings = 0;
        MarkCells(25);
        app.counters.iterationCount = 4321;
        app.image.imageBuilt = 1;
        const double alpha = map.alpha;
        const Complex point = app.orbit.point;
        const std::string name = app.QuiltName();
        user_->Then("Set Square Quilt ", [](QWidget* d) {
            Type(d, 118, "0.2");
            Type(d, 120, "150");
            Click(Control<QCheckBox>(d, 123));
            Click(Control<QCheckBox>(d, 166));
            PressCancel(d);
        });
        Play([&] { app.SetSquareQuilt(); });
        QCOMPARE(map.alpha, alpha);
        QCOMPARE(int(app.grid.width), 100);
        QCOMPARE(app.grid.FilledCells(), 25);
        QCOMPARE(app.counters.iterationCount, 4321);
        QCOMPARE(app.image.imageBuilt, 1);
        QCOMPARE(app.run.useRandomSettings, 0);
        QCOMPARE(app.detail.detailedSquare, 0);
        QCOMPARE(app.orbit.point, point);
        QCOMPARE(app.QuiltName(), name);

        // Ticked random settings discard the typed coefficients, not the width.
        user_->Then("Set Square Quilt ", [](QWidget* d) {
            Type(d, 118, "0.3333");
            Type(d, 117, "0.1999");
            Type(d, 120, "250");
            Click(Control<QCheckBox>(d, 123));
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });
        QVERIFY(map.alpha != 0.3333);
        QVERIFY(map.lambda != 0.1999);
        QCOMPARE(int(app.grid.width), 250);
        QCOMPARE(app.run.useRandomSettings, 1);
        QCOMPARE(app.counters.iterationCount, 0);

        // The box shows the setting the next time.
        user_->Then("Set Square Quilt ", [](QWidget* d) {
            QCOMPARE(Box(d, 123), Qt::Checked);
            QCOMPARE(Text(d, 120), QString("250"));
            PressCancel(d);
        });
        Play([&] { app.SetSquareQuilt(); });
    }

    void squareDetailBoxLeadsOnToTheCoefficientDialogOnce()
    {
        CTilvexApp& app = *app_;
        SqrMap& map = app.maps.square;
        app.run.useRandomSettings = 0;
        map.SetCoef(0, 0, 0.0625);
        map.SetCoef(2, 5, -0.375);
        map.SetCoef(5, 0, 0.125);
        map.shiftX = map.shiftY = 0.0;

        user_->Then("Set Square Quilt ", [](QWidget* d) {
            QCOMPARE(Box(d, 106), Qt::Unchecked);
            Click(Control<QCheckBox>(d, 166));
            PressOk(d);
        });
        user_->Then("All Coificients Dialog", [](QWidget* d) {
            // Column i, row j of the grid.
            QCOMPARE(Text(d, 137), QString("0.0625"));
            QCOMPARE(Text(d, 131), QString("-0.375"));
            QCOMPARE(Text(d, 159), QString("0.125"));
            QCOMPARE(Text(d, 165), QString("6"));
            QCOMPARE(Text(d, 120), QString("100"));
            QCOMPARE(Box(d, 166), Qt::Checked);
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            QCOMPARE(Box(d, 106), Qt::Unchecked);
            Type(d, 131, "0.25");
            Type(d, 164, "-0.0125");
            Type(d, 165, "4");
            Click(Control<QCheckBox>(d, 106));
            Click(Control<QCheckBox>(d, 166));
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });

        QCOMPARE(app.detail.detailedSquare, 0);
        QCOMPARE(map.detailed, 0);
        QCOMPARE(map.Coef(2, 5), 0.25);
        QCOMPARE(map.Coef(5, 5), -0.0125);
        QCOMPARE(map.Coef(0, 0), 0.0625);
        QCOMPARE(int(app.detail.squareDetailDepth), 4);
        QCOMPARE(int(map.depth), 4);
        QCOMPARE(map.shiftX, 0.5);
    }

    void hexDialogsFillAndTakeTheirFields()
    {
        CTilvexApp& app = *app_;
        HexMap& map = app.maps.hex;
        app.kindFlags.Clear();
        app.kindFlags.kindHex = 1;
        app.run.useRandomSettings = 0;
        map.alpha = {0.01, -0.02};
        map.lambda = {0.03, 0.04};
        map.hEmm = 1.0;
        map.hAlpha = -0.05;

        user_->Then("Set Hex Quilt ", [](QWidget* d) {
            QCOMPARE(Text(d, 201), QString("0.01"));
            QCOMPARE(Text(d, 202), QString("-0.02"));
            QCOMPARE(Text(d, 199), QString("0.03"));
            QCOMPARE(Text(d, 200), QString("0.04"));
            QCOMPARE(Text(d, 204), QString("1"));
            QCOMPARE(Text(d, 203), QString("-0.05"));
            QCOMPARE(Text(d, 120), QString("100"));
            QCOMPARE(Box(d, 167), Qt::Unchecked);
            QCOMPARE(Box(d, 229), Qt::Unchecked);
            Type(d, 201, "0.05");
            Type(d, 202, "-0.07");
            Type(d, 199, "0.1");
            Type(d, 200, "0.15");
            Type(d, 204, "0");
            Type(d, 203, "-0.1");
            Type(d, 120, "210");
            Click(Control<QCheckBox>(d, 229));
            Click(Control<QCheckBox>(d, 167));
            PressOk(d);
        });
        user_->Then("Hex Detailing Coificents", [&app](QWidget* d) {
            const Complex first = app.maps.hex.GetDetailCoefficient(0);
            const Complex last = app.maps.hex.GetDetailCoefficient(11);
            QCOMPARE(Number(d, 230), first.re);
            QCOMPARE(Number(d, 231), first.im);
            QCOMPARE(Number(d, 250), last.re);
            QCOMPARE(Number(d, 253), last.im);
            QCOMPARE(Text(d, 120), QString("210"));
            QCOMPARE(Text(d, 262), QString("11"));
            QCOMPARE(Box(d, 229), Qt::Checked);
            QCOMPARE(Box(d, 166), Qt::Checked);
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            Type(d, 230, "0.02");
            Type(d, 231, "0.03");
            Type(d, 250, "-0.04");
            Type(d, 253, "0.05");
            Type(d, 262, "6");
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });

        QCOMPARE(app.kindFlags.kindHex, 1);
        QCOMPARE(map.alpha.re, 0.05);
        QCOMPARE(map.alpha.im, -0.07);
        QCOMPARE(map.lambda.re, 0.1);
        QCOMPARE(map.lambda.im, 0.15);
        QCOMPARE(map.hEmm, 0.0);
        QCOMPARE(map.hAlpha, -0.1);
        QCOMPARE(app.detail.hexKnot, 1);
        QCOMPARE(map.knot, 1);
        QCOMPARE(int(app.grid.width), 210);
        QCOMPARE(app.geometry.gridScale, 210.0);
        QCOMPARE(app.geometry.tileWidth, map.tileWidth);
        QCOMPARE(app.detail.detailedHex, 1);
        QCOMPARE(map.detailed, 1);
        QCOMPARE(app.detail.hexDetailDepth, 6);
        QCOMPARE(map.depth, 6);
        QCOMPARE(map.GetDetailCoefficient(0).re, 0.02);
        QCOMPARE(map.GetDetailCoefficient(0).im, 0.03);
        QCOMPARE(map.GetDetailCoefficient(11).re, -0.04);
        QCOMPARE(map.GetDetailCoefficient(11).im, 0.05);
        QCOMPARE(QString::fromStdString(app.QuiltName()).left(2), QString("Qh"));
    }

    void detailedHexGoesOnUnlessRandomSettingsAreTicked()
    {
        CTilvexApp& app = *app_;
        app.kindFlags.Clear();
        app.kindFlags.kindHex = 1;
        app.detail.detailedHex = app.maps.hex.detailed = 1;
        app.run.useRandomSettings = 0;
        MarkCells(30);
        app.counters.iterationCount = 54321;
        const Complex point = app.orbit.point;

        user_->Then("Hex Detailing Coificents", [](QWidget* d) {
            QCOMPARE(Box(d, 166), Qt::Checked);
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            Type(d, 240, "0.015");
            Type(d, 241, "-0.025");
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });
        QCOMPARE(app.counters.iterationCount, 54321);
        QCOMPARE(app.grid.FilledCells(), 30);
        QCOMPARE(app.orbit.point, point);
        QCOMPARE(app.maps.hex.GetDetailCoefficient(5).re, 0.015);
        QCOMPARE(app.maps.hex.GetDetailCoefficient(5).im, -0.025);

        user_->Then("Hex Detailing Coificents", [](QWidget* d) {
            QCOMPARE(Number(d, 240), 0.015);
            QCOMPARE(Number(d, 241), -0.025);
            Type(d, 240, "0.045");
            Type(d, 241, "0.035");
            Click(Control<QCheckBox>(d, 123));
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });
        QCOMPARE(app.counters.iterationCount, 0);
        QCOMPARE(app.grid.FilledCells(), 0);
        QVERIFY(app.maps.hex.GetDetailCoefficient(5) != Complex(0.045, 0.035));
        QCOMPARE(app.run.useRandomSettings, 1);
        QCOMPARE(app.detail.detailedHex, 1);
    }

    void wildCornerRefusesAnOutOfRangeCornerUntilCorrected()
    {
        CTilvexApp& app = *app_;
        WildCornerMap& map = app.maps.wildCorner;
        app.kindFlags.Clear();
        app.kindFlags.kindWildCorner = 1;
        app.RandomNewQuilt();
        app.run.useRandomSettings = 0;
        app.counters.iterationCount = 2222;
        MarkCells(12);
        const int corner = map.cornerN;
        const QString refusal = "Please enter an integer between 3 and 42.";

        user_->Then("Corner Wild Coificents", [&](QWidget* d) {
            QCOMPARE(Text(d, 266), QString::number(corner));
            QCOMPARE(Text(d, 267), QString("11"));
            QCOMPARE(Text(d, 120), QString("100"));
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            QCOMPARE(Number(d, 232), map.GetCoefficient(1).re);
            QCOMPARE(Number(d, 233), map.GetCoefficient(1).im);
            Type(d, 266, "43");
            PressOk(d);
        });
        user_->Then(refusal, [&](QWidget* box) {
            // The flow is still waiting on its dialog.
            QCOMPARE(map.cornerN, corner);
            auto* dialog = qobject_cast<ui::CTilvexDialog*>(box->parentWidget());
            QVERIFY(dialog && dialog->isVisible());
            Press(static_cast<QMessageBox*>(box)->button(QMessageBox::Ok));
        });
        user_->Then("Corner Wild Coificents", [](QWidget* d) {
            QCOMPARE(Text(d, 266), QString("43"));
            Type(d, 266, "17");
            Type(d, 267, "5");
            Type(d, 232, "0.01");
            Type(d, 233, "-0.02");
            PressOk(d);
        });
        Play([&] { app.ChooseQuiltFractal(); });

        QCOMPARE(map.cornerN, 17);
        QCOMPARE(map.depth, 5);
        QCOMPARE(map.GetCoefficient(1).re, 0.01);
        QCOMPARE(map.GetCoefficient(1).im, -0.02);
        QCOMPARE(app.counters.iterationCount, 2222);
        QCOMPARE(app.grid.FilledCells(), 12);
        QCOMPARE(app.kindFlags.kindWildCorner, 1);
        QCOMPARE(QString::fromStdString(app.QuiltName()).left(2), QString("Qx"));
    }

    void iterationStatusRaisesTheLimit()
    {
        CTilvexApp& app = *app_;
        app.counters.maxIterations = 200000;
        app.counters.iterationCount = 200001;
        app.OnIdle();
        QCOMPARE(app.run.limitReached, 1);
        QCOMPARE(app.counters.iterationCount, 200001);

        user_->Then("Status", [](QWidget* d) {
            QCOMPARE(Text(d, 102), QString("200000"));
            QCOMPARE(Text(d, 101), QString("200001"));
            Type(d, 102, "7000000");
            PressOk(d);
        });
        Play([&] { app.OnIterationStatus(); });
        QCOMPARE(app.counters.maxIterations, 7000000);
        app.OnIdle();
        QCOMPARE(app.run.limitReached, 0);
        QCOMPARE(app.counters.iterationCount, 200002);
    }

    void chooseMapPicksTheKindAndLeadsOnWithoutRandomSettings()
    {
        CTilvexApp& app = *app_;
        app.run.useRandomSettings = 0;
        const std::string name = app.QuiltName();

        user_->Then("Choose Map", [&app](QWidget* d) {
            QVERIFY(Control<QRadioButton>(d, ChooseMapModel::kSquare)->isChecked());
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            Click(Control<QRadioButton>(d, ChooseMapModel::kHex));
            QCOMPARE(app.kindFlags.kindHex, 1);
            Click(Control<QCheckBox>(d, 123));
            PressOk(d);
        });
        Play([&] { app.OnSetMapping(); });
        QCOMPARE(app.Kind(), QuiltKind::Hex);
        QCOMPARE(app.run.useRandomSettings, 1);
        QCOMPARE(app.counters.iterationCount, 0);
        QCOMPARE(QString::fromStdString(app.QuiltName()).left(2), QString("Qh"));
        QVERIFY(app.QuiltName() != name);

        // Without random settings the kind's own dialog follows.
        user_->Then("Choose Map", [](QWidget* d) {
            QVERIFY(Control<QRadioButton>(d, ChooseMapModel::kHex)->isChecked());
            QCOMPARE(Box(d, 123), Qt::Checked);
            Click(Control<QCheckBox>(d, 123));
            PressOk(d);
        });
        user_->Then("Set Hex Quilt ", [](QWidget* d) {
            QCOMPARE(Box(d, 123), Qt::Unchecked);
            PressCancel(d);
        });
        Play([&] { app.OnSetMapping(); });
        QCOMPARE(app.Kind(), QuiltKind::Hex);
        QCOMPARE(app.run.useRandomSettings, 0);
    }
};

QTEST_MAIN(FlowsTest)
#include "flows_test.moc"
