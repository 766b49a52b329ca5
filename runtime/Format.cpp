#include "runtime/Format.h"

#include "runtime/Catalogue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace rt {
namespace {

// Limits that keep a malformed or hostile format from asking for absurd amounts of work or
// memory; the program's own formats are far inside them.
constexpr int kMaxFieldWidth = 1024;
constexpr int kMaxRepeatCount = 32767;
constexpr int kMaxGroupDepth = 32;
constexpr long kMaxFormatSteps = 1L << 22;
constexpr std::size_t kMaxRecordLength = 1u << 20;

FormatToken token(FormatToken::Kind kind)
{
    FormatToken t;
    t.kind = kind;
    return t;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class FormatParser {
public:
    explicit FormatParser(std::string_view text) : m_text(text) {}

    bool parse(std::vector<FormatToken>& out)
    {
        out.push_back(token(FormatToken::Kind::Start));
        skipBlanks();
        if (!take('('))
            return false;
        if (!parseList(out, 1))
            return false;
        skipBlanks();
        if (m_pos != m_text.size())
            return false;
        out.push_back(token(FormatToken::Kind::End));
        return true;
    }

private:
    // The items of one parenthesised list up to and including its closing parenthesis.
    bool parseList(std::vector<FormatToken>& out, int depth)
    {
        skipBlanks();
        if (take(')'))
            return true;
        for (;;) {
            if (!parseItem(out, depth))
                return false;
            skipBlanks();
            if (take(')'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool parseItem(std::vector<FormatToken>& out, int depth)
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            return false;
        char c = m_text[m_pos];
        if (c == '\'' || c == '"')
            return parseLiteral(out);
        int count = 1;
        if (isDigit(c)) {
            if (!number(count, 1, kMaxRepeatCount))
                return false;
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != '(')
                return false; // a repeat count belongs to a group only
        }
        if (take('(')) {
            if (depth >= kMaxGroupDepth)
                return false;
            FormatToken start = token(FormatToken::Kind::GroupStart);
            start.count = count;
            out.push_back(start);
            if (!parseList(out, depth + 1))
                return false;
            out.push_back(token(FormatToken::Kind::GroupEnd));
            return true;
        }
        c = m_text[m_pos];
        if (c == 'I' || c == 'i') {
            ++m_pos;
            FormatToken t = token(FormatToken::Kind::Integer);
            if (!number(t.width, 1, kMaxFieldWidth))
                return false;
            out.push_back(t);
            return true;
        }
        if (c == 'F' || c == 'f') {
            ++m_pos;
            FormatToken t = token(FormatToken::Kind::Real);
            if (!number(t.width, 1, kMaxFieldWidth) || !take('.') || !number(t.decimals, 0, kMaxFieldWidth))
                return false;
            out.push_back(t);
            return true;
        }
        return false;
    }

    bool parseLiteral(std::vector<FormatToken>& out)
    {
        const char quote = m_text[m_pos++];
        FormatToken t = token(FormatToken::Kind::Literal);
        for (;;) {
            if (m_pos >= m_text.size())
                return false;
            char c = m_text[m_pos++];
            if (c == quote) {
                if (m_pos < m_text.size() && m_text[m_pos] == quote) {
                    t.text += quote;
                    ++m_pos;
                    continue;
                }
                break;
            }
            t.text += c;
        }
        out.push_back(std::move(t));
        return true;
    }

    // An unsigned decimal in [lo, hi], digits only.
    bool number(int& value, int lo, int hi)
    {
        std::size_t start = m_pos;
        long v = 0;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos])) {
            v = v * 10 + (m_text[m_pos] - '0');
            if (v > hi)
                return false;
            ++m_pos;
        }
        if (m_pos == start || v < lo)
            return false;
        value = static_cast<int>(v);
        return true;
    }

    bool take(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::string rightJustified(std::string_view s, int width)
{
    if (static_cast<int>(s.size()) > width)
        return std::string(static_cast<std::size_t>(width), '*');
    std::string out(static_cast<std::size_t>(width) - s.size(), ' ');
    out += s;
    return out;
}

// The shortest decimal form of a real that reads back as the same float, always with a
// point or an exponent so that it reads as a real.
std::string listReal(float value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, r.ptr);
    std::size_t e = s.find('e');
    if (e != std::string::npos) {
        s[e] = 'E';
        if (s.find('.') == std::string::npos)
            s.insert(e, ".0");
    } else if (s.find('.') == std::string::npos) {
        s += ".0";
    }
    return s;
}

} // namespace

std::optional<Format> Format::parse(std::string_view text)
{
    Format f;
    FormatParser parser(text);
    if (!parser.parse(f.m_tokens))
        return std::nullopt;
    return f;
}

std::string editInteger(int32_t value, int width)
{
    if (width <= 0)
        return {};
    return rightJustified(std::to_string(value), width);
}

std::string editReal(float value, int width, int decimals)
{
    if (width <= 0)
        return {};
    if (decimals < 0)
        decimals = 0;
    if (std::isnan(value))
        return rightJustified("NaN", width);
    if (std::isinf(value)) {
        std::string_view longForm = value < 0 ? "-Infinity" : "Infinity";
        std::string_view shortForm = value < 0 ? "-Inf" : "Inf";
        return rightJustified(static_cast<int>(longForm.size()) <= width ? longForm : shortForm, width);
    }
    // The exact binary value of the float, rounded once to `decimals` places (ties to even).
    const double magnitude = std::fabs(static_cast<double>(value));
    int size = std::snprintf(nullptr, 0, "%.*f", decimals, magnitude);
    if (size <= 0)
        return std::string(static_cast<std::size_t>(width), '*');
    std::string digits(static_cast<std::size_t>(size), '\0');
    std::snprintf(digits.data(), digits.size() + 1, "%.*f", decimals, magnitude);
    if (decimals == 0)
        digits += '.';
    // A value that rounds to zero is written without a sign.
    const bool negative = value < 0 && digits.find_first_not_of("0.") != std::string::npos;
    std::string field = negative ? "-" + digits : digits;
    if (static_cast<int>(field.size()) > width && decimals > 0 && digits.starts_with("0.")) {
        // The zero before the point is the first thing to go when the field is tight.
        field = negative ? "-" + digits.substr(1) : digits.substr(1);
    }
    return rightJustified(field, width);
}

std::optional<std::vector<std::string>> formatRecords(const Format& format, std::span<const Item> items)
{
    using Kind = FormatToken::Kind;
    const auto& tokens = format.tokens();
    if (tokens.size() < 2 || tokens.front().kind != Kind::Start || tokens.back().kind != Kind::End)
        return std::nullopt;

    // Format reversion restarts at the last group that stands at the top level (with its
    // repeat count), or at the start of the format when there is none.
    std::size_t reversion = 1;
    {
        int depth = 0;
        for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
            if (tokens[i].kind == Kind::GroupStart) {
                if (depth == 0)
                    reversion = i;
                ++depth;
            } else if (tokens[i].kind == Kind::GroupEnd) {
                --depth;
            }
        }
    }

    struct Group {
        std::size_t start;
        int remaining;
    };
    std::vector<Group> groups;
    std::vector<std::string> records;
    std::string record;
    std::size_t next = 0;
    bool tookItem = false;
    long steps = 0;

    for (std::size_t i = 1; i < tokens.size();) {
        if (++steps > kMaxFormatSteps || record.size() > kMaxRecordLength)
            return std::nullopt;
        const FormatToken& t = tokens[i];
        switch (t.kind) {
        case Kind::Start: ++i; break;
        case Kind::Literal:
            record += t.text;
            ++i;
            break;
        case Kind::GroupStart:
            groups.push_back({i, t.count});
            ++i;
            break;
        case Kind::GroupEnd:
            if (groups.empty())
                return std::nullopt;
            if (--groups.back().remaining > 0) {
                i = groups.back().start + 1;
            } else {
                groups.pop_back();
                ++i;
            }
            break;
        case Kind::Integer:
        case Kind::Real:
            if (next == items.size()) {
                records.push_back(std::move(record));
                return records;
            }
            if (t.kind == Kind::Integer) {
                const auto* v = std::get_if<int32_t>(&items[next]);
                if (v == nullptr)
                    return std::nullopt;
                record += editInteger(*v, t.width);
            } else {
                const auto* v = std::get_if<float>(&items[next]);
                if (v == nullptr)
                    return std::nullopt;
                record += editReal(*v, t.width, t.decimals);
            }
            ++next;
            tookItem = true;
            ++i;
            break;
        case Kind::End:
            if (next == items.size()) {
                records.push_back(std::move(record));
                return records;
            }
            // Items remain but a whole pass took none: the format cannot consume them.
            if (!tookItem)
                return std::nullopt;
            records.push_back(std::move(record));
            record.clear();
            groups.clear();
            tookItem = false;
            i = reversion;
            break;
        }
    }
    return std::nullopt;
}

std::vector<std::string> listRecords(std::span<const Item> items)
{
    std::vector<std::string> records;
    std::string record = " ";
    bool previousWasCharacter = true; // nothing to separate from at a record's start

    auto newRecord = [&] {
        records.push_back(std::move(record));
        record = " ";
        previousWasCharacter = true;
    };
    auto atRecordStart = [&] { return record.size() == 1; };

    for (const Item& item : items) {
        if (const auto* text = std::get_if<std::string_view>(&item)) {
            std::string_view rest = *text;
            const std::size_t separator = previousWasCharacter || atRecordStart() ? 0 : 1;
            if (record.size() + separator + rest.size() > ListLineWidth && !atRecordStart())
                newRecord();
            else if (separator)
                record += ' ';
            // A value longer than a whole line continues over as many records as it needs.
            while (record.size() + rest.size() > ListLineWidth) {
                const std::size_t room = ListLineWidth - record.size();
                record += rest.substr(0, room);
                rest.remove_prefix(room);
                newRecord();
            }
            record += rest;
            previousWasCharacter = true;
            continue;
        }
        std::string value;
        if (const auto* i = std::get_if<int32_t>(&item))
            value = std::to_string(*i);
        else
            value = listReal(std::get<float>(item));
        const std::size_t separator = atRecordStart() ? 0 : 1;
        if (record.size() + separator + value.size() > ListLineWidth && !atRecordStart())
            newRecord();
        else if (separator)
            record += ' ';
        record += value;
        previousWasCharacter = false;
    }
    records.push_back(std::move(record));
    return records;
}

int internalWrite(std::string& variable, const Format& format, std::span<const Item> items)
{
    auto records = formatRecords(format, items);
    if (!records)
        return msg::OutputConversionError;
    // The variable is a file of one record: a second record or a longer one does not fit.
    if (records->size() > 1 || records->front().size() > variable.size())
        return msg::OutputOverflowsRecord;
    const std::string& record = records->front();
    variable.replace(0, record.size(), record);
    std::fill(variable.begin() + static_cast<std::ptrdiff_t>(record.size()), variable.end(), ' ');
    return 0;
}

namespace {

bool endsValue(char c) { return isBlank(c) || c == ',' || c == '/'; }

enum class Field {
    Value,
    Null,
    Empty
};

// Skips leading blanks and finds the first value of a list-directed record.
Field firstField(std::string_view text, std::size_t& begin, std::size_t& end)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i == text.size())
        return Field::Empty;
    // A separator in place of a value is a null value: the variable keeps what it holds.
    if (text[i] == ',' || text[i] == '/')
        return Field::Null;
    begin = i;
    while (i < text.size() && !endsValue(text[i]))
        ++i;
    end = i;
    return Field::Value;
}

} // namespace

int internalReadInteger(std::string_view text, int32_t& value)
{
    std::size_t begin = 0, end = 0;
    switch (firstField(text, begin, end)) {
    case Field::Empty: return -1;
    case Field::Null: return 0;
    case Field::Value: break;
    }
    std::string_view field = text.substr(begin, end - begin);
    bool negative = false;
    if (field.front() == '+' || field.front() == '-') {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty())
        return msg::InputConversionError;
    int64_t magnitude = 0;
    for (char c : field) {
        if (!isDigit(c))
            return msg::InputConversionError;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return msg::InputConversionError;
    }
    const int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int32_t>::max())
        return msg::InputConversionError;
    value = static_cast<int32_t>(v);
    return 0;
}

int internalReadReal(std::string_view text, float& value)
{
    std::size_t begin = 0, end = 0;
    switch (firstField(text, begin, end)) {
    case Field::Empty: return -1;
    case Field::Null: return 0;
    case Field::Value: break;
    }
    std::string_view field = text.substr(begin, end - begin);
    bool negative = false;
    if (field.front() == '+' || field.front() == '-') {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }

    // Mantissa: digits with at most one point, at least one digit.
    std::string number;
    std::size_t i = 0;
    int integerDigits = 0, fractionDigits = 0;
    while (i < field.size() && isDigit(field[i])) {
        number += field[i++];
        ++integerDigits;
    }
    if (i < field.size() && field[i] == '.') {
        number += field[i++];
        while (i < field.size() && isDigit(field[i])) {
            number += field[i++];
            ++fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0)
        return msg::InputConversionError;
    const std::size_t mantissaLength = number.size();

    // Exponent: a letter E or D (either case), an optional sign, at least one digit.
    long exponent = 0;
    if (i < field.size()) {
        const char letter = field[i++];
        if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd')
            return msg::InputConversionError;
        bool negativeExponent = false;
        if (i < field.size() && (field[i] == '+' || field[i] == '-'))
            negativeExponent = field[i++] == '-';
        if (i == field.size())
            return msg::InputConversionError;
        for (; i < field.size(); ++i) {
            if (!isDigit(field[i]))
                return msg::InputConversionError;
            if (exponent < 100000000)
                exponent = exponent * 10 + (field[i] - '0');
        }
        if (negativeExponent)
            exponent = -exponent;
        number += 'e';
        number += std::to_string(exponent);
    }

    float result = 0.0f;
    auto r = std::from_chars(number.data(), number.data() + number.size(), result);
    if (r.ptr != number.data() + number.size())
        return msg::InputConversionError;
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal order of the leading significant digit decides.
        const std::size_t firstNonZero = number.find_first_of("123456789");
        if (firstNonZero < mantissaLength) {
            long digitIndex = 0;
            for (std::size_t k = 0; k < firstNonZero; ++k)
                digitIndex += number[k] != '.';
            const long order = integerDigits - digitIndex - 1 + exponent;
            if (order >= 0)
                return msg::InputConversionError;
        }
        result = 0.0f;
    } else if (r.ec != std::errc{}) {
        return msg::InputConversionError;
    }
    value = negative ? -result : result;
    return 0;
}

} // namespace rt
