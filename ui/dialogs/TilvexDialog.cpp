#include "ui/dialogs/TilvexDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/GridCapacity.h"

namespace tilvex::ui {

namespace {

CTilvexDialog::InvalidInputReporter& Reporter()
{
    static CTilvexDialog::InvalidInputReporter reporter;
    return reporter;
}

// Wide enough for a double at full precision, or for a 32-bit integer.
int EditWidth(const QLineEdit* edit, Exchange kind)
{
    const int chars = kind == Exchange::Double ? 19 : 11;
    return edit->fontMetrics().horizontalAdvance(QLatin1Char('8')) * chars + 12;
}

}  // namespace

void FillSizeLimit(SquareQuiltFields& f)
{
    if (f.sizeLimit == 0) f.sizeLimit = static_cast<unsigned>(kDefaultMaxGridSize - 1);
}

void FillSizeLimit(AllCoefficientsFields& f)
{
    if (f.sizeLimit == 0) f.sizeLimit = static_cast<unsigned>(kDefaultMaxGridSize - 1);
}

void FillSizeLimit(HexQuiltFields& f)
{
    if (f.sizeLimit == 0) f.sizeLimit = static_cast<unsigned>(2 * kDefaultMaxGridSize / 3);
}

void FillSizeLimit(HexDetailFields& f)
{
    if (f.sizeLimit == 0) f.sizeLimit = static_cast<unsigned>(2 * kDefaultMaxGridSize / 3);
}

void CTilvexDialog::SetInvalidInputReporter(InvalidInputReporter reporter) { Reporter() = std::move(reporter); }

CTilvexDialog::CTilvexDialog(const char* title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(title));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The dialogs' grey background with black text.
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    grey.setColor(QPalette::WindowText, Qt::black);
    grey.setColor(QPalette::Button, QColor(192, 192, 192));
    grey.setColor(QPalette::ButtonText, Qt::black);
    grey.setColor(QPalette::Base, Qt::white);
    grey.setColor(QPalette::Text, Qt::black);
    setPalette(grey);
    setAutoFillBackground(true);
}

void CTilvexDialog::Register(int controlId, QWidget* control)
{
    control->setObjectName(QStringLiteral("control%1").arg(controlId));
    controls_.insert(controlId, control);
}

void CTilvexDialog::CreateFieldControls(BoundDialog bound)
{
    bound_ = std::move(bound);
    for (const FieldRule& rule : bound_.rule->fields) {
        QWidget* control = nullptr;
        if (rule.kind == Exchange::Check) {
            auto* check = new QCheckBox(QString::fromUtf8(rule.label), this);
            // A stored 2 shows partially checked; the user's clicks only toggle.
            connect(check, &QCheckBox::clicked, check, [check] {
                if (check->isTristate()) {
                    check->setTristate(false);
                    check->setCheckState(Qt::Checked);
                }
            });
            control = check;
        } else {
            auto* edit = new QLineEdit(this);
            if (rule.readOnly) {
                edit->setReadOnly(true);
                QPalette shown = edit->palette();
                shown.setColor(QPalette::Base, palette().color(QPalette::Window));
                edit->setPalette(shown);
            }
            edit->setFixedWidth(EditWidth(edit, rule.kind));
            control = edit;
        }
        Register(rule.controlId, control);
        fieldControls_.push_back(control);
    }
    ShowFields();
    if (!fieldControls_.empty()) fieldControls_.front()->setFocus();
}

QWidget* CTilvexDialog::Control(int controlId) const { return controls_.value(controlId, nullptr); }

QLineEdit* CTilvexDialog::EditControl(int controlId) const { return qobject_cast<QLineEdit*>(Control(controlId)); }

QCheckBox* CTilvexDialog::CheckControl(int controlId) const { return qobject_cast<QCheckBox*>(Control(controlId)); }

QPushButton* CTilvexDialog::ButtonControl(int controlId) const
{
    return qobject_cast<QPushButton*>(Control(controlId));
}

void CTilvexDialog::ShowFields()
{
    if (!bound_.rule) return;
    const auto texts = ShowAll(bound_);
    for (std::size_t i = 0; i < fieldControls_.size(); ++i) {
        if (auto* check = qobject_cast<QCheckBox*>(fieldControls_[i])) {
            const int state = texts[i].front() - '0';
            check->setTristate(state == 2);
            check->setCheckState(state == 2 ? Qt::PartiallyChecked : state == 1 ? Qt::Checked : Qt::Unchecked);
        } else if (auto* edit = qobject_cast<QLineEdit*>(fieldControls_[i])) {
            edit->setText(QString::fromStdString(texts[i]));
            edit->setCursorPosition(0);
        }
    }
}

bool CTilvexDialog::TakeFields()
{
    if (!bound_.rule) return true;
    std::vector<std::string> texts;
    texts.reserve(fieldControls_.size());
    for (QWidget* control : fieldControls_) {
        if (auto* check = qobject_cast<QCheckBox*>(control)) {
            const Qt::CheckState state = check->checkState();
            texts.emplace_back(state == Qt::PartiallyChecked ? "2" : state == Qt::Checked ? "1" : "0");
        } else {
            texts.push_back(static_cast<QLineEdit*>(control)->text().toStdString());
        }
    }
    const auto failure = TakeAll(bound_, texts);
    if (!failure) return true;
    ReportInvalidInput(QString::fromStdString(failure->message));
    QWidget* offending = fieldControls_[failure->field];
    offending->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(offending)) edit->selectAll();
    return false;
}

void CTilvexDialog::accept()
{
    if (!TakeFields()) return;
    StoreFields();
    QDialog::accept();
}

void CTilvexDialog::ReportInvalidInput(const QString& message)
{
    if (Reporter()) {
        Reporter()(this, message);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), message, QMessageBox::Ok, this);
    box.setPalette(palette());
    box.exec();
}

void CTilvexDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) edit->selectAll();
}

QLabel* CTilvexDialog::LabelFor(int controlId)
{
    const auto index = FieldIndex(*bound_.rule, controlId);
    auto* label = new QLabel(index ? QString::fromUtf8(bound_.rule->fields[*index].label) : QString(), this);
    label->setBuddy(Control(controlId));
    return label;
}

QPushButton* CTilvexDialog::AddButton(int controlId, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    Register(controlId, button);
    return button;
}

QBoxLayout* CTilvexDialog::ButtonRow(const QString& okText, const QString& cancelText, bool withCancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* ok = AddButton(kIdOk, okText);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &CTilvexDialog::accept);
    row->addWidget(ok);
    if (withCancel) {
        QPushButton* cancel = AddButton(kIdCancel, cancelText);
        cancel->setMinimumWidth(90);
        connect(cancel, &QPushButton::clicked, this, &CTilvexDialog::reject);
        row->addWidget(cancel);
    }
    return row;
}

QFormLayout* CTilvexDialog::FormOf(std::initializer_list<int> controlIds)
{
    auto* form = new QFormLayout;
    // Set explicitly: a nested layout would take over its parent's spacing.
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(7);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int id : controlIds) {
        QWidget* control = Control(id);
        if (qobject_cast<QCheckBox*>(control))
            form->addRow(control);
        else
            form->addRow(LabelFor(id), control);
    }
    return form;
}

QGridLayout* CTilvexDialog::ComplexRows()
{
    static constexpr int kRowIds[12][2] = {
        {230, 231}, {232, 233}, {234, 235}, {236, 237}, {238, 239}, {240, 241},
        {242, 243}, {244, 245}, {246, 247}, {248, 249}, {251, 252}, {250, 253},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int row = 0; row < 12; ++row) {
        grid->addWidget(Control(kRowIds[row][0]), row, 0);
        grid->addWidget(Control(kRowIds[row][1]), row, 1);
    }
    return grid;
}

void CTilvexDialog::FinishTabOrder(const std::vector<QWidget*>& after)
{
    std::vector<QWidget*> chain(fieldControls_.begin(), fieldControls_.end());
    chain.insert(chain.end(), after.begin(), after.end());
    for (QWidget* button : {Control(kIdOk), Control(kIdCancel)})
        if (button) chain.push_back(button);
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tilvex::ui
