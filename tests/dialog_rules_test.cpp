#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/DialogRules.h"

using namespace tilvex;

namespace {

// Texts as the controls would show them, with one field replaced.
template <typename Fields>
std::optional<ExchangeFailure> TypeInto(Fields& f, int controlId, const std::string& text)
{
    BoundDialog dialog = Bind(f);
    auto texts = ShowAll(dialog);
    auto index = FieldIndex(*dialog.rule, controlId);
    EXPECT_TRUE(index.has_value()) << controlId;
    texts.at(*index) = text;
    return TakeAll(dialog, texts);
}

std::string MessageFor(const FieldRule& rule, const std::string& text, unsigned sizeLimit = 0)
{
    double d = 0;
    int i = 0;
    unsigned u = 0;
    FieldTarget target = rule.kind == Exchange::Double ? FieldTarget{&d}
                         : (rule.kind == Exchange::Int || rule.kind == Exchange::Check) ? FieldTarget{&i}
                                                                                         : FieldTarget{&u};
    return TakeField(rule, text, target, sizeLimit).value_or("");
}

const FieldRule& RuleOf(const DialogRule& dialog, int controlId) { return dialog.fields[*FieldIndex(dialog, controlId)]; }

}  // namespace

TEST(DialogRules, GammaAcceptsItsTrueBoundNotItsLabel)
{
    SquareQuiltFields f;
    f.sizeLimit = 600;
    f.size = 100;
    ASSERT_FALSE(TypeInto(f, 104, "0.1111"));
    EXPECT_EQ(f.gamma, 0.1111);

    auto failure = TypeInto(f, 104, "0.1112");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "Please enter a number between -0.05 and 0.1111.");
    EXPECT_EQ(f.gamma, 0.1111);
}

TEST(DialogRules, RangeMessagesPrintBoundsCompactly)
{
    EXPECT_EQ(MessageFor(RuleOf(kStatusRule, 102), "99999"),
              "Please enter an integer between 100000 and 1000000000.");
    EXPECT_EQ(MessageFor(RuleOf(kTransformRule, 210), "0.6"), "Please enter a number between 0 and 0.5.");
    EXPECT_EQ(MessageFor(RuleOf(kHexQuiltRule, 203), "-1"), "Please enter a number between -0.15 and 0.04.");
    EXPECT_EQ(MessageFor(RuleOf(kSquareQuiltRule, 124), "-3"), "Please enter an integer between -2 and 2.");
    EXPECT_EQ(MessageFor(RuleOf(kAllCoefficientsRule, 124), "5"), "Please enter an integer between -4 and 4.");
    EXPECT_EQ(MessageFor(RuleOf(kDensityPaletteRule, 170), "256"), "Please enter an integer between 0 and 255.");
    EXPECT_EQ(MessageFor(RuleOf(kDensityPaletteRule, 173), "0"), "Please enter an integer between 1 and 128.");
    EXPECT_EQ(MessageFor(RuleOf(kCornerWildRule, 266), "43"), "Please enter an integer between 3 and 42.");
    EXPECT_EQ(MessageFor(RuleOf(kAllCoefficientsRule, 137), "0.41"), "Please enter a number between -0.4 and 0.4.");
    EXPECT_EQ(MessageFor(RuleOf(kStatusRule, 102), "100000"), "");
    EXPECT_EQ(MessageFor(RuleOf(kStatusRule, 102), "1000000000"), "");
    EXPECT_EQ(MessageFor(RuleOf(kStatusRule, 102), "1000000001"),
              "Please enter an integer between 100000 and 1000000000.");
}

TEST(DialogRules, SizeFieldsFollowTheCapacity)
{
    const FieldRule& square = RuleOf(kSquareQuiltRule, 120);
    EXPECT_EQ(MessageFor(square, "600", 600), "");
    EXPECT_EQ(MessageFor(square, "20", 600), "");
    EXPECT_EQ(MessageFor(square, "601", 600), "Please enter an integer between 20 and 600.");
    EXPECT_EQ(MessageFor(square, "19", 600), "Please enter an integer between 20 and 600.");
    EXPECT_EQ(MessageFor(RuleOf(kAllCoefficientsRule, 120), "601", 600),
              "Please enter an integer between 20 and 600.");

    const FieldRule& hex = RuleOf(kHexQuiltRule, 120);
    EXPECT_EQ(MessageFor(hex, "400", 400), "");
    EXPECT_EQ(MessageFor(hex, "49", 400), "Please enter an integer between 50 and 400.");
    EXPECT_EQ(MessageFor(hex, "401", 400), "Please enter an integer between 50 and 400.");

    const FieldRule& hexDetail = RuleOf(kHexDetailRule, 120);
    EXPECT_EQ(MessageFor(hexDetail, "20", 400), "");
    EXPECT_EQ(MessageFor(hexDetail, "19", 400), "Please enter an integer between 20 and 400.");

    // A lowered capacity lowers the bound with it.
    EXPECT_EQ(MessageFor(square, "540", 539), "Please enter an integer between 20 and 539.");
    // The Wild Corner width has no range at all.
    EXPECT_EQ(MessageFor(RuleOf(kCornerWildRule, 120), "5000"), "");
}

TEST(DialogRules, IntegersMustBeWholeAndFitTheirType)
{
    const FieldRule& period = RuleOf(kViewPeriodRule, 126);  // unsigned, no range
    unsigned value = 7;
    EXPECT_FALSE(TakeField(period, " \t12 ", &value, 0));
    EXPECT_EQ(value, 12u);
    EXPECT_FALSE(TakeField(period, "+3", &value, 0));
    EXPECT_EQ(value, 3u);
    EXPECT_FALSE(TakeField(period, "4294967295", &value, 0));
    EXPECT_EQ(value, 4294967295u);
    for (const char* bad : {"", " ", "12a", "1.5", "1e3", "0x10", "--1", "-1", "- 1", "4294967296", "1 2"}) {
        EXPECT_EQ(TakeField(period, bad, &value, 0).value_or(""), "Please enter an integer.") << bad;
        EXPECT_EQ(value, 4294967295u) << bad;
    }

    const FieldRule& depth = RuleOf(kHexDetailRule, 262);  // int [4, 11]
    int depthValue = 0;
    EXPECT_FALSE(TakeField(depth, "11", &depthValue, 0));
    EXPECT_EQ(depthValue, 11);
    EXPECT_EQ(TakeField(depth, "abc", &depthValue, 0).value_or(""), "Please enter an integer.");
    // Too large for the field's type is not a number of that type at all.
    EXPECT_EQ(TakeField(depth, "2147483648", &depthValue, 0).value_or(""), "Please enter an integer.");
    EXPECT_EQ(TakeField(depth, "-2147483648", &depthValue, 0).value_or(""),
              "Please enter an integer between 4 and 11.");

    const FieldRule& emm = RuleOf(kSquareQuiltRule, 124);
    int emmValue = 0;
    EXPECT_FALSE(TakeField(emm, "-2", &emmValue, 0));
    EXPECT_EQ(emmValue, -2);
}

TEST(DialogRules, NumbersParseInTheProgramsOwnNotation)
{
    const FieldRule& hexRe = RuleOf(kHexDetailRule, 230);  // double, no range
    double value = 0;
    struct Case {
        const char* text;
        double expected;
    };
    for (Case c : std::initializer_list<Case>{{"0.25", 0.25},
                                              {" -0.125\t", -0.125},
                                              {".5", 0.5},
                                              {"5.", 5.0},
                                              {"+2", 2.0},
                                              {"1e-2", 0.01},
                                              {"-3.5E+2", -350.0},
                                              {"0.333333333333333", 0.333333333333333}}) {
        EXPECT_FALSE(TakeField(hexRe, c.text, &value, 0)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
    value = 9;
    for (const char* bad : {"", ".", "-", "abc", "1e", "1e+", "inf", "nan", "0x1p3", "1,5", "1.2.3", "1e999", "++1"}) {
        EXPECT_EQ(TakeField(hexRe, bad, &value, 0).value_or(""), "Please enter a number.") << bad;
        EXPECT_EQ(value, 9) << bad;
    }
}

TEST(DialogRules, NumbersShowWithFifteenSignificantDigits)
{
    EXPECT_EQ(FormatDouble(0.1), "0.1");
    EXPECT_EQ(FormatDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatDouble(-0.0123456789012345678), "-0.0123456789012346");
    EXPECT_EQ(FormatDouble(0.00001), "1e-05");
    EXPECT_EQ(FormatDouble(123456789012345678.0), "1.23456789012346e+17");
    EXPECT_EQ(FormatDouble(0.0), "0");
    EXPECT_EQ(FormatDouble(-2.0), "-2");

    // What the edits show parses back to a value within display precision.
    const FieldRule& coef = RuleOf(kAllCoefficientsRule, 137);
    double original = -0.3876543210987654321;
    double back = 0;
    ASSERT_FALSE(TakeField(coef, FormatDouble(original), &back, 0));
    EXPECT_NEAR(back, original, 1e-15);
}

TEST(DialogRules, CheckBoxesShowOnlyZeroToTwo)
{
    ChooseMapFields f;
    f.detailedSquare = 1;
    f.useRandom = 2;
    f.detailedHex = 5;
    auto texts = ShowAll(Bind(f));
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "0"}));
    f.detailedSquare = -1;
    EXPECT_EQ(ShowAll(Bind(f))[0], "0");

    // Taking them back stores the shown state, so an odd stored value becomes 0.
    ASSERT_FALSE(TakeAll(Bind(f), texts));
    EXPECT_EQ(f.detailedSquare, 1);
    EXPECT_EQ(f.useRandom, 2);
    EXPECT_EQ(f.detailedHex, 0);
}

TEST(DialogRules, ExchangeStopsAtTheFirstFailureInControlOrder)
{
    SquareQuiltFields f;
    f.sizeLimit = 600;
    BoundDialog dialog = Bind(f);
    std::vector<std::string> texts = {"0.1", "0.2", "0.5", "9", "0", "1", "700", "1", "1", "1"};
    auto failure = TakeAll(dialog, texts);
    ASSERT_TRUE(failure);
    EXPECT_EQ(dialog.rule->fields[failure->field].controlId, 104);  // gamma, before lambda's failure
    EXPECT_EQ(f.alpha, 0.1);
    EXPECT_EQ(f.beta, 0.2);
    EXPECT_EQ(f.gamma, 0.0);
    EXPECT_EQ(f.size, 0u);

    texts[2] = "0.05";
    failure = TakeAll(dialog, texts);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "Please enter a number between -0.2 and 0.2.");
    EXPECT_EQ(dialog.rule->fields[failure->field].controlId, 117);

    texts[3] = "0.1";
    failure = TakeAll(dialog, texts);
    ASSERT_TRUE(failure);
    EXPECT_EQ(dialog.rule->fields[failure->field].controlId, 120);
    EXPECT_EQ(failure->message, "Please enter an integer between 20 and 600.");

    texts[6] = "600";
    ASSERT_FALSE(TakeAll(dialog, texts));
    EXPECT_EQ(f.size, 600u);
    EXPECT_EQ(f.offset, 1);
    EXPECT_EQ(f.emm, 1);
}

TEST(DialogRules, ReadOnlyIterationCountNeverBlocksOk)
{
    // A generation stopped at the highest limit has counted one step past it.
    StatusFields f;
    f.maxIterations = 1000000000;
    f.iterationCount = 1000000001;
    BoundDialog dialog = Bind(f);
    auto texts = ShowAll(dialog);
    EXPECT_EQ(texts[1], "1000000001");
    ASSERT_FALSE(TakeAll(dialog, texts));
    EXPECT_EQ(f.iterationCount, 1000000001u);
}

namespace {
template <typename Fields>
void ExpectConsistent(Fields f)
{
    BoundDialog dialog = Bind(f);
    const auto& fields = dialog.rule->fields;
    ASSERT_EQ(dialog.targets.size(), fields.size()) << dialog.rule->title;
    std::set<int> ids;
    std::set<const void*> places;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_TRUE(ids.insert(fields[i].controlId).second) << dialog.rule->title << " id " << fields[i].controlId;
        const FieldTarget& t = dialog.targets[i];
        switch (fields[i].kind) {
        case Exchange::Double: EXPECT_TRUE(std::holds_alternative<double*>(t)); break;
        case Exchange::Int:
        case Exchange::Check: EXPECT_TRUE(std::holds_alternative<int*>(t)); break;
        case Exchange::Unsigned:
        case Exchange::UnsignedLong: EXPECT_TRUE(std::holds_alternative<unsigned*>(t)); break;
        }
        places.insert(std::visit([](auto* p) { return static_cast<const void*>(p); }, t));
        if (fields[i].range && !fields[i].range->upToSizeLimit) {
            EXPECT_LE(fields[i].range->min, fields[i].range->max);
        }
    }
    EXPECT_EQ(places.size(), fields.size()) << dialog.rule->title << ": two fields share a place";
}
}  // namespace

TEST(DialogRules, EveryTableMatchesItsStructure)
{
    ExpectConsistent(SquareQuiltFields{});
    ExpectConsistent(StatusFields{});
    ExpectConsistent(ViewPeriodFields{});
    ExpectConsistent(SelectColorFields{});
    ExpectConsistent(AllCoefficientsFields{});
    ExpectConsistent(UseDetailFields{});
    ExpectConsistent(DensityPaletteFields{});
    ExpectConsistent(HexQuiltFields{});
    ExpectConsistent(TransformFields{});
    ExpectConsistent(ChooseMapFields{});
    ExpectConsistent(HexDetailFields{});
    ExpectConsistent(CornerWildFields{});
}

TEST(DialogRules, GridAndRowControlsReachTheirEntries)
{
    AllCoefficientsFields all;
    all.sizeLimit = 600;
    all.size = 100;
    all.depth = 4;
    struct Where {
        int id, column, row;
    };
    for (Where w : {Where{137, 0, 0}, Where{152, 0, 5}, Where{135, 1, 0}, Where{131, 2, 5}, Where{132, 2, 0},
                    Where{141, 3, 0}, Where{158, 4, 5}, Where{159, 5, 0}, Where{164, 5, 5}}) {
        ASSERT_FALSE(TypeInto(all, w.id, "0.375")) << w.id;
        EXPECT_EQ(all.coef[w.column][w.row], 0.375) << w.id;
        all.coef[w.column][w.row] = 0;
        for (const auto& column : all.coef)
            for (double entry : column) EXPECT_EQ(entry, 0.0) << w.id;
    }

    CornerWildFields wild;
    wild.cornerN = 5;
    wild.depth = 5;
    struct Part {
        int id, row;
        bool imaginary;
    };
    for (Part p : {Part{230, 0, false}, Part{231, 0, true}, Part{249, 9, true}, Part{251, 10, false},
                   Part{252, 10, true}, Part{250, 11, false}, Part{253, 11, true}}) {
        ASSERT_FALSE(TypeInto(wild, p.id, "-7.5")) << p.id;
        EXPECT_EQ(p.imaginary ? wild.coef[p.row].im : wild.coef[p.row].re, -7.5) << p.id;
        wild.coef[p.row] = Complex{};
    }
}

TEST(DialogRules, ColourRowsAreExchangedBlueFirst)
{
    DensityPaletteFields f;
    f.cycles = 3;
    BoundDialog dialog = Bind(f);
    std::vector<std::string> texts = {"3", "1", "2", "300", "4", "5", "6", "1", "0"};
    auto failure = TakeAll(dialog, texts);
    ASSERT_TRUE(failure);
    EXPECT_EQ(dialog.rule->fields[failure->field].controlId, 170);  // final red
    EXPECT_EQ(f.finalBlue, 1u);
    EXPECT_EQ(f.finalGreen, 2u);
    texts[3] = "3";
    ASSERT_FALSE(TakeAll(dialog, texts));
    EXPECT_EQ(f.finalRed, 3u);
    EXPECT_EQ(f.startBlue, 4u);
    EXPECT_EQ(f.startGreen, 5u);
    EXPECT_EQ(f.startRed, 6u);
    EXPECT_EQ(f.cyclesDefault, 1);
}
