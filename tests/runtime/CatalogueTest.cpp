#include "runtime/Catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

constexpr uint32_t severe(uint16_t n) { return messageId(Severity::Severe, n); }
constexpr uint32_t error(uint16_t n) { return messageId(Severity::Error, n); }
constexpr uint32_t info(uint16_t n) { return messageId(Severity::Info, n); }

TEST(MessageId, PacksClassAndNumber)
{
    EXPECT_EQ(0xC0000009u, severe(9));
    EXPECT_EQ(0x80000041u, error(0x41));
    EXPECT_EQ(0x40000129u, info(297));
    EXPECT_EQ(9, messageNumber(0xC0000009u));
    EXPECT_EQ(Severity::Severe, messageSeverity(0xC0000009u));
    EXPECT_EQ(Severity::Success, messageSeverity(0));
}

TEST(Catalogue, RowsWithGivenTexts)
{
    struct Row {
        uint32_t id;
        const char* text;
    };
    const Row rows[] = {
        {messageId(Severity::Success, 0), "operation completed successfully\r\n"},
        {severe(9), "permission to access file denied, unit %d, file %s\r\n"},
        {severe(10), "cannot overwrite existing file, unit %d, file %s\r\n"},
        {severe(29), "file not found, unit %d, file %s\r\n"},
        {severe(30), "open failure, unit %d, file %s\r\n"},
        {severe(34), "unit already open, unit %d, file %s\r\n"},
        {severe(38), "error during write, unit %d, file %s\r\n"},
        {severe(41), "insufficient virtual memory\r\n"},
        {severe(43), "file name specification error, unit %d, file %s\r\n"},
        {severe(46), "inconsistent OPEN/CLOSE parameters, unit %d, file %s\r\n"},
        {error(63), "output conversion error, unit %d, file %s\r\n"},
        {severe(64), "input conversion error, unit %d, file %s\r\n"},
        {error(65), "floating invalid\r\n"},
        {severe(66), "output statement overflows record, unit %d, file %s\r\n"},
        {error(72), "floating overflow\r\n"},
        {error(73), "floating divide by zero\r\n"},
        {error(74), "floating underflow\r\n"},
        {severe(140), "floating inexact\r\n"},
        {severe(157), "Program Exception - access violation\r\n"},
        {severe(170), "Program Exception - stack overflow\r\n"},
        {severe(172), "Program Exception - exception code = 0x%lx (%ld)\r\n"},
        {error(200), "program aborting due to %s event\r\n"},
        {severe(201), "Intel Pentium fdiv flaw detected, please update the processor\r\n"},
        {info(297), "%d floating invalid traps\r\n"},
        {info(298), "%d floating overflow traps\r\n"},
        {info(299), "%d floating divide-by-zero traps\r\n"},
        {info(300), "%d floating underflow traps\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(messageNumber(row.id));
        EXPECT_EQ(row.text, messageTemplate(row.id));
        EXPECT_EQ(row.id, idForNumber(messageNumber(row.id)));
    }
}

TEST(Catalogue, ExceptionRowsAreSevereAndNamed)
{
    const char* names[] = {"access violation",
                           "datatype misalignment",
                           "breakpoint",
                           "single step",
                           "array bounds exceeded",
                           "denormal floating-point operand",
                           "floating stack check",
                           "integer divide by zero",
                           "integer overflow",
                           "privileged instruction",
                           "in page error",
                           "illegal instruction",
                           "noncontinuable exception",
                           "stack overflow",
                           "invalid disposition"};
    for (uint16_t n = 157; n <= 171; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(std::string("Program Exception - ") + names[n - 157] + "\r\n", messageTemplate(severe(n)));
    }
    EXPECT_EQ(severe(172), idForNumber(msg::ExceptionCode));
}

TEST(Catalogue, NamedNumbersHaveRows)
{
    const uint16_t named[] = {msg::Success,
                              msg::PermissionDenied,
                              msg::CannotOverwrite,
                              msg::CloseError,
                              msg::FileNotFound,
                              msg::OpenFailure,
                              msg::InvalidUnitNumber,
                              msg::UnitAlreadyOpen,
                              msg::ErrorDuringWrite,
                              msg::InsufficientMemory,
                              msg::FileNameSpecError,
                              msg::KeywordValueError,
                              msg::InconsistentOpenClose,
                              msg::WriteToReadOnly,
                              msg::OutputConversionError,
                              msg::InputConversionError,
                              msg::FloatingInvalid,
                              msg::OutputOverflowsRecord,
                              msg::FloatingOverflow,
                              msg::FloatingDivideByZero,
                              msg::FloatingUnderflow,
                              msg::FloatingInexact,
                              msg::AccessViolation,
                              msg::IntegerDivideByZero,
                              msg::IllegalInstruction,
                              msg::Noncontinuable,
                              msg::StackOverflow,
                              msg::ExceptionCode,
                              msg::AbortingDueToEvent,
                              msg::FlawedDivision,
                              msg::InvalidTraps,
                              msg::OverflowTraps,
                              msg::DivideByZeroTraps,
                              msg::UnderflowTraps};
    for (uint16_t n : named) {
        SCOPED_TRACE(n);
        auto row = findMessageNumber(n);
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(n, messageNumber(row->id));
        EXPECT_TRUE(row->text.ends_with("\r\n"));
    }
}

TEST(Catalogue, IoStatementRowsNameUnitAndFile)
{
    const uint16_t io[] = {9, 10, 28, 29, 30, 32, 34, 38, 43, 45, 46, 47, 63, 64, 66};
    for (uint16_t n : io) {
        SCOPED_TRACE(n);
        auto row = findMessageNumber(n);
        ASSERT_TRUE(row.has_value());
        EXPECT_TRUE(row->text.ends_with(", unit %d, file %s\r\n"));
    }
}

TEST(Catalogue, LookupIsByExactId)
{
    EXPECT_TRUE(findMessage(severe(9)).has_value());
    // Right number, wrong class: no such row.
    EXPECT_FALSE(findMessage(error(9)).has_value());
    EXPECT_EQ("Message not found\n", messageTemplate(error(9)));
    // Stray bits between the class and the number make a different id.
    EXPECT_FALSE(findMessage(severe(9) | 0x10000u).has_value());
    EXPECT_EQ("Message not found\n", messageTemplate(severe(9999)));
    EXPECT_FALSE(findMessageNumber(9999).has_value());
    EXPECT_EQ(0u, idForNumber(9999));
    EXPECT_EQ(0u, idForNumber(2));
}

} // namespace
} // namespace rt
