#pragma once
// Compiled formats and the record layouts of formatted, list-directed and internal I/O.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rt {

// One item of an output list: an integer, a 4-byte real or a character value.
using Item = std::variant<int32_t, float, std::string_view>;

// One token of a compiled format.
struct FormatToken {
    enum class Kind {
        Start,
        Literal,
        GroupStart,
        GroupEnd,
        Integer,
        Real,
        End
    };
    Kind kind = Kind::Start;
    std::string text; // Literal: the characters to copy
    int count = 0;    // GroupStart: the repeat count
    int width = 0;    // Integer (Iw), Real (Fw.d)
    int decimals = 0; // Real (Fw.d)
    friend bool operator==(const FormatToken&, const FormatToken&) = default;
};

// A compiled format: Start, then literals, groups and edit descriptors, then End.
class Format {
public:
    // Compiles a format text such as ('   [',F6.3,2(', ',F6.3),']') or (I3).
    // Literals are quoted with ' or " (a doubled quote stands for itself); descriptors are
    // Iw and Fw.d; a group may carry a repeat count. Nothing else is accepted. Blanks between
    // items are ignored and descriptor letters may be in either case.
    static std::optional<Format> parse(std::string_view text);

    const std::vector<FormatToken>& tokens() const { return m_tokens; }

private:
    std::vector<FormatToken> m_tokens;
};

// Iw: right-justified decimal, w asterisks when it does not fit.
std::string editInteger(int32_t value, int width);

// Fw.d: rounded to d decimals, right-justified, "0" before the point when there is room,
// w asterisks when it does not fit.
std::string editReal(float value, int width, int decimals);

// Lays out one formatted output statement: the records it writes, without record ends.
// An item of the wrong type for its descriptor yields std::nullopt (output conversion error).
std::optional<std::vector<std::string>> formatRecords(const Format& format, std::span<const Item> items);

// The width of a list-directed output line: a value that does not fit in what is left
// continues in a new record.
inline constexpr std::size_t ListLineWidth = 80;

// Lays out one list-directed output statement: the records it writes, each beginning
// with one blank.
std::vector<std::string> listRecords(std::span<const Item> items);

// Internal formatted write into a character variable of fixed length (its current size):
// filled from the left, the rest blanks. Returns 0, or the message number of the failure
// (66 when the output is longer than the variable, 63 for a mistyped item).
int internalWrite(std::string& variable, const Format& format, std::span<const Item> items);

// Internal list-directed read of one integer. 0 on success; -1 (end of file) when the text
// holds no value; 64 (input conversion error) for a bad value. On failure value is unchanged.
int internalReadInteger(std::string_view text, int32_t& value);

// Internal list-directed read of one real, with the same status values.
int internalReadReal(std::string_view text, float& value);

} // namespace rt
