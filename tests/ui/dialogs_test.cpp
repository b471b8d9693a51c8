// Types into the real dialogs. With TILVEX_DIALOG_SHOTS=<folder> in the
// environment, the screenshots case also writes a PNG of every dialog there.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/GridCapacity.h"
#include "engine/TilvexApp.h"
#include "ui/QtInteraction.h"
#include "ui/dialogs/Dialogs.h"

using namespace tilvex;
using namespace tilvex::ui;

namespace {

// Replaces an edit's whole text the way a user does: select all, type.
void Type(CTilvexDialog& dialog, int controlId, const QString& text)
{
    QLineEdit* edit = dialog.EditControl(controlId);
    QVERIFY2(edit, qPrintable(QStringLiteral("no edit %1").arg(controlId)));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

void ClickButton(CTilvexDialog& dialog, int controlId)
{
    QPushButton* button = dialog.ButtonControl(controlId);
    QVERIFY2(button, qPrintable(QStringLiteral("no button %1").arg(controlId)));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks a check box or radio button on its box, where a user clicks. A
// double click reaches a widget as press, release, double-click, release.
void ClickBox(QAbstractButton* button, bool twice = false)
{
    QVERIFY(button);
    const QPoint onBox(6, button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, onBox);
    if (twice) {
        QTest::mouseDClick(button, Qt::LeftButton, {}, onBox);
        QTest::mouseRelease(button, Qt::LeftButton, {}, onBox);
    }
}

// Runs action on the next modal widget of type W once it is up.
template <typename W>
void WhenModal(std::function<void(W*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
        }
    });
    timer->start();
}

// The widgets Tab visits from the first field, until the chain comes round.
QList<QWidget*> TabChain(QWidget* dialog, QWidget* first)
{
    QList<QWidget*> chain;
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(dialog) && w->isEnabled()) chain << w;
        w = w->nextInFocusChain();
    } while (w != first && chain.size() < 200);
    return chain;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    QStringList messages_;

    template <typename Dialog>
    void ShowAndActivate(Dialog& dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

private slots:
    void init()
    {
        messages_.clear();
        CTilvexDialog::SetInvalidInputReporter([this](QWidget*, const QString& m) { messages_ << m; });
    }

    void cleanup() { CTilvexDialog::SetInvalidInputReporter(nullptr); }

    void titlesLabelsAndTabOrderFollowTheTables()
    {
        SquareQuiltFields square;
        StatusFields status;
        ViewPeriodFields period;
        SelectColorFields select;
        AllCoefficientsFields all;
        UseDetailFields detail;
        DensityPaletteFields density;
        HexQuiltFields hex;
        TransformFields transform;
        ChooseMapFields choose;
        HexDetailFields hexDetail;
        CornerWildFields wild;
        CTilvexApp app(1.0);
        ChooseMapModel model(app.kindFlags);

        struct Case {
            std::unique_ptr<CTilvexDialog> dialog;
            const DialogRule* rule;
            const char* title;
            QStringList extraButtons;
        };
        std::vector<Case> cases;
        cases.push_back({std::make_unique<CSquareQuiltDlg>(square), &kSquareQuiltRule, "Set Square Quilt ", {}});
        cases.push_back({std::make_unique<CStatusDlg>(status), &kStatusRule, "Status", {}});
        cases.push_back({std::make_unique<CViewPeriodDlg>(period), &kViewPeriodRule, "Set View Quilt Periods", {}});
        cases.push_back({std::make_unique<CSelectColorDlg>(select), &kSelectColorRule, "Select Color To Set", {}});
        cases.push_back(
            {std::make_unique<CAllCoefficientsDlg>(all), &kAllCoefficientsRule, "All Coificients Dialog", {}});
        cases.push_back({std::make_unique<CUseDetailDlg>(detail), &kUseDetailRule, "Use Detail", {}});
        cases.push_back({std::make_unique<CDensityPaletteDlg>(density), &kDensityPaletteRule,
                         "Palette Reset by Density",
                         {"Black", "White", "Choose ", "Black", "White", "Choose"}});
        cases.push_back({std::make_unique<CHexQuiltDlg>(hex), &kHexQuiltRule, "Set Hex Quilt ", {}});
        cases.push_back({std::make_unique<CTransformDlg>(transform), &kTransformRule, "Transformations of Square", {}});
        cases.push_back({std::make_unique<CChooseMapDlg>(choose, model), &kChooseMapRule, "Choose Map",
                         {"Hex Map", "Square Map", "Wild Corner (Square)", "4-6-12 Map", "4-8-8 Map", "3-12-12 Map"}});
        cases.push_back(
            {std::make_unique<CHexDetailDlg>(hexDetail), &kHexDetailRule, "Hex Detailing Coificents", {}});
        cases.push_back({std::make_unique<CCornerWildDlg>(wild), &kCornerWildRule, "Corner Wild Coificents", {}});

        for (Case& c : cases) {
            CTilvexDialog& dialog = *c.dialog;
            QCOMPARE(dialog.windowTitle(), QString(c.title));
            QStringList labels;
            for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();

            QList<QWidget*> expected;
            for (const FieldRule& rule : c.rule->fields) {
                QWidget* control = dialog.Control(rule.controlId);
                QVERIFY2(control, qPrintable(QStringLiteral("%1: %2").arg(c.title).arg(rule.controlId)));
                if (auto* check = qobject_cast<QCheckBox*>(control)) {
                    QCOMPARE(check->text(), QString(rule.label));
                } else {
                    QVERIFY(qobject_cast<QLineEdit*>(control));
                    if (*rule.label) QVERIFY2(labels.contains(rule.label), rule.label);
                }
                expected << control;
            }
            QList<QWidget*> chain = TabChain(&dialog, expected.front());
            QStringList tail;
            for (qsizetype i = expected.size(); i < chain.size(); ++i)
                tail << static_cast<QAbstractButton*>(chain[i])->text();
            QCOMPARE(chain.mid(0, expected.size()), expected);
            const bool chooseMap = c.rule == &kChooseMapRule;
            const bool selectColor = c.rule == &kSelectColorRule;
            QStringList buttons = c.extraButtons;
            buttons << (selectColor ? "Change Color" : "OK");
            if (!chooseMap) buttons << (selectColor ? "Done With Colors" : "Cancel");
            QCOMPARE(tail, buttons);
        }

        // The group boxes of the palette and hex detail dialogs.
        QStringList groups;
        for (auto* box : cases[6].dialog->findChildren<QGroupBox*>()) groups << box->title();
        QCOMPARE(groups, (QStringList{"Starting Color", "Final Color", "Density  Palette Flags"}));
        QCOMPARE(cases[10].dialog->findChild<QGroupBox*>()->title(), QString("Complex Coificents "));
        QVERIFY(cases[1].dialog->EditControl(101)->isReadOnly());
        QVERIFY(!cases[1].dialog->EditControl(102)->isReadOnly());
    }

    void tabKeyWalksTheControlOrder()
    {
        HexQuiltFields f;
        f.sizeLimit = 400;
        CHexQuiltDlg dialog(f);
        ShowAndActivate(dialog);
        QCOMPARE(QApplication::focusWidget(), dialog.Control(202));
        for (int id : {201, 204, 203, 200, 199, 120, 123, 167, 229, kIdOk, kIdCancel, 202}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), dialog.Control(id));
        }
    }

    void gammaTakesItsTrueBound()
    {
        SquareQuiltFields f;
        f.size = 100;
        {
            CSquareQuiltDlg dialog(f);
            ShowAndActivate(dialog);
            Type(dialog, 104, "0.1111");
            ClickButton(dialog, kIdOk);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(messages_.isEmpty());
        }
        QCOMPARE(f.gamma, 0.1111);

        CSquareQuiltDlg dialog(f);
        ShowAndActivate(dialog);
        Type(dialog, 104, "0.1112");
        ClickButton(dialog, kIdOk);
        QCOMPARE(messages_, QStringList{"Please enter a number between -0.05 and 0.1111."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.Control(104));
        QCOMPARE(dialog.EditControl(104)->selectedText(), QString("0.1112"));
        QCOMPARE(f.gamma, 0.1111);

        // Enter is OK too; the corrected value goes through.
        Type(dialog, 104, "-0.05");
        QTest::keyClick(dialog.EditControl(104), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.gamma, -0.05);
    }

    void maxIterationsRefusesBelowItsRange()
    {
        StatusFields f;
        f.maxIterations = 3500000;
        f.iterationCount = 12345;
        CStatusDlg dialog(f);
        ShowAndActivate(dialog);
        QCOMPARE(dialog.EditControl(101)->text(), QString("12345"));
        Type(dialog, 102, "99999");
        ClickButton(dialog, kIdOk);
        QCOMPARE(messages_, QStringList{"Please enter an integer between 100000 and 1000000000."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.EditControl(102)->selectedText(), QString("99999"));
        Type(dialog, 102, "abc");
        ClickButton(dialog, kIdOk);
        QCOMPARE(messages_.last(), QString("Please enter an integer."));
        Type(dialog, 102, "1000000000");
        ClickButton(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.maxIterations, 1000000000u);
        QCOMPARE(dialog.font().family(), QString("Centaur"));
    }

    void sizeLimitsAtFullCapacity()
    {
        struct Attempt {
            QString text;
            QString message;  // empty: accepted
        };
        auto run = [this](auto makeDialog, std::initializer_list<Attempt> attempts) {
            for (const Attempt& a : attempts) {
                messages_.clear();
                auto dialog = makeDialog();
                ShowAndActivate(*dialog);
                Type(*dialog, 120, a.text);
                ClickButton(*dialog, kIdOk);
                if (a.message.isEmpty()) {
                    QVERIFY2(messages_.isEmpty(), qPrintable(a.text));
                    QCOMPARE(dialog->result(), int(QDialog::Accepted));
                } else {
                    QCOMPARE(messages_, QStringList{a.message});
                    QVERIFY(dialog->isVisible());
                }
            }
        };
        SquareQuiltFields square;
        square.sizeLimit = 0;  // from the capacity: 601 - 1
        run([&] { return std::make_unique<CSquareQuiltDlg>(square); },
            {{"600", ""}, {"20", ""}, {"601", "Please enter an integer between 20 and 600."},
             {"19", "Please enter an integer between 20 and 600."}});
        QCOMPARE(square.size, 20u);

        AllCoefficientsFields all;
        all.depth = 6;
        run([&] { return std::make_unique<CAllCoefficientsDlg>(all); },
            {{"600", ""}, {"601", "Please enter an integer between 20 and 600."}});

        HexQuiltFields hex;
        run([&] { return std::make_unique<CHexQuiltDlg>(hex); },
            {{"400", ""}, {"50", ""}, {"49", "Please enter an integer between 50 and 400."},
             {"401", "Please enter an integer between 50 and 400."}});

        HexDetailFields detail;
        detail.depth = 11;
        run([&] { return std::make_unique<CHexDetailDlg>(detail); },
            {{"20", ""}, {"400", ""}, {"19", "Please enter an integer between 20 and 400."},
             {"401", "Please enter an integer between 20 and 400."}});

        // The caller's own limit (a session's hexSizeLimit) wins over the capacity.
        HexQuiltFields loaded;
        loaded.sizeLimit = 300;
        run([&] { return std::make_unique<CHexQuiltDlg>(loaded); },
            {{"301", "Please enter an integer between 50 and 300."}});
        SquareQuiltFields lowered;
        lowered.sizeLimit = 539;  // the engine's limit for a lowered capacity of 540
        run([&] { return std::make_unique<CSquareQuiltDlg>(lowered); },
            {{"540", "Please enter an integer between 20 and 539."}});
    }

    void chooseMapClicksChangeTheKindAtOnce()
    {
        CTilvexApp app(1.0);
        ChooseMapModel model(app.kindFlags);
        ChooseMapFields f;
        f.useRandom = 1;
        CChooseMapDlg dialog(f, model);
        ShowAndActivate(dialog);
        QVERIFY(dialog.Radio(ChooseMapModel::kSquare)->isChecked());

        QRadioButton* hex = dialog.Radio(ChooseMapModel::kHex);
        ClickBox(hex);
        QCOMPARE(app.kindFlags.kindHex, 1);
        QCOMPARE(app.Kind(), QuiltKind::Hex);

        // A double click is two clicks: the second leaves the square kind
        // while the button still shows checked.
        ClickBox(dialog.Radio(ChooseMapModel::kSquare));
        QCOMPARE(app.Kind(), QuiltKind::Square);
        ClickBox(hex, true);
        QCOMPARE(app.kindFlags.kindHex, 0);
        QCOMPARE(app.Kind(), QuiltKind::Square);
        QVERIFY(hex->isChecked());

        ClickBox(dialog.Radio(ChooseMapModel::kFourEightEight));
        QCOMPARE(app.Kind(), QuiltKind::FourEightEight);
        ClickBox(dialog.Radio(ChooseMapModel::kWildCorner));
        QCOMPARE(app.Kind(), QuiltKind::WildCorner);
        QCOMPARE(app.kindFlags.kindFourEightEight, 0);

        ClickBox(dialog.CheckControl(166));
        QVERIFY(!dialog.ButtonControl(kIdCancel));
        ClickButton(dialog, kIdOk);
        QCOMPARE(f.detailedSquare, 1);
        QCOMPARE(f.useRandom, 1);

        // The first radio checked on opening follows the flags in their test order.
        app.kindFlags.Clear();
        app.kindFlags.kindFourSixTwelve = 1;
        CChooseMapDlg again(f, model);
        QVERIFY(again.Radio(ChooseMapModel::kFourSixTwelve)->isChecked());
        QCOMPARE(again.findChildren<QRadioButton*>().size(), 6);
        int checked = 0;
        for (auto* radio : again.findChildren<QRadioButton*>()) checked += radio->isChecked();
        QCOMPARE(checked, 1);
    }

    void paletteButtonsKeepTypedFields()
    {
        DensityPaletteFields f;
        f.cycles = 3;
        f.startRed = 10;
        f.startGreen = 20;
        f.startBlue = 30;
        f.finalRed = 40;
        f.finalGreen = 50;
        f.finalBlue = 60;
        QList<std::optional<std::uint32_t>> asked;
        bool chooserAnswers = true;
        CDensityPaletteDlg dialog(
            f,
            [&](std::optional<std::uint32_t> initial, Rgb& chosen) {
                asked << initial;
                chosen = Rgb{1, 2, 3};
                return chooserAnswers;
            });
        ShowAndActivate(dialog);
        QCOMPARE(dialog.EditControl(167)->text(), QString("10"));  // start red, leftmost
        QVERIFY(dialog.EditControl(167)->x() < dialog.EditControl(168)->x());
        QVERIFY(dialog.EditControl(168)->x() < dialog.EditControl(169)->x());
        QVERIFY(dialog.EditControl(170)->x() < dialog.EditControl(172)->x());

        Type(dialog, 173, "17");
        ClickButton(dialog, kIdStartBlack);
        QCOMPARE(dialog.EditControl(173)->text(), QString("17"));
        QCOMPARE(dialog.EditControl(167)->text(), QString("0"));
        QCOMPARE(dialog.EditControl(169)->text(), QString("0"));

        ClickButton(dialog, kIdFinalChoose);
        QCOMPARE(asked, (QList<std::optional<std::uint32_t>>{0x000000FFu}));
        QCOMPARE(dialog.EditControl(173)->text(), QString("17"));
        QCOMPARE(dialog.EditControl(170)->text(), QString("1"));
        QCOMPARE(dialog.EditControl(171)->text(), QString("2"));
        QCOMPARE(dialog.EditControl(172)->text(), QString("3"));

        // A cancelled chooser leaves the colour, but still keeps what was typed.
        chooserAnswers = false;
        Type(dialog, 168, "99");
        ClickButton(dialog, kIdStartChoose);
        QCOMPARE(asked.last(), std::optional<std::uint32_t>());
        QCOMPARE(dialog.EditControl(168)->text(), QString("99"));

        ClickButton(dialog, kIdFinalWhite);
        QCOMPARE(dialog.EditControl(171)->text(), QString("255"));
        ClickButton(dialog, kIdStartWhite);
        QCOMPARE(dialog.EditControl(168)->text(), QString("255"));
        ClickButton(dialog, kIdFinalBlack);
        QCOMPARE(dialog.EditControl(172)->text(), QString("0"));

        // An invalid entry stops the button: reported, nothing changed.
        Type(dialog, 173, "129");
        ClickButton(dialog, kIdStartBlack);
        QCOMPARE(messages_, QStringList{"Please enter an integer between 1 and 128."});
        QCOMPARE(dialog.EditControl(168)->text(), QString("255"));
        QCOMPARE(dialog.EditControl(173)->selectedText(), QString("129"));
        QCOMPARE(f.cycles, 3u);  // nothing reaches the caller before OK

        Type(dialog, 173, "17");
        ClickButton(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.cycles, 17u);
        QCOMPARE(f.startRed, 255u);
        QCOMPARE(f.startGreen, 255u);
        QCOMPARE(f.finalRed, 0u);
        QCOMPARE(f.finalGreen, 0u);
    }

    void cancelStoresNothing()
    {
        HexDetailFields f;
        f.coef[3] = Complex{0.25, -0.5};
        f.size = 100;
        f.depth = 5;
        const HexDetailFields before = f;
        {
            CHexDetailDlg dialog(f);
            ShowAndActivate(dialog);
            QCOMPARE(dialog.EditControl(236)->text(), QString("0.25"));
            Type(dialog, 236, "0.75");
            Type(dialog, 120, "5");  // refused after the rows were taken
            ClickButton(dialog, kIdOk);
            QCOMPARE(messages_, QStringList{"Please enter an integer between 20 and 400."});
            ClickButton(dialog, kIdCancel);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(f.coef[3].re, before.coef[3].re);
        QCOMPARE(f.size, before.size);

        TransformFields t;
        t.slantAngle = 0.25;
        CTransformDlg transform(t);
        ShowAndActivate(transform);
        Type(transform, 210, "0.5");
        ClickBox(transform.CheckControl(214));
        QTest::keyClick(transform.EditControl(210), Qt::Key_Escape);
        QCOMPARE(transform.result(), int(QDialog::Rejected));
        QCOMPARE(t.slantAngle, 0.25);
        QCOMPARE(t.zigZag, 0);
    }

    void fieldsShowTheirStoredValues()
    {
        AllCoefficientsFields f;
        f.coef[2][5] = 1.0 / 3.0;
        f.coef[0][0] = -0.1;
        f.useRandom = 5;  // outside 0-2
        f.offset = 2;
        f.detailed = 1;
        f.depth = 4;
        f.size = 100;
        CAllCoefficientsDlg dialog(f);
        ShowAndActivate(dialog);
        QCOMPARE(dialog.EditControl(131)->text(), QString("0.333333333333333"));
        QCOMPARE(dialog.EditControl(137)->text(), QString("-0.1"));
        QCOMPARE(dialog.CheckControl(123)->checkState(), Qt::Unchecked);
        QCOMPARE(dialog.CheckControl(106)->checkState(), Qt::PartiallyChecked);
        QCOMPARE(dialog.CheckControl(166)->checkState(), Qt::Checked);

        // The grid: column i left to right, row j top to bottom.
        for (int n = 0; n < 36; ++n) {
            QWidget* here = dialog.Control(kAllCoefficientsRule.fields[n].controlId);
            if (n % 6 != 5) QVERIFY(here->y() < dialog.Control(kAllCoefficientsRule.fields[n + 1].controlId)->y());
            if (n < 30) {
                QWidget* right = dialog.Control(kAllCoefficientsRule.fields[n + 6].controlId);
                QVERIFY(here->x() < right->x());
                QCOMPARE(here->y(), right->y());
            }
        }

        // A click on the partial box checks it and it toggles as usual after.
        ClickBox(dialog.CheckControl(106));
        QCOMPARE(dialog.CheckControl(106)->checkState(), Qt::Checked);
        ClickBox(dialog.CheckControl(106));
        QCOMPARE(dialog.CheckControl(106)->checkState(), Qt::Unchecked);
        ClickButton(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.useRandom, 0);
        QCOMPARE(f.offset, 0);
        QCOMPARE(f.coef[2][5], 0.333333333333333);
    }

    void interactionAnswersWithTheDialogs()
    {
        QWidget owner;
        QtInteraction ui(&owner);

        StatusFields status;
        status.maxIterations = 200000;
        WhenModal<CStatusDlg>([](CStatusDlg* d) {
            Type(*d, 102, "300000");
            ClickButton(*d, kIdOk);
        });
        QVERIFY(ui.AskStatus(status));
        QCOMPARE(status.maxIterations, 300000u);

        SelectColorFields select;
        select.colorNumber = 7;
        WhenModal<CSelectColorDlg>([](CSelectColorDlg* d) {
            QCOMPARE(d->EditControl(127)->text(), QString("7"));
            QCOMPARE(d->ButtonControl(kIdOk)->text(), QString("Change Color"));
            QVERIFY(d->ButtonControl(kIdOk)->isDefault());
            ClickButton(*d, kIdCancel);
        });
        QVERIFY(!ui.AskSelectColor(select));

        WhenModal<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->text(), QString("/no/such/file.qlt"));
            QCOMPARE(box->icon(), QMessageBox::Question);
            box->accept();
        });
        ui.ShowMessage("/no/such/file.qlt", MessageIcon::Question);

        WhenModal<CConvergedDlg>([](CConvergedDlg* d) {
            QCOMPARE(d->windowTitle(), QString());
            QVERIFY(d->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly));
            QStringList texts;
            for (auto* label : d->findChildren<QLabel*>()) texts << label->text();
            QVERIFY(texts.contains(kConvergedText));
            ClickButton(*d, kIdOk);
        });
        ui.ShowConvergedMessage();

        WhenModal<CAboutBox>([](CAboutBox* d) {
            QCOMPARE(d->windowTitle(), QString("About Tilvex NT"));
            QStringList texts;
            for (auto* label : d->findChildren<QLabel*>()) texts << label->text();
            QVERIFY(texts.contains(QStringLiteral("TILVEX NT Version " TILVEX_VERSION)));
            ClickButton(*d, kIdOk);
        });
        ui.ShowAbout();

        Rgb chosen;
        WhenModal<QColorDialog>([](QColorDialog* d) {
            QCOMPARE(d->currentColor(), QColor(255, 0, 0));
            d->accept();
        });
        QVERIFY(ui.AskColor(0x000000FFu, chosen));
        QCOMPARE(chosen.red, 255);
        QCOMPARE(chosen.green, 0);
        QCOMPARE(chosen.blue, 0);
        WhenModal<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(1, 2, 3));
            d->reject();
        });
        QVERIFY(!ui.AskColor(std::nullopt, chosen));
        QCOMPARE(chosen.red, 255);

        // The density dialog's Choose button goes through the same chooser.
        DensityPaletteFields density;
        density.cycles = 3;
        WhenModal<CDensityPaletteDlg>([](CDensityPaletteDlg* d) {
            WhenModal<QColorDialog>([](QColorDialog* c) {
                c->setCurrentColor(QColor(9, 8, 7));
                c->accept();
            });
            ClickButton(*d, kIdFinalChoose);
            ClickButton(*d, kIdOk);
        });
        QVERIFY(ui.AskDensityPalette(density));
        QCOMPARE(density.finalRed, 9u);
        QCOMPARE(density.finalBlue, 7u);

        ui.BeginWaitCursor();
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWaitCursor();
        QVERIFY(!QApplication::overrideCursor());
        ui.EndWaitCursor();  // unbalanced: harmless
        QVERIFY(!QApplication::overrideCursor());
    }

    void fileChoosersFollowTheRequest()
    {
        QCOMPARE(NameFilters("BMP FILES (*.bmp) | *.bmp ||"), QStringList{"BMP FILES (*.bmp)"});
        QCOMPARE(NameFilters("Session (*.qlt)"), QStringList{"Session (*.qlt)"});
        QCOMPARE(NameFilters("PCX Files|*.pcx|All Files|*.*||"), (QStringList{"PCX Files (*.pcx)", "All Files (*.*)"}));

        QWidget owner;
        QtInteraction ui(&owner);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        FileDialogRequest save{"Save Image as BMP", ".bmp", "Qs004711", "BMP FILES (*.bmp) | *.bmp ||", false};
        WhenModal<QFileDialog>([&](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Save Image as BMP"));
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(d->defaultSuffix(), QString("bmp"));
            QCOMPARE(d->nameFilters(), QStringList{"BMP FILES (*.bmp)"});
            QVERIFY(!d->testOption(QFileDialog::DontConfirmOverwrite));
            d->setDirectory(dir.path());
            d->selectFile(dir.filePath("Qs004711"));
            static_cast<QDialog*>(d)->accept();
        });
        auto path = ui.AskSaveFile(save);
        QVERIFY(path);
        QCOMPARE(QString::fromStdString(*path), dir.filePath("Qs004711.bmp"));

        FileDialogRequest open{"File Open", ".qlt", "", "Session (*.qlt)", true};
        WhenModal<QFileDialog>([](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), QString("File Open"));
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(d->fileMode(), QFileDialog::ExistingFile);
            d->reject();
        });
        QVERIFY(!ui.AskOpenFile(open));
    }

    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TILVEX_DIALOG_SHOTS");
        if (folder.isEmpty()) QSKIP("set TILVEX_DIALOG_SHOTS to a folder to write the screenshots");
        QVERIFY(QDir().mkpath(folder));

        CTilvexApp app(7.0);
        ChooseMapModel model(app.kindFlags);
        SquareQuiltFields square{600, -0.2, 0.1, -0.013, 0.05, 0.003, 1, 300, 0, 1, 0};
        StatusFields status{3500000, 1234567};
        ViewPeriodFields period{2};
        SelectColorFields select{17};
        AllCoefficientsFields all;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) all.coef[i][j] = (i + j < 6) ? 0.4 * std::sin(1.7 * i + 2.3 * j) : 0.0;
        all.sizeLimit = 600;
        all.size = 200;
        all.depth = 6;
        all.detailed = 1;
        UseDetailFields detail{6, 1, 0, 11};
        DensityPaletteFields density{3, 0, 0, 255, 40, 20, 0, 1, 0};
        HexQuiltFields hex{400, 0.0234567890123456, -0.05, 1, -0.1, 0.12, 0.1, 200, 0, 0, 1};
        TransformFields transform{1, 0.125, 0};
        ChooseMapFields choose{0, 1, 1};
        HexDetailFields hexDetail;
        CornerWildFields wild;
        for (int k = 0; k < 12; ++k) {
            hexDetail.coef[k] = wild.coef[k] = Complex{0.1 * std::cos(k * 1.1), -0.05 * std::sin(k * 0.7 + 0.3)};
        }
        hexDetail.sizeLimit = 400;
        hexDetail.size = 150;
        hexDetail.depth = 11;
        hexDetail.detailed = 1;
        wild.size = 200;
        wild.cornerN = 7;
        wild.depth = 6;

        std::vector<std::pair<QString, std::unique_ptr<CTilvexDialog>>> dialogs;
        dialogs.emplace_back("100-about", std::make_unique<CAboutBox>());
        dialogs.emplace_back("101-square-quilt", std::make_unique<CSquareQuiltDlg>(square));
        dialogs.emplace_back("102-status", std::make_unique<CStatusDlg>(status));
        dialogs.emplace_back("104-converged", std::make_unique<CConvergedDlg>());
        dialogs.emplace_back("108-view-period", std::make_unique<CViewPeriodDlg>(period));
        dialogs.emplace_back("110-select-color", std::make_unique<CSelectColorDlg>(select));
        dialogs.emplace_back("111-all-coefficients", std::make_unique<CAllCoefficientsDlg>(all));
        dialogs.emplace_back("113-use-detail", std::make_unique<CUseDetailDlg>(detail));
        dialogs.emplace_back("114-density-palette", std::make_unique<CDensityPaletteDlg>(density));
        dialogs.emplace_back("116-hex-quilt", std::make_unique<CHexQuiltDlg>(hex));
        dialogs.emplace_back("119-transform", std::make_unique<CTransformDlg>(transform));
        dialogs.emplace_back("122-choose-map", std::make_unique<CChooseMapDlg>(choose, model));
        dialogs.emplace_back("123-hex-detail", std::make_unique<CHexDetailDlg>(hexDetail));
        dialogs.emplace_back("124-corner-wild", std::make_unique<CCornerWildDlg>(wild));
        for (auto& [name, dialog] : dialogs) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            QVERIFY(dialog->grab().save(QDir(folder).filePath(name + ".png")));
            dialog->hide();
        }
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
