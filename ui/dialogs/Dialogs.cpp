#include "ui/dialogs/Dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFont>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/Icons.h"

namespace tilvex::ui {

namespace {

QLabel* IconLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(ProgramIcon().pixmap(32, 32));
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return label;
}

// Icon on the left, text on the right, OK below: About and the converged message.
QVBoxLayout* IconAndText(QWidget* parent, const char* text)
{
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(IconLabel(parent));
    auto* message = new QLabel(QString::fromUtf8(text), parent);
    message->setWordWrap(false);
    top->addWidget(message, 1);
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(18, 18, 18, 12);
    column->setSpacing(16);
    column->addLayout(top);
    return column;
}

QHBoxLayout* SideBySide(QLayout* left, QLayout* right)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(24);
    row->addLayout(left);
    row->addLayout(right);
    row->setAlignment(left, Qt::AlignTop);
    row->setAlignment(right, Qt::AlignTop);
    return row;
}

QVBoxLayout* Column(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setSpacing(12);
    return column;
}

}  // namespace

CAboutBox::CAboutBox(QWidget* parent) : CTilvexDialog(kAboutTitle, parent)
{
    auto* column = IconAndText(this, kAboutText);
    column->addLayout(ButtonRow("OK", QString(), false));
    FinishTabOrder({});
}

CConvergedDlg::CConvergedDlg(QWidget* parent) : CTilvexDialog("", parent)
{
    auto* column = IconAndText(this, kConvergedText);
    column->addLayout(ButtonRow("OK", QString(), false));
    FinishTabOrder({});
}

CSquareQuiltDlg::CSquareQuiltDlg(SquareQuiltFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(SideBySide(FormOf({118, 103, 104, 117, 105, 106}), FormOf({120, 123, 124, 166})));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CStatusDlg::CStatusDlg(StatusFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    setFont(QFont(QStringLiteral("Centaur"), 10));
    auto* column = Column(this);
    column->addLayout(FormOf({102, 101}));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CViewPeriodDlg::CViewPeriodDlg(ViewPeriodFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(FormOf({126}));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CSelectColorDlg::CSelectColorDlg(SelectColorFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(FormOf({127}));
    column->addLayout(ButtonRow("Change Color", "Done With Colors"));
    FinishTabOrder({});
}

CAllCoefficientsDlg::CAllCoefficientsDlg(AllCoefficientsFields& fields, QWidget* parent)
    : CFieldsDialog(fields, parent)
{
    // The first 36 fields run down each column of the matrix in turn.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (int n = 0; n < 36; ++n) grid->addWidget(Control(kAllCoefficientsRule.fields[n].controlId), n % 6, n / 6);
    auto* column = Column(this);
    column->addLayout(grid);
    column->addLayout(SideBySide(FormOf({120, 123, 106}), FormOf({165, 166, 124})));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CUseDetailDlg::CUseDetailDlg(UseDetailFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(FormOf({136, 135, 167, 137}));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

bool ChooseColorWithQt(QWidget* parent, std::optional<std::uint32_t> initial, Rgb& chosen)
{
    QColorDialog dialog(parent);
    if (initial) dialog.setCurrentColor(QColor(*initial & 0xFF, (*initial >> 8) & 0xFF, (*initial >> 16) & 0xFF));
    if (dialog.exec() != QDialog::Accepted) return false;
    const QColor colour = dialog.selectedColor();
    chosen.red = static_cast<std::uint8_t>(colour.red());
    chosen.green = static_cast<std::uint8_t>(colour.green());
    chosen.blue = static_cast<std::uint8_t>(colour.blue());
    return true;
}

CDensityPaletteDlg::CDensityPaletteDlg(DensityPaletteFields& fields, ColorChooser chooser, QWidget* parent)
    : CFieldsDialog(fields, parent), chooser_(std::move(chooser))
{
    if (!chooser_)
        chooser_ = [this](std::optional<std::uint32_t> initial, Rgb& chosen) {
            return ChooseColorWithQt(this, initial, chosen);
        };

    auto* colours = new QFormLayout;
    colours->setHorizontalSpacing(10);
    colours->setVerticalSpacing(7);
    colours->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    colours->addRow(LabelFor(173), Control(173));
    for (int first : {167, 170}) {  // red, green, blue from left to right
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        for (int id = first; id < first + 3; ++id) {
            QWidget* edit = Control(id);
            edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("8888")) + 14);
            row->addWidget(edit);
        }
        row->addStretch(1);
        colours->addRow(LabelFor(first), row);
    }

    auto group = [this](const char* title, std::initializer_list<std::pair<int, const char*>> buttons) {
        auto* box = new QGroupBox(QString::fromUtf8(title), this);
        auto* row = new QHBoxLayout(box);
        for (auto [id, text] : buttons) row->addWidget(AddButton(id, QString::fromUtf8(text)));
        return box;
    };
    QGroupBox* starting = group("Starting Color", {{kIdStartBlack, "Black"}, {kIdStartWhite, "White"},
                                                   {kIdStartChoose, "Choose "}});
    QGroupBox* final = group("Final Color", {{kIdFinalBlack, "Black"}, {kIdFinalWhite, "White"},
                                             {kIdFinalChoose, "Choose"}});
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addWidget(starting);
    buttons->addWidget(final);

    auto* flags = new QGroupBox(QStringLiteral("Density  Palette Flags"), this);
    auto* flagColumn = new QVBoxLayout(flags);
    flagColumn->addWidget(Control(250));
    flagColumn->addWidget(Control(261));

    auto* column = Column(this);
    column->addLayout(colours);
    column->addLayout(buttons);
    column->addWidget(flags);
    column->addLayout(ButtonRow());

    connect(ButtonControl(kIdStartBlack), &QPushButton::clicked, this,
            [this] { OnColourButton([](auto& f) { f.startRed = f.startGreen = f.startBlue = 0; }); });
    connect(ButtonControl(kIdStartWhite), &QPushButton::clicked, this,
            [this] { OnColourButton([](auto& f) { f.startRed = f.startGreen = f.startBlue = 255; }); });
    connect(ButtonControl(kIdStartChoose), &QPushButton::clicked, this, [this] { OnChoose(std::nullopt, true); });
    connect(ButtonControl(kIdFinalBlack), &QPushButton::clicked, this,
            [this] { OnColourButton([](auto& f) { f.finalRed = f.finalGreen = f.finalBlue = 0; }); });
    connect(ButtonControl(kIdFinalWhite), &QPushButton::clicked, this,
            [this] { OnColourButton([](auto& f) { f.finalRed = f.finalGreen = f.finalBlue = 255; }); });
    connect(ButtonControl(kIdFinalChoose), &QPushButton::clicked, this,
            [this] { OnChoose(kFinalChooserInitial, false); });

    FinishTabOrder({ButtonControl(kIdStartBlack), ButtonControl(kIdStartWhite), ButtonControl(kIdStartChoose),
                    ButtonControl(kIdFinalBlack), ButtonControl(kIdFinalWhite), ButtonControl(kIdFinalChoose)});
}

void CDensityPaletteDlg::OnColourButton(const std::function<void(DensityPaletteFields&)>& change)
{
    // An invalid entry has been reported; the button does nothing else.
    if (!TakeFields()) return;
    change(working_);
    ShowFields();
}

void CDensityPaletteDlg::OnChoose(std::optional<std::uint32_t> initial, bool start)
{
    OnColourButton([&](DensityPaletteFields& f) {
        Rgb chosen;
        if (!chooser_(initial, chosen)) return;
        (start ? f.startRed : f.finalRed) = chosen.red;
        (start ? f.startGreen : f.finalGreen) = chosen.green;
        (start ? f.startBlue : f.finalBlue) = chosen.blue;
    });
}

CHexQuiltDlg::CHexQuiltDlg(HexQuiltFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(SideBySide(FormOf({202, 201, 204, 203, 200, 199}), FormOf({120, 123, 167, 229})));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CTransformDlg::CTransformDlg(TransformFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* column = Column(this);
    column->addLayout(FormOf({212, 210, 214}));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CChooseMapDlg::CChooseMapDlg(ChooseMapFields& fields, ChooseMapModel& radios, QWidget* parent)
    : CFieldsDialog(fields, parent), radios_(radios)
{
    auto* column = Column(this);
    column->addLayout(FormOf({166, 123, 167}));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);

    const std::pair<int, const char*> buttons[] = {
        {ChooseMapModel::kHex, "Hex Map"},
        {ChooseMapModel::kSquare, "Square Map"},
        {ChooseMapModel::kWildCorner, "Wild Corner (Square)"},
        {ChooseMapModel::kFourSixTwelve, "4-6-12 Map"},
        {ChooseMapModel::kFourEightEight, "4-8-8 Map"},
        {ChooseMapModel::kThreeTwelveTwelve, "3-12-12 Map"},
    };
    auto* radioColumn = new QVBoxLayout;
    radioColumn->setSpacing(7);
    column->addLayout(radioColumn);
    std::vector<QWidget*> radioChain;
    for (auto [id, text] : buttons) {
        auto* radio = new QRadioButton(QString::fromUtf8(text), this);
        radio->setObjectName(QStringLiteral("control%1").arg(id));
        // Every click counts, a click on the checked button too.
        connect(radio, &QRadioButton::clicked, this, [this, id = id] { radios_.Click(id); });
        radioColumn->addWidget(radio);
        radioChain.push_back(radio);
    }
    column->addLayout(ButtonRow("OK", QString(), false));
    FinishTabOrder(radioChain);

    if (QRadioButton* initial = Radio(radios_.InitialButton())) initial->setChecked(true);
}

QRadioButton* CChooseMapDlg::Radio(int controlId) const
{
    return findChild<QRadioButton*>(QStringLiteral("control%1").arg(controlId));
}

CHexDetailDlg::CHexDetailDlg(HexDetailFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* rows = new QGroupBox(QStringLiteral("Complex Coificents "), this);
    rows->setLayout(ComplexRows());
    auto* left = new QVBoxLayout;
    left->addWidget(rows);
    auto* column = Column(this);
    column->addLayout(SideBySide(left, FormOf({229, 120, 123, 166, 262})));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

CCornerWildDlg::CCornerWildDlg(CornerWildFields& fields, QWidget* parent) : CFieldsDialog(fields, parent)
{
    auto* rows = new QFrame(this);
    rows->setFrameShape(QFrame::StyledPanel);
    rows->setFrameShadow(QFrame::Sunken);
    rows->setLayout(ComplexRows());
    auto* left = new QVBoxLayout;
    left->addWidget(rows);
    auto* column = Column(this);
    column->addLayout(SideBySide(left, FormOf({120, 123, 266, 267})));
    column->addLayout(ButtonRow());
    FinishTabOrder({});
}

}  // namespace tilvex::ui
