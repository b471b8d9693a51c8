#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "core/DialogRules.h"

class QBoxLayout;
class QCheckBox;
class QGridLayout;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tilvex::ui {

// Every dialog of the program: modal, fixed size, the program's grey
// background. Dialogs with fields exchange them through their rule table.
class CTilvexDialog : public QDialog {
    Q_OBJECT

public:
    // Receives the message of an invalid entry instead of a message box.
    using InvalidInputReporter = std::function<void(QWidget* dialog, const QString& message)>;
    static void SetInvalidInputReporter(InvalidInputReporter reporter);

    // The edit, check box or button with this control id, or null.
    QWidget* Control(int controlId) const;
    QLineEdit* EditControl(int controlId) const;
    QCheckBox* CheckControl(int controlId) const;
    QPushButton* ButtonControl(int controlId) const;

    // Shows the working fields in the controls again.
    void ShowFields();
    // Takes every control into the working fields, in order. On the first
    // invalid entry reports it, selects that field and returns false.
    bool TakeFields();

    void accept() override;

protected:
    explicit CTilvexDialog(const char* title, QWidget* parent);

    // Creates one control per field of the bound rule; call once the bound
    // fields live where they will stay.
    void CreateFieldControls(BoundDialog bound);

    QLabel* LabelFor(int controlId);
    QPushButton* AddButton(int controlId, const QString& text);
    // OK and Cancel (or the given texts) at the bottom right, OK the default.
    QBoxLayout* ButtonRow(const QString& okText = "OK", const QString& cancelText = "Cancel",
                          bool withCancel = true);
    // Label/edit pairs and full-width check boxes, in the given order.
    QFormLayout* FormOf(std::initializer_list<int> controlIds);
    // Twelve rows of a real and an imaginary edit.
    QGridLayout* ComplexRows();
    // Tab order: the fields in control order, then these widgets in order.
    void FinishTabOrder(const std::vector<QWidget*>& after);

    virtual void ReportInvalidInput(const QString& message);
    virtual void StoreFields() {}

    void showEvent(QShowEvent* event) override;

private:
    void Register(int controlId, QWidget* control);

    BoundDialog bound_;
    std::vector<QWidget*> fieldControls_;  // in control order
    QHash<int, QWidget*> controls_;
};

// A size limit the caller left at 0 comes from the grid capacity, as the
// dialogs' own construction did.
void FillSizeLimit(SquareQuiltFields& f);
void FillSizeLimit(AllCoefficientsFields& f);
void FillSizeLimit(HexQuiltFields& f);
void FillSizeLimit(HexDetailFields& f);
template <typename Fields>
void FillSizeLimit(Fields&)
{
}

// A dialog over one field structure: edits a copy, hands it back on OK only.
template <typename Fields>
class CFieldsDialog : public CTilvexDialog {
public:
    const Fields& Working() const { return working_; }

protected:
    CFieldsDialog(Fields& fields, QWidget* parent)
        : CTilvexDialog(Bind(fields).rule->title, parent), target_(fields), working_(fields)
    {
        FillSizeLimit(working_);
        CreateFieldControls(Bind(working_));
    }

    void StoreFields() override { target_ = working_; }

    Fields& target_;
    Fields working_;
};

}  // namespace tilvex::ui
