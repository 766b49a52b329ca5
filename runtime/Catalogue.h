#pragma once
// The run-time's message catalogue: numbered, severity-classed message templates.

#include <cstdint>
#include <optional>
#include <string_view>

namespace rt {

// Severity class, bits 31..30 of a message id.
enum class Severity : uint32_t {
    Success = 0,
    Info = 1,
    Error = 2,
    Severe = 3
};

// A message id: severity class in bits 31..30, the user-visible number in the low 16 bits.
constexpr uint32_t messageId(Severity s, uint16_t number) { return (static_cast<uint32_t>(s) << 30) | number; }
constexpr uint16_t messageNumber(uint32_t id) { return static_cast<uint16_t>(id & 0xFFFFu); }
constexpr Severity messageSeverity(uint32_t id) { return static_cast<Severity>(id >> 30); }

// Message numbers the program refers to by name.
namespace msg {
inline constexpr uint16_t Success = 0;
inline constexpr uint16_t PermissionDenied = 9;
inline constexpr uint16_t CannotOverwrite = 10;
inline constexpr uint16_t CloseError = 28;
inline constexpr uint16_t FileNotFound = 29;
inline constexpr uint16_t OpenFailure = 30;
inline constexpr uint16_t InvalidUnitNumber = 32;
inline constexpr uint16_t UnitAlreadyOpen = 34;
inline constexpr uint16_t ErrorDuringWrite = 38;
inline constexpr uint16_t InsufficientMemory = 41;
inline constexpr uint16_t FileNameSpecError = 43;
inline constexpr uint16_t KeywordValueError = 45;
inline constexpr uint16_t InconsistentOpenClose = 46;
inline constexpr uint16_t WriteToReadOnly = 47;
inline constexpr uint16_t OutputConversionError = 63;
inline constexpr uint16_t InputConversionError = 64;
inline constexpr uint16_t FloatingInvalid = 65;
inline constexpr uint16_t OutputOverflowsRecord = 66;
inline constexpr uint16_t FloatingOverflow = 72;
inline constexpr uint16_t FloatingDivideByZero = 73;
inline constexpr uint16_t FloatingUnderflow = 74;
inline constexpr uint16_t FloatingInexact = 140;
inline constexpr uint16_t AccessViolation = 157;
inline constexpr uint16_t IntegerDivideByZero = 164;
inline constexpr uint16_t IllegalInstruction = 168;
inline constexpr uint16_t Noncontinuable = 169;
inline constexpr uint16_t StackOverflow = 170;
inline constexpr uint16_t ExceptionCode = 172;
inline constexpr uint16_t AbortingDueToEvent = 200;
inline constexpr uint16_t FlawedDivision = 201;
inline constexpr uint16_t InvalidTraps = 297;
inline constexpr uint16_t OverflowTraps = 298;
inline constexpr uint16_t DivideByZeroTraps = 299;
inline constexpr uint16_t UnderflowTraps = 300;
} // namespace msg

// One catalogue row: its full id and its printf-style template, ending in CR LF.
struct CatalogueEntry {
    uint32_t id;
    std::string_view text;
};

// The row with exactly this id, if the catalogue holds one.
std::optional<CatalogueEntry> findMessage(uint32_t id);

// The row with this user-visible number, whatever its class.
std::optional<CatalogueEntry> findMessageNumber(uint16_t number);

// The template text of id, or "Message not found\n" when there is no such row.
std::string_view messageTemplate(uint32_t id);

// The full id for a message number (its class taken from the catalogue); 0 when absent.
uint32_t idForNumber(uint16_t number);

} // namespace rt
