#include "core/DialogRules.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <type_traits>

namespace tilvex {

static_assert(std::is_same_v<std::uint32_t, unsigned>, "unsigned long fields are 32-bit");

namespace {

constexpr FieldRange Between(double min, double max) { return FieldRange{min, max, false}; }
constexpr FieldRange FromUpToSizeLimit(double min) { return FieldRange{min, 0.0, true}; }

constexpr FieldRule Edit(const char* label, int id, Exchange kind, std::optional<FieldRange> range = std::nullopt)
{
    return FieldRule{label, id, kind, range, false};
}
constexpr FieldRule Check(const char* label, int id) { return FieldRule{label, id, Exchange::Check, std::nullopt, false}; }

constexpr FieldRange kCoefficient = Between(-0.4, 0.4);

constexpr FieldRule kSquareQuiltFields[] = {
    Edit("Alpha [-0.4, 0.4]", 118, Exchange::Double, Between(-0.4, 0.4)),
    Edit("Beta [-0.6, 0.2]", 103, Exchange::Double, Between(-0.6, 0.2)),
    Edit("Gamma [-0.05, 0.11]", 104, Exchange::Double, Between(-0.05, 0.1111)),
    Edit("Lamba [-0.2,  0.2]", 117, Exchange::Double, Between(-0.2, 0.2)),
    Edit("Omega [-0.01, 0.01]", 105, Exchange::Double, Between(-0.01, 0.01)),
    Check("Offset [0.5 , 0.5]", 106),
    Edit("Quilt Size / 2 [in pixels]", 120, Exchange::Unsigned, FromUpToSizeLimit(20)),
    Check("Use New Random Settings", 123),
    Edit("Emm", 124, Exchange::Int, Between(-2, 2)),
    Check("Use Detailed Square Settings", 166),
};

constexpr FieldRule kStatusFields[] = {
    Edit("Max Iterations", 102, Exchange::UnsignedLong, Between(100000, 1000000000)),
    FieldRule{"Iteration Count", 101, Exchange::UnsignedLong, Between(0, 1000000000), true},
};

constexpr FieldRule kViewPeriodFields[] = {
    Edit("Period of Window View", 126, Exchange::Unsigned),
};

constexpr FieldRule kSelectColorFields[] = {
    Edit("Color Number (1-256)", 127, Exchange::Unsigned),
};

// Column i (left to right), row j (top to bottom) of the coefficient grid.
constexpr int kCoefficientIds[6][6] = {
    {137, 129, 130, 142, 133, 152}, {135, 136, 134, 140, 139, 138}, {132, 146, 145, 144, 143, 131},
    {141, 147, 148, 149, 150, 151}, {153, 154, 155, 156, 157, 158}, {159, 160, 161, 162, 163, 164},
};

constexpr std::array<FieldRule, 42> MakeAllCoefficientsFields()
{
    std::array<FieldRule, 42> fields{};
    std::size_t n = 0;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) fields[n++] = Edit("", kCoefficientIds[i][j], Exchange::Double, kCoefficient);
    fields[n++] = Edit("Quilt Size / 2 [in pixels]", 120, Exchange::Unsigned, FromUpToSizeLimit(20));
    fields[n++] = Check("Use New Random Settings", 123);
    fields[n++] = Check("Offset [0.5 , 0.5]", 106);
    fields[n++] = Edit("Detailed Settings Depth", 165, Exchange::Unsigned, Between(3, 6));
    fields[n++] = Check("Use Detailed Settings", 166);
    fields[n++] = Edit("Emm", 124, Exchange::Int, Between(-4, 4));
    return fields;
}
constexpr std::array<FieldRule, 42> kAllCoefficientsFields = MakeAllCoefficientsFields();

constexpr FieldRule kUseDetailFields[] = {
    Edit("Square Detailing Depth", 136, Exchange::Unsigned, Between(3, 6)),
    Check("Use Detailed Square", 135),
    Check("Use Detailed Hex ", 167),
    Edit("Hex Detailing Depth", 137, Exchange::Unsigned, Between(4, 11)),
};

constexpr const char* kFinalRow = "Final Color (R,G,B) 0-255";
constexpr const char* kStartRow = "Start Color (R,G,B) 0-255";
constexpr FieldRange kChannel = Between(0, 255);

constexpr FieldRule kDensityPaletteFields[] = {
    Edit("Color Cycles", 173, Exchange::Unsigned, Between(1, 128)),
    Edit(kFinalRow, 172, Exchange::Unsigned, kChannel),
    Edit(kFinalRow, 171, Exchange::Unsigned, kChannel),
    Edit(kFinalRow, 170, Exchange::Unsigned, kChannel),
    Edit(kStartRow, 169, Exchange::Unsigned, kChannel),
    Edit(kStartRow, 168, Exchange::Unsigned, kChannel),
    Edit(kStartRow, 167, Exchange::Unsigned, kChannel),
    Check("Use Color Cycles as default for Random Density", 250),
    Check("Change Palette as default, Don't rebuild with current Quilt iterations", 261),
};

constexpr FieldRule kHexQuiltFields[] = {
    Edit("Alpha Imaginary [-0.1, 0.1]", 202, Exchange::Double, Between(-0.1, 0.1)),
    Edit("Alpha Real [-0.1, 0.1]", 201, Exchange::Double, Between(-0.1, 0.1)),
    Edit("H_Emm", 204, Exchange::Unsigned, Between(0, 1)),
    Edit("H_alpha [-0.15, 0.04]", 203, Exchange::Double, Between(-0.15, 0.04)),
    Edit("Lamba Imaginary [0.0, 0.2]", 200, Exchange::Double, Between(0.0, 0.2)),
    Edit("Lamba  Real [-0.2,  0.2]", 199, Exchange::Double, Between(-0.2, 0.2)),
    Edit("Quilt Width / 3 [in pixels]", 120, Exchange::Unsigned, FromUpToSizeLimit(50)),
    Check("Use New Random Settings", 123),
    Check("Use Detailed Hex Map", 167),
    Check("Knot Effect", 229),
};

constexpr FieldRule kTransformFields[] = {
    Check("Up/Down or Left/Right", 212),
    Edit("Slant Angle (0.0 - 0.5)", 210, Exchange::Double, Between(0.0, 0.5)),
    Check("Zig-Zag Square", 214),
};

constexpr FieldRule kChooseMapFields[] = {
    Check("Use Detailed Square Map", 166),
    Check("Use Random Settings", 123),
    Check("Use Detailed Hex Map", 167),
};

// Left (real) and right (imaginary) edit of each complex row, top to bottom.
constexpr int kComplexRowIds[12][2] = {
    {230, 231}, {232, 233}, {234, 235}, {236, 237}, {238, 239}, {240, 241},
    {242, 243}, {244, 245}, {246, 247}, {248, 249}, {251, 252}, {250, 253},
};

template <std::size_t N>
constexpr std::array<FieldRule, N> WithComplexRows(std::array<FieldRule, N - 24> tail)
{
    std::array<FieldRule, N> fields{};
    std::size_t n = 0;
    for (const auto& row : kComplexRowIds) {
        fields[n++] = Edit("", row[0], Exchange::Double);
        fields[n++] = Edit("", row[1], Exchange::Double);
    }
    for (const auto& rule : tail) fields[n++] = rule;
    return fields;
}

constexpr std::array<FieldRule, 29> kHexDetailFields = WithComplexRows<29>({
    Check("Knot Effect", 229),
    Edit("Quilt Width / 3 [in pixels]", 120, Exchange::Int, FromUpToSizeLimit(20)),
    Check("Use New Random Settings", 123),
    Check("Use Detailed Settings", 166),
    Edit("Hex Detail Depth", 262, Exchange::Int, Between(4, 11)),
});

constexpr std::array<FieldRule, 28> kCornerWildFields = WithComplexRows<28>({
    Edit("Quilt Width / 2 [in pixels]", 120, Exchange::Unsigned),
    Check("Use New Random Settings", 123),
    Edit("Corner N Value", 266, Exchange::Unsigned, Between(3, 42)),
    Edit("Depth", 267, Exchange::Unsigned, Between(4, 11)),
});

constexpr const char* kIntegerMessage = "Please enter an integer.";
constexpr const char* kNumberMessage = "Please enter a number.";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole decimal integer within [low, high]; anything else (including overflow) fails.
std::optional<long long> ParseInteger(std::string_view text, long long low, long long high)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > high + 1) return std::nullopt;  // far enough for either sign
    }
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return value;
}

// A decimal number in the C locale's notation: sign, digits, point, exponent.
std::optional<double> ParseNumber(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string FormatInteger(Exchange kind, long long value)
{
    char buffer[32];
    if (kind == Exchange::Int)
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    else
        std::snprintf(buffer, sizeof buffer, "%u", static_cast<unsigned>(value));
    return buffer;
}

std::string Fill(std::string text, const std::string& low, const std::string& high)
{
    text.replace(text.find("%1"), 2, low);
    text.replace(text.find("%2"), 2, high);
    return text;
}

template <typename T>
T& Target(FieldTarget target)
{
    return *std::get<T*>(target);
}

BoundDialog Bound(const DialogRule& rule, std::vector<FieldTarget> targets, unsigned sizeLimit = 0)
{
    return BoundDialog{&rule, std::move(targets), sizeLimit};
}

}  // namespace

constexpr DialogRule kSquareQuiltRule{101, "Set Square Quilt ", kSquareQuiltFields};
constexpr DialogRule kStatusRule{102, "Status", kStatusFields};
constexpr DialogRule kViewPeriodRule{108, "Set View Quilt Periods", kViewPeriodFields};
constexpr DialogRule kSelectColorRule{110, "Select Color To Set", kSelectColorFields};
constexpr DialogRule kAllCoefficientsRule{111, "All Coificients Dialog", kAllCoefficientsFields};
constexpr DialogRule kUseDetailRule{113, "Use Detail", kUseDetailFields};
constexpr DialogRule kDensityPaletteRule{114, "Palette Reset by Density", kDensityPaletteFields};
constexpr DialogRule kHexQuiltRule{116, "Set Hex Quilt ", kHexQuiltFields};
constexpr DialogRule kTransformRule{119, "Transformations of Square", kTransformFields};
constexpr DialogRule kChooseMapRule{122, "Choose Map", kChooseMapFields};
constexpr DialogRule kHexDetailRule{123, "Hex Detailing Coificents", kHexDetailFields};
constexpr DialogRule kCornerWildRule{124, "Corner Wild Coificents", kCornerWildFields};

BoundDialog Bind(SquareQuiltFields& f)
{
    return Bound(kSquareQuiltRule,
                 {&f.alpha, &f.beta, &f.gamma, &f.lambda, &f.omega, &f.offset, &f.size, &f.useRandom, &f.emm,
                  &f.detailed},
                 f.sizeLimit);
}

BoundDialog Bind(StatusFields& f) { return Bound(kStatusRule, {&f.maxIterations, &f.iterationCount}); }

BoundDialog Bind(ViewPeriodFields& f) { return Bound(kViewPeriodRule, {&f.period}); }

BoundDialog Bind(SelectColorFields& f) { return Bound(kSelectColorRule, {&f.colorNumber}); }

BoundDialog Bind(AllCoefficientsFields& f)
{
    std::vector<FieldTarget> targets;
    targets.reserve(kAllCoefficientsFields.size());
    for (auto& column : f.coef)
        for (double& entry : column) targets.emplace_back(&entry);
    for (FieldTarget t : {FieldTarget{&f.size}, FieldTarget{&f.useRandom}, FieldTarget{&f.offset},
                          FieldTarget{&f.depth}, FieldTarget{&f.detailed}, FieldTarget{&f.emm}})
        targets.push_back(t);
    return Bound(kAllCoefficientsRule, std::move(targets), f.sizeLimit);
}

BoundDialog Bind(UseDetailFields& f)
{
    return Bound(kUseDetailRule, {&f.squareDepth, &f.useSquare, &f.useHex, &f.hexDepth});
}

BoundDialog Bind(DensityPaletteFields& f)
{
    return Bound(kDensityPaletteRule, {&f.cycles, &f.finalBlue, &f.finalGreen, &f.finalRed, &f.startBlue,
                                       &f.startGreen, &f.startRed, &f.cyclesDefault, &f.recolourOnly});
}

BoundDialog Bind(HexQuiltFields& f)
{
    return Bound(kHexQuiltRule,
                 {&f.alphaIm, &f.alphaRe, &f.hEmm, &f.hAlpha, &f.lambdaIm, &f.lambdaRe, &f.size, &f.useRandom,
                  &f.detailed, &f.knot},
                 f.sizeLimit);
}

BoundDialog Bind(TransformFields& f) { return Bound(kTransformRule, {&f.upDown, &f.slantAngle, &f.zigZag}); }

BoundDialog Bind(ChooseMapFields& f)
{
    return Bound(kChooseMapRule, {&f.detailedSquare, &f.useRandom, &f.detailedHex});
}

namespace {
std::vector<FieldTarget> ComplexRowTargets(Complex (&coef)[12])
{
    std::vector<FieldTarget> targets;
    targets.reserve(30);
    for (Complex& c : coef) {
        targets.emplace_back(&c.re);
        targets.emplace_back(&c.im);
    }
    return targets;
}
}  // namespace

BoundDialog Bind(HexDetailFields& f)
{
    auto targets = ComplexRowTargets(f.coef);
    for (FieldTarget t : {FieldTarget{&f.knot}, FieldTarget{&f.size}, FieldTarget{&f.useRandom},
                          FieldTarget{&f.detailed}, FieldTarget{&f.depth}})
        targets.push_back(t);
    return Bound(kHexDetailRule, std::move(targets), f.sizeLimit);
}

BoundDialog Bind(CornerWildFields& f)
{
    auto targets = ComplexRowTargets(f.coef);
    for (FieldTarget t :
         {FieldTarget{&f.size}, FieldTarget{&f.useRandom}, FieldTarget{&f.cornerN}, FieldTarget{&f.depth}})
        targets.push_back(t);
    return Bound(kCornerWildRule, std::move(targets));
}

std::string FormatDouble(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc()) return {};
    return std::string(buffer, end);
}

std::string FormatField(const FieldRule& rule, FieldTarget target)
{
    switch (rule.kind) {
    case Exchange::Double: return FormatDouble(Target<double>(target));
    case Exchange::Int: return FormatInteger(rule.kind, Target<int>(target));
    case Exchange::Unsigned:
    case Exchange::UnsignedLong: return FormatInteger(rule.kind, Target<unsigned>(target));
    case Exchange::Check: return std::to_string(CheckStateFor(target));
    }
    return {};
}

int CheckStateFor(FieldTarget target)
{
    int value = Target<int>(target);
    return value >= 0 && value <= 2 ? value : 0;
}

std::optional<std::string> TakeField(const FieldRule& rule, std::string_view text, FieldTarget target,
                                     unsigned sizeLimit)
{
    if (rule.kind == Exchange::Check) {
        auto state = ParseInteger(text, 0, 2);
        Target<int>(target) = state ? static_cast<int>(*state) : 0;
        return std::nullopt;
    }
    if (rule.kind == Exchange::Double) {
        auto value = ParseNumber(text);
        if (!value) return kNumberMessage;
        if (rule.range) {
            double low = rule.range->min;
            double high = rule.range->upToSizeLimit ? static_cast<double>(sizeLimit) : rule.range->max;
            if (*value < low || *value > high)
                return Fill("Please enter a number between %1 and %2.", FormatDouble(low), FormatDouble(high));
        }
        Target<double>(target) = *value;
        return std::nullopt;
    }

    const bool isSigned = rule.kind == Exchange::Int;
    long long low = isSigned ? std::numeric_limits<int>::min() : 0;
    long long high = isSigned ? std::numeric_limits<int>::max() : std::numeric_limits<unsigned>::max();
    if (!isSigned) {
        auto start = Trim(text);
        if (!start.empty() && start.front() == '-') return kIntegerMessage;
    }
    auto value = ParseInteger(text, low, high);
    if (!value) return kIntegerMessage;
    if (rule.range) {
        long long rangeLow = static_cast<long long>(rule.range->min);
        long long rangeHigh = rule.range->upToSizeLimit
                                  ? (isSigned ? static_cast<long long>(static_cast<int>(sizeLimit))
                                              : static_cast<long long>(sizeLimit))
                                  : static_cast<long long>(rule.range->max);
        if (*value < rangeLow || *value > rangeHigh)
            return Fill("Please enter an integer between %1 and %2.", FormatInteger(rule.kind, rangeLow),
                        FormatInteger(rule.kind, rangeHigh));
    }
    if (isSigned)
        Target<int>(target) = static_cast<int>(*value);
    else
        Target<unsigned>(target) = static_cast<unsigned>(*value);
    return std::nullopt;
}

std::optional<ExchangeFailure> TakeAll(const BoundDialog& dialog, std::span<const std::string> texts)
{
    const auto& fields = dialog.rule->fields;
    for (std::size_t i = 0; i < fields.size() && i < texts.size(); ++i) {
        if (fields[i].readOnly) continue;
        if (auto message = TakeField(fields[i], texts[i], dialog.targets[i], dialog.sizeLimit))
            return ExchangeFailure{i, std::move(*message)};
    }
    return std::nullopt;
}

std::vector<std::string> ShowAll(const BoundDialog& dialog)
{
    std::vector<std::string> texts;
    texts.reserve(dialog.targets.size());
    for (std::size_t i = 0; i < dialog.targets.size(); ++i)
        texts.push_back(FormatField(dialog.rule->fields[i], dialog.targets[i]));
    return texts;
}

std::optional<std::size_t> FieldIndex(const DialogRule& rule, int controlId)
{
    for (std::size_t i = 0; i < rule.fields.size(); ++i)
        if (rule.fields[i].controlId == controlId) return i;
    return std::nullopt;
}

}  // namespace tilvex
