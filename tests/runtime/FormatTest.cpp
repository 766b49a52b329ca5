#include "runtime/Format.h"

#include "runtime/Catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace rt {
namespace {

using Kind = FormatToken::Kind;
using Records = std::vector<std::string>;

FormatToken tok(Kind kind, std::string text = {}, int count = 0, int width = 0, int decimals = 0)
{
    FormatToken t;
    t.kind = kind;
    t.text = std::move(text);
    t.count = count;
    t.width = width;
    t.decimals = decimals;
    return t;
}

const char* const kRowFormat = "('   [',F6.3,2(', ',F6.3),']')";

Format compiled(std::string_view text)
{
    auto f = Format::parse(text);
    EXPECT_TRUE(f.has_value()) << text;
    return f.value_or(Format{});
}

Records records(std::string_view format, std::vector<Item> items)
{
    auto r = formatRecords(compiled(format), items);
    EXPECT_TRUE(r.has_value()) << format;
    return r.value_or(Records{"<conversion error>"});
}

TEST(FormatParse, ListingRowFormat)
{
    const std::vector<FormatToken> expected = {
        tok(Kind::Start),
        tok(Kind::Literal, "   ["),
        tok(Kind::Real, {}, 0, 6, 3),
        tok(Kind::GroupStart, {}, 2),
        tok(Kind::Literal, ", "),
        tok(Kind::Real, {}, 0, 6, 3),
        tok(Kind::GroupEnd),
        tok(Kind::Literal, "]"),
        tok(Kind::End),
    };
    EXPECT_EQ(expected, compiled(kRowFormat).tokens());
}

TEST(FormatParse, SmallerForms)
{
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::Integer, {}, 0, 3), tok(Kind::End)}),
              compiled("(I3)").tokens());
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::Integer, {}, 0, 12), tok(Kind::Real, {}, 0, 8, 0),
                                        tok(Kind::End)}),
              compiled(" ( i12 , f8.0 ) ").tokens());
    // A doubled quote inside a literal stands for itself; the other quote is plain text.
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::Literal, "it's \"x\""), tok(Kind::End)}),
              compiled("('it''s \"x\"')").tokens());
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::Literal, "a'b"), tok(Kind::End)}),
              compiled("(\"a'b\")").tokens());
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::GroupStart, {}, 1), tok(Kind::GroupStart, {}, 3),
                                        tok(Kind::Integer, {}, 0, 2), tok(Kind::GroupEnd), tok(Kind::GroupEnd),
                                        tok(Kind::End)}),
              compiled("((3(I2)))").tokens());
    EXPECT_EQ((std::vector<FormatToken>{tok(Kind::Start), tok(Kind::End)}), compiled("()").tokens());
}

TEST(FormatParse, RejectsEverythingElse)
{
    const char* bad[] = {
        "",        "I3",     "(I3",       "(I3))",   "(I3,)",  "(,I3)",    "(I)",         "(I0)",
        "(F6)",    "(F6.)",  "(F.3)",     "(F0.3)",  "(A10)",  "(E12.4)",  "(3I3)",       "(2'ab')",
        "(0(I3))", "('abc)", "('a' 'b')", "(I3 I4)", "(I3) x", "(I99999)", "(99999(I2))", "(X)",
    };
    for (const char* text : bad)
        EXPECT_FALSE(Format::parse(text).has_value()) << text;
    // Groups nest, but not without limit.
    EXPECT_FALSE(Format::parse(std::string(100, '(') + "I3" + std::string(100, ')')).has_value());
}

TEST(EditInteger, I3)
{
    EXPECT_EQ("  0", editInteger(0, 3));
    EXPECT_EQ(" 12", editInteger(12, 3));
    EXPECT_EQ("999", editInteger(999, 3));
    EXPECT_EQ("***", editInteger(1000, 3));
    EXPECT_EQ(" -1", editInteger(-1, 3));
    EXPECT_EQ("-99", editInteger(-99, 3));
    EXPECT_EQ("***", editInteger(-100, 3));
    EXPECT_EQ("*", editInteger(-1, 1));
    EXPECT_EQ("-2147483648", editInteger(std::numeric_limits<int32_t>::min(), 11));
    EXPECT_EQ("**********", editInteger(std::numeric_limits<int32_t>::min(), 10));
    EXPECT_EQ("", editInteger(5, 0));
}

TEST(EditReal, F6_3)
{
    EXPECT_EQ(" 1.500", editReal(1.5f, 6, 3));
    EXPECT_EQ("-0.250", editReal(-0.25f, 6, 3));
    EXPECT_EQ(" 0.000", editReal(0.0f, 6, 3));
    EXPECT_EQ(" 0.000", editReal(-0.0f, 6, 3));
    EXPECT_EQ("-0.500", editReal(-0.5f, 6, 3));
    EXPECT_EQ(" 0.816", editReal(0.8164966f, 6, 3));
    EXPECT_EQ(" 0.866", editReal(0.8660254f, 6, 3));
    EXPECT_EQ(" 1.633", editReal(1.6329932f, 6, 3));
    EXPECT_EQ(" 0.667", editReal(0.666667f, 6, 3));
    EXPECT_EQ(" 0.333", editReal(0.3333333f, 6, 3));
    EXPECT_EQ("99.999", editReal(99.999f, 6, 3));
    EXPECT_EQ("-9.999", editReal(-9.999f, 6, 3));
    EXPECT_EQ("******", editReal(100.0f, 6, 3));
    EXPECT_EQ("******", editReal(99.9996f, 6, 3));
    EXPECT_EQ("******", editReal(-10.0f, 6, 3));
    EXPECT_EQ("******", editReal(-9.9996f, 6, 3));
    // A negative value that rounds to zero is written without its sign.
    EXPECT_EQ(" 0.000", editReal(-0.0004f, 6, 3));
    EXPECT_EQ("-0.001", editReal(-0.0006f, 6, 3));
    // Rounding is that of the float's exact binary value: 0.0005f is a little above 0.0005.
    EXPECT_EQ(" 0.001", editReal(0.0005f, 6, 3));
    EXPECT_EQ(" 1.000", editReal(0.9999f, 6, 3));
}

TEST(EditReal, NarrowAndWideFields)
{
    EXPECT_EQ(".500", editReal(0.5f, 4, 3));
    EXPECT_EQ("0.500", editReal(0.5f, 5, 3));
    EXPECT_EQ("-.500", editReal(-0.5f, 5, 3));
    EXPECT_EQ("****", editReal(-0.5f, 4, 3));
    EXPECT_EQ("   2.", editReal(2.0f, 5, 0));
    EXPECT_EQ("  -3.", editReal(-2.5001f, 5, 0));
    EXPECT_EQ("  0.", editReal(0.2f, 4, 0));
    EXPECT_EQ("**", editReal(12.0f, 2, 0));
    EXPECT_EQ("   3.1415927", editReal(3.14159274f, 12, 7));
    EXPECT_EQ("340282346638528859811704183484516925440.0", editReal(std::numeric_limits<float>::max(), 41, 1));
    EXPECT_EQ("   NaN", editReal(std::nanf(""), 6, 3));
    EXPECT_EQ("  -Inf", editReal(-std::numeric_limits<float>::infinity(), 6, 3));
    EXPECT_EQ("  Infinity", editReal(std::numeric_limits<float>::infinity(), 10, 3));
    EXPECT_EQ("**", editReal(std::nanf(""), 2, 0));
}

TEST(FormatRecords, ListingRows)
{
    // Column of expected / actual rows, each 27 characters.
    EXPECT_EQ(Records{"   [ 0.816,  0.000,  0.000]"}, records(kRowFormat, {0.8164966f, 0.0f, 0.0f}));
    EXPECT_EQ(Records{"   [ 0.866, -0.500,  0.000]"}, records(kRowFormat, {0.8660254f, -0.5f, 0.0f}));
    EXPECT_EQ(Records{"   [ 0.000,  0.000,  1.633]"}, records(kRowFormat, {0.0f, 0.0f, 1.6329932f}));
    EXPECT_EQ(Records{"   [ 0.667,  0.333,  0.500]"}, records(kRowFormat, {0.666667f, 0.3333333f, 0.5f}));
    EXPECT_EQ(Records{"   [******,  0.250,  0.250]"}, records(kRowFormat, {100.0f, 0.25f, 0.25f}));
    EXPECT_EQ(27u, records(kRowFormat, {0.8660254f, -0.5f, 0.0f}).front().size());
}

TEST(FormatRecords, ItemsRunningOut)
{
    // The record ends at the first descriptor without an item; literals before it are written.
    EXPECT_EQ(Records{"   ["}, records(kRowFormat, {}));
    EXPECT_EQ(Records{"   [ 1.000, "}, records(kRowFormat, {1.0f}));
    EXPECT_EQ(Records{"   [ 1.000,  2.000, "}, records(kRowFormat, {1.0f, 2.0f}));
    EXPECT_EQ(Records{"no items"}, records("('no items')", {}));
    EXPECT_EQ(Records{"ab"}, records("('a',2('b',I1),'c')", {}));
    EXPECT_EQ(Records{"ab1b2c"}, records("('a',2('b',I1),'c')", {1, 2}));
    EXPECT_EQ(Records{""}, records("()", {}));
}

TEST(FormatRecords, ReversionStartsNewRecords)
{
    // No group: back to the start of the format.
    EXPECT_EQ((Records{"  1", "  2", "  3"}), records("(I3)", {1, 2, 3}));
    EXPECT_EQ((Records{"x  1y", "x  2y"}), records("('x',I3,'y')", {1, 2}));
    // Back to the last top-level group, with its repeat count.
    // Literal text after the last item's descriptor is still written.
    EXPECT_EQ((Records{"[ 1, 2,]", " 3, 4,]", " 5,"}), records("('[',2(I2,','),']')", {1, 2, 3, 4, 5}));
    EXPECT_EQ((Records{"   [ 1.000,  2.000,  3.000]", ",  4.000,  5.000]"}),
              records(kRowFormat, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}));
    // The last top-level group, not a nested one.
    EXPECT_EQ((Records{"a(b1)(c2)", "(c3)"}), records("('a',('(b',I1,')'),(('(c',I1,')')))", {1, 2, 3}));
}

TEST(FormatRecords, ConversionErrors)
{
    const Format row = compiled(kRowFormat);
    const std::vector<Item> intForReal = {1.0f, 2, 3.0f};
    EXPECT_FALSE(formatRecords(row, intForReal).has_value());
    const std::vector<Item> realForInt = {1.5f};
    EXPECT_FALSE(formatRecords(compiled("(I3)"), realForInt).has_value());
    const std::vector<Item> text = {std::string_view("abc")};
    EXPECT_FALSE(formatRecords(compiled("(I3)"), text).has_value());
    // Items a format can never take: no descriptor at all, or none in the reverted part.
    const std::vector<Item> one = {1};
    EXPECT_FALSE(formatRecords(compiled("('x')"), one).has_value());
    EXPECT_FALSE(formatRecords(compiled("()"), one).has_value());
    const std::vector<Item> two = {1, 2};
    EXPECT_FALSE(formatRecords(compiled("(I1,('x'))"), two).has_value());
    EXPECT_FALSE(formatRecords(Format{}, one).has_value());
}

TEST(ListRecords, CharacterValues)
{
    using V = std::vector<Item>;
    EXPECT_EQ(Records{" lattice vectors"}, listRecords(V{std::string_view("lattice vectors")}));
    EXPECT_EQ(16u, listRecords(V{std::string_view("lattice vectors")}).front().size());
    EXPECT_EQ(Records{" basis-atom positions"}, listRecords(V{std::string_view("basis-atom positions")}));
    EXPECT_EQ(Records{" ab  cd"}, listRecords(V{std::string_view("ab  "), std::string_view("cd")}));
    EXPECT_EQ(Records{" "}, listRecords(V{}));
    EXPECT_EQ(Records{" "}, listRecords(V{std::string_view("")}));
    EXPECT_EQ(Records{" ."}, listRecords(V{std::string_view(".")}));
}

TEST(ListRecords, NumbersAreSeparatedByOneBlank)
{
    using V = std::vector<Item>;
    EXPECT_EQ(Records{" 5 x"}, listRecords(V{5, std::string_view("x")}));
    EXPECT_EQ(Records{" x 5"}, listRecords(V{std::string_view("x"), 5}));
    EXPECT_EQ(Records{" -3 7"}, listRecords(V{-3, 7}));
    EXPECT_EQ(Records{" 1.5 2.0 1.0E+30"}, listRecords(V{1.5f, 2.0f, 1e30f}));
    EXPECT_EQ(Records{" 0.1"}, listRecords(V{0.1f}));
}

TEST(ListRecords, LongValuesStartNewRecords)
{
    using V = std::vector<Item>;
    const std::string a(50, 'a'), b(40, 'b');
    // 1 + 50 + 40 > 80: the second value goes to a new record.
    EXPECT_EQ((Records{" " + a, " " + b}), listRecords(V{std::string_view(a), std::string_view(b)}));
    const std::string c(79, 'c');
    EXPECT_EQ(Records{" " + c}, listRecords(V{std::string_view(c)}));
    EXPECT_EQ((Records{" " + c, " d"}), listRecords(V{std::string_view(c), std::string_view("d")}));
    // A value longer than a whole line continues over several records.
    const std::string e(200, 'e');
    EXPECT_EQ((Records{" " + std::string(79, 'e'), " " + std::string(79, 'e'), " " + std::string(42, 'e')}),
              listRecords(V{std::string_view(e)}));
    // A number that does not fit in what is left also starts a new record.
    const std::string f(77, 'f');
    EXPECT_EQ((Records{" " + f, " 123"}), listRecords(V{std::string_view(f), 123}));
    EXPECT_EQ(Records{" " + f + " 1"}, listRecords(V{std::string_view(f), 1}));
}

TEST(InternalWrite, I3IntoACharacterVariable)
{
    const Format i3 = compiled("(I3)");
    std::string var(8, '?');
    EXPECT_EQ(0, internalWrite(var, i3, std::vector<Item>{0}));
    EXPECT_EQ("  0     ", var);
    EXPECT_EQ(0, internalWrite(var, i3, std::vector<Item>{12}));
    EXPECT_EQ(" 12     ", var);
    EXPECT_EQ(0, internalWrite(var, i3, std::vector<Item>{-5}));
    EXPECT_EQ(" -5     ", var);
    EXPECT_EQ(0, internalWrite(var, i3, std::vector<Item>{1234}));
    EXPECT_EQ("***     ", var);

    std::string exact(3, '?');
    EXPECT_EQ(0, internalWrite(exact, i3, std::vector<Item>{7}));
    EXPECT_EQ("  7", exact);
}

TEST(InternalWrite, FailuresLeaveTheVariable)
{
    const Format i3 = compiled("(I3)");
    std::string tooShort = "ab";
    EXPECT_EQ(msg::OutputOverflowsRecord, internalWrite(tooShort, i3, std::vector<Item>{1}));
    EXPECT_EQ("ab", tooShort);
    std::string var(8, '?');
    // A second record does not fit a one-record file.
    EXPECT_EQ(msg::OutputOverflowsRecord, internalWrite(var, i3, std::vector<Item>{1, 2}));
    EXPECT_EQ(msg::OutputConversionError, internalWrite(var, i3, std::vector<Item>{1.0f}));
    EXPECT_EQ(std::string(8, '?'), var);
}

} // namespace
} // namespace rt
