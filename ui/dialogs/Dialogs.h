#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/UserInteraction.h"
#include "ui/dialogs/TilvexDialog.h"

class QRadioButton;

namespace tilvex::ui {

// 100
class CAboutBox : public CTilvexDialog {
    Q_OBJECT

public:
    explicit CAboutBox(QWidget* parent = nullptr);
};

// 104
class CConvergedDlg : public CTilvexDialog {
    Q_OBJECT

public:
    explicit CConvergedDlg(QWidget* parent = nullptr);
};

// 101
class CSquareQuiltDlg : public CFieldsDialog<SquareQuiltFields> {
    Q_OBJECT

public:
    explicit CSquareQuiltDlg(SquareQuiltFields& fields, QWidget* parent = nullptr);
};

// 102
class CStatusDlg : public CFieldsDialog<StatusFields> {
    Q_OBJECT

public:
    explicit CStatusDlg(StatusFields& fields, QWidget* parent = nullptr);
};

// 108
class CViewPeriodDlg : public CFieldsDialog<ViewPeriodFields> {
    Q_OBJECT

public:
    explicit CViewPeriodDlg(ViewPeriodFields& fields, QWidget* parent = nullptr);
};

// 110: OK is "Change Color", Cancel is "Done With Colors".
class CSelectColorDlg : public CFieldsDialog<SelectColorFields> {
    Q_OBJECT

public:
    explicit CSelectColorDlg(SelectColorFields& fields, QWidget* parent = nullptr);
};

// 111
class CAllCoefficientsDlg : public CFieldsDialog<AllCoefficientsFields> {
    Q_OBJECT

public:
    explicit CAllCoefficientsDlg(AllCoefficientsFields& fields, QWidget* parent = nullptr);
};

// 113
class CUseDetailDlg : public CFieldsDialog<UseDetailFields> {
    Q_OBJECT

public:
    explicit CUseDetailDlg(UseDetailFields& fields, QWidget* parent = nullptr);
};

// The colour chooser: initial colour as 0x00BBGGRR or none; true when a colour was chosen.
using ColorChooser = std::function<bool(std::optional<std::uint32_t> initial, Rgb& chosen)>;
bool ChooseColorWithQt(QWidget* parent, std::optional<std::uint32_t> initial, Rgb& chosen);

// 114
class CDensityPaletteDlg : public CFieldsDialog<DensityPaletteFields> {
    Q_OBJECT

public:
    // chooser: null uses the standard colour dialog.
    CDensityPaletteDlg(DensityPaletteFields& fields, ColorChooser chooser = nullptr, QWidget* parent = nullptr);

private:
    // Takes the controls into the fields, applies change, shows the fields again.
    void OnColourButton(const std::function<void(DensityPaletteFields&)>& change);
    void OnChoose(std::optional<std::uint32_t> initial, bool start);

    ColorChooser chooser_;
};

// 116
class CHexQuiltDlg : public CFieldsDialog<HexQuiltFields> {
    Q_OBJECT

public:
    explicit CHexQuiltDlg(HexQuiltFields& fields, QWidget* parent = nullptr);
};

// 119
class CTransformDlg : public CFieldsDialog<TransformFields> {
    Q_OBJECT

public:
    explicit CTransformDlg(TransformFields& fields, QWidget* parent = nullptr);
};

// 122: the radio buttons act on the kind flags at once; only an OK button.
class CChooseMapDlg : public CFieldsDialog<ChooseMapFields> {
    Q_OBJECT

public:
    CChooseMapDlg(ChooseMapFields& fields, ChooseMapModel& radios, QWidget* parent = nullptr);
    QRadioButton* Radio(int controlId) const;

private:
    ChooseMapModel& radios_;
};

// 123
class CHexDetailDlg : public CFieldsDialog<HexDetailFields> {
    Q_OBJECT

public:
    explicit CHexDetailDlg(HexDetailFields& fields, QWidget* parent = nullptr);
};

// 124
class CCornerWildDlg : public CFieldsDialog<CornerWildFields> {
    Q_OBJECT

public:
    explicit CCornerWildDlg(CornerWildFields& fields, QWidget* parent = nullptr);
};

}  // namespace tilvex::ui
