#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "TilvexVersion.h"
#include "core/DialogFields.h"

namespace tilvex {

// How a control's contents become a field value.
enum class Exchange { Int, Unsigned, UnsignedLong, Double, Check };

// Inclusive bounds. upToSizeLimit: the upper bound is the dialog's sizeLimit.
struct FieldRange {
    double min = 0.0;
    double max = 0.0;
    bool upToSizeLimit = false;
};

struct FieldRule {
    const char* label;  // text beside an edit, or a check box's own text; "" for none
    int controlId;
    Exchange kind;
    std::optional<FieldRange> range;
    bool readOnly = false;  // shown only; never taken back
};

// One dialog: its fields in control order, which is also the exchange order.
struct DialogRule {
    int resourceId;
    const char* title;
    std::span<const FieldRule> fields;
};

extern const DialogRule kSquareQuiltRule;      // 101
extern const DialogRule kStatusRule;           // 102
extern const DialogRule kViewPeriodRule;       // 108
extern const DialogRule kSelectColorRule;      // 110
extern const DialogRule kAllCoefficientsRule;  // 111
extern const DialogRule kUseDetailRule;        // 113
extern const DialogRule kDensityPaletteRule;   // 114
extern const DialogRule kHexQuiltRule;         // 116
extern const DialogRule kTransformRule;        // 119
extern const DialogRule kChooseMapRule;        // 122
extern const DialogRule kHexDetailRule;        // 123
extern const DialogRule kCornerWildRule;       // 124

// Titles and texts of the dialogs without fields (100, 104).
inline constexpr const char* kAboutTitle = "About Tilvex NT";
inline constexpr const char* kAboutText = "TILVEX NT Version " TILVEX_VERSION;
inline constexpr const char* kConvergedText = "This Quilt converged to too few points. Restart it with a new Setup.";

// Control ids of the buttons that are not fields.
inline constexpr int kIdOk = 1, kIdCancel = 2;
inline constexpr int kIdStartBlack = 251, kIdStartWhite = 252, kIdStartChoose = 254;
inline constexpr int kIdFinalBlack = 253, kIdFinalWhite = 257, kIdFinalChoose = 258;
// The colour chooser's starting colour for the final colour: pure red as 0x00BBGGRR.
inline constexpr unsigned kFinalChooserInitial = 0x000000FFu;

// Where a field lives in its dialog structure.
using FieldTarget = std::variant<int*, unsigned*, double*>;

// A dialog's rule with the fields of one structure, in the rule's order.
struct BoundDialog {
    const DialogRule* rule = nullptr;
    std::vector<FieldTarget> targets;
    unsigned sizeLimit = 0;
};

BoundDialog Bind(SquareQuiltFields& f);
BoundDialog Bind(StatusFields& f);
BoundDialog Bind(ViewPeriodFields& f);
BoundDialog Bind(SelectColorFields& f);
BoundDialog Bind(AllCoefficientsFields& f);
BoundDialog Bind(UseDetailFields& f);
BoundDialog Bind(DensityPaletteFields& f);
BoundDialog Bind(HexQuiltFields& f);
BoundDialog Bind(TransformFields& f);
BoundDialog Bind(ChooseMapFields& f);
BoundDialog Bind(HexDetailFields& f);
BoundDialog Bind(CornerWildFields& f);

// A double as the edits show it: up to 15 significant digits, %g style.
std::string FormatDouble(double value);

// The text an edit shows for its field.
std::string FormatField(const FieldRule& rule, FieldTarget target);

// A check box's state for its stored value: 0 unchecked, 1 checked, 2 indeterminate;
// any value outside 0-2 shows unchecked.
int CheckStateFor(FieldTarget target);

// Parses text for the field and checks its range. On success stores the value
// and returns nothing; on failure returns the message and leaves the target alone.
// A check box's text is its state digit.
std::optional<std::string> TakeField(const FieldRule& rule, std::string_view text, FieldTarget target,
                                     unsigned sizeLimit);

struct ExchangeFailure {
    std::size_t field;  // index into the rule's fields
    std::string message;
};

// Takes every field from texts (one per field) in order and stops at the first
// failure; fields before it are already stored. Read-only fields are skipped.
std::optional<ExchangeFailure> TakeAll(const BoundDialog& dialog, std::span<const std::string> texts);

// The texts the controls show for all fields (check boxes: their state digit).
std::vector<std::string> ShowAll(const BoundDialog& dialog);

// Index of the field with this control id in the rule, or none.
std::optional<std::size_t> FieldIndex(const DialogRule& rule, int controlId);

}  // namespace tilvex
