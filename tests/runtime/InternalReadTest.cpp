#include "runtime/Format.h"

#include "runtime/Catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace rt {
namespace {

constexpr int Eof = -1;
constexpr int Bad = msg::InputConversionError;

struct IntCase {
    const char* text;
    int status;
    int32_t value; // expected afterwards; the variable starts at 99
};

TEST(InternalReadInteger, Cases)
{
    const IntCase cases[] = {
        {"7, 8", 0, 7},
        {"  -12 ", 0, -12},
        {"+5/", 0, 5},
        {"42", 0, 42},
        {"0", 0, 0},
        {"\t3\t", 0, 3},
        {"007", 0, 7},
        {"2147483647", 0, 2147483647},
        {"-2147483648", 0, std::numeric_limits<int32_t>::min()},
        {"12 junk after the value", 0, 12},
        // No value at all: end of file, the variable keeps its value.
        {"", Eof, 99},
        {"   ", Eof, 99},
        // A separator in place of the value: a null value, the variable keeps its value.
        {", 5", 0, 99},
        {"  /", 0, 99},
        // Bad values.
        {"7x", Bad, 99},
        {"x", Bad, 99},
        {"-", Bad, 99},
        {"+", Bad, 99},
        {"1.5", Bad, 99},
        {"1e3", Bad, 99},
        {"--1", Bad, 99},
        {"2147483648", Bad, 99},
        {"-2147483649", Bad, 99},
        {"99999999999999999999999", Bad, 99},
        {"2*5", Bad, 99},
    };
    for (const IntCase& c : cases) {
        int32_t value = 99;
        EXPECT_EQ(c.status, internalReadInteger(c.text, value)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, value) << '"' << c.text << '"';
    }
}

struct RealCase {
    const char* text;
    int status;
    float value; // expected afterwards; the variable starts at 99
};

TEST(InternalReadReal, Cases)
{
    const RealCase cases[] = {
        {"1.5", 0, 1.5f},
        {"  -0.25 ", 0, -0.25f},
        {"+2", 0, 2.0f},
        {"3.", 0, 3.0f},
        {".5", 0, 0.5f},
        {"1e30", 0, 1e30f},
        {"1E+3", 0, 1000.0f},
        {"2.5d-1", 0, 0.25f},
        {"2.5D2,", 0, 250.0f},
        {"-1.0e-2/", 0, -0.01f},
        {"0.1", 0, 0.1f},
        {"45 90", 0, 45.0f},
        {"3.4028235e38", 0, std::numeric_limits<float>::max()},
        {"0.000000000000000000000000000000000000000000000000001", 0, 0.0f},
        {"1e-50", 0, 0.0f},
        {"", Eof, 99.0f},
        {"  ", Eof, 99.0f},
        {",", 0, 99.0f},
        {"3.5e38", Bad, 99.0f},
        {"-1e39", Bad, 99.0f},
        {"1e999999999999", Bad, 99.0f},
        {"NaN", Bad, 99.0f},
        {"inf", Bad, 99.0f},
        {"-Infinity", Bad, 99.0f},
        {".", Bad, 99.0f},
        {"-", Bad, 99.0f},
        {"e5", Bad, 99.0f},
        {"1e", Bad, 99.0f},
        {"1e+", Bad, 99.0f},
        {"1.5x", Bad, 99.0f},
        {"1.2.3", Bad, 99.0f},
        {"0x10", Bad, 99.0f},
        {"1,5e3e", 0, 1.0f},
    };
    for (const RealCase& c : cases) {
        float value = 99.0f;
        EXPECT_EQ(c.status, internalReadReal(c.text, value)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, value) << '"' << c.text << '"';
    }
}

TEST(InternalReadReal, RoundsToNearestFloatAndKeepsSignOfZero)
{
    float value = 0.0f;
    ASSERT_EQ(0, internalReadReal("0.816496580927726", value));
    EXPECT_EQ(0.816496580927726f, value);
    ASSERT_EQ(0, internalReadReal("-0.0", value));
    EXPECT_TRUE(value == 0.0f && std::signbit(value));
    ASSERT_EQ(0, internalReadReal("1e-40", value));
    EXPECT_EQ(1e-40f, value);
}

} // namespace
} // namespace rt
