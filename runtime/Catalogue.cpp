#include "runtime/Catalogue.h"

#include <algorithm>
#include <array>

namespace rt {
namespace {

constexpr uint32_t success(uint16_t n) { return messageId(Severity::Success, n); }
constexpr uint32_t info(uint16_t n) { return messageId(Severity::Info, n); }
constexpr uint32_t error(uint16_t n) { return messageId(Severity::Error, n); }
constexpr uint32_t severe(uint16_t n) { return messageId(Severity::Severe, n); }

// Ordered by message number; each number appears once, so a number names one row whatever
// its class. I/O statement rows take the unit number and the file name.
constexpr std::array kCatalogue{
    CatalogueEntry{success(0), "operation completed successfully\r\n"},
    CatalogueEntry{severe(1), "not a run-time library error\r\n"},
    CatalogueEntry{severe(8), "internal consistency check failure, unit %d, file %s\r\n"},
    CatalogueEntry{severe(9), "permission to access file denied, unit %d, file %s\r\n"},
    CatalogueEntry{severe(10), "cannot overwrite existing file, unit %d, file %s\r\n"},
    CatalogueEntry{severe(11), "unit not connected, unit %d, file %s\r\n"},
    CatalogueEntry{severe(21), "duplicate file specifications, unit %d, file %s\r\n"},
    CatalogueEntry{severe(22), "input record too long, unit %d, file %s\r\n"},
    CatalogueEntry{severe(24), "end-of-file during read, unit %d, file %s\r\n"},
    CatalogueEntry{severe(28), "CLOSE error, unit %d, file %s\r\n"},
    CatalogueEntry{severe(29), "file not found, unit %d, file %s\r\n"},
    CatalogueEntry{severe(30), "open failure, unit %d, file %s\r\n"},
    CatalogueEntry{severe(31), "mixed file access modes, unit %d, file %s\r\n"},
    CatalogueEntry{severe(32), "invalid logical unit number, unit %d, file %s\r\n"},
    CatalogueEntry{severe(34), "unit already open, unit %d, file %s\r\n"},
    CatalogueEntry{severe(38), "error during write, unit %d, file %s\r\n"},
    CatalogueEntry{severe(39), "error during read, unit %d, file %s\r\n"},
    CatalogueEntry{severe(41), "insufficient virtual memory\r\n"},
    CatalogueEntry{severe(43), "file name specification error, unit %d, file %s\r\n"},
    CatalogueEntry{severe(45), "keyword value error in OPEN statement, unit %d, file %s\r\n"},
    CatalogueEntry{severe(46), "inconsistent OPEN/CLOSE parameters, unit %d, file %s\r\n"},
    CatalogueEntry{severe(47), "write to READONLY file, unit %d, file %s\r\n"},
    CatalogueEntry{severe(59), "list-directed I/O syntax error, unit %d, file %s\r\n"},
    CatalogueEntry{severe(61), "format/variable-type mismatch, unit %d, file %s\r\n"},
    CatalogueEntry{severe(62), "syntax error in format, unit %d, file %s\r\n"},
    CatalogueEntry{error(63), "output conversion error, unit %d, file %s\r\n"},
    CatalogueEntry{severe(64), "input conversion error, unit %d, file %s\r\n"},
    CatalogueEntry{error(65), "floating invalid\r\n"},
    CatalogueEntry{severe(66), "output statement overflows record, unit %d, file %s\r\n"},
    CatalogueEntry{severe(67), "input statement requires too much data, unit %d, file %s\r\n"},
    CatalogueEntry{error(72), "floating overflow\r\n"},
    CatalogueEntry{error(73), "floating divide by zero\r\n"},
    CatalogueEntry{error(74), "floating underflow\r\n"},
    CatalogueEntry{severe(140), "floating inexact\r\n"},
    CatalogueEntry{severe(157), "Program Exception - access violation\r\n"},
    CatalogueEntry{severe(158), "Program Exception - datatype misalignment\r\n"},
    CatalogueEntry{severe(159), "Program Exception - breakpoint\r\n"},
    CatalogueEntry{severe(160), "Program Exception - single step\r\n"},
    CatalogueEntry{severe(161), "Program Exception - array bounds exceeded\r\n"},
    CatalogueEntry{severe(162), "Program Exception - denormal floating-point operand\r\n"},
    CatalogueEntry{severe(163), "Program Exception - floating stack check\r\n"},
    CatalogueEntry{severe(164), "Program Exception - integer divide by zero\r\n"},
    CatalogueEntry{severe(165), "Program Exception - integer overflow\r\n"},
    CatalogueEntry{severe(166), "Program Exception - privileged instruction\r\n"},
    CatalogueEntry{severe(167), "Program Exception - in page error\r\n"},
    CatalogueEntry{severe(168), "Program Exception - illegal instruction\r\n"},
    CatalogueEntry{severe(169), "Program Exception - noncontinuable exception\r\n"},
    CatalogueEntry{severe(170), "Program Exception - stack overflow\r\n"},
    CatalogueEntry{severe(171), "Program Exception - invalid disposition\r\n"},
    CatalogueEntry{severe(172), "Program Exception - exception code = 0x%lx (%ld)\r\n"},
    CatalogueEntry{error(200), "program aborting due to %s event\r\n"},
    CatalogueEntry{severe(201), "Intel Pentium fdiv flaw detected, please update the processor\r\n"},
    CatalogueEntry{info(297), "%d floating invalid traps\r\n"},
    CatalogueEntry{info(298), "%d floating overflow traps\r\n"},
    CatalogueEntry{info(299), "%d floating divide-by-zero traps\r\n"},
    CatalogueEntry{info(300), "%d floating underflow traps\r\n"},
};

constexpr bool strictlyOrderedByNumber()
{
    for (std::size_t i = 1; i < kCatalogue.size(); ++i) {
        if (messageNumber(kCatalogue[i - 1].id) >= messageNumber(kCatalogue[i].id))
            return false;
    }
    return true;
}
static_assert(strictlyOrderedByNumber(), "catalogue rows must be ordered by unique message number");

constexpr bool everyRowEndsInLineEnd()
{
    for (const auto& e : kCatalogue) {
        if (!e.text.ends_with("\r\n"))
            return false;
    }
    return true;
}
static_assert(everyRowEndsInLineEnd(), "catalogue templates end in CR LF");

const CatalogueEntry* rowForNumber(uint16_t number)
{
    auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), number,
                               [](const CatalogueEntry& e, uint16_t n) { return messageNumber(e.id) < n; });
    if (it == kCatalogue.end() || messageNumber(it->id) != number)
        return nullptr;
    return &*it;
}

} // namespace

std::optional<CatalogueEntry> findMessage(uint32_t id)
{
    const CatalogueEntry* row = rowForNumber(messageNumber(id));
    if (row == nullptr || row->id != id)
        return std::nullopt;
    return *row;
}

std::optional<CatalogueEntry> findMessageNumber(uint16_t number)
{
    const CatalogueEntry* row = rowForNumber(number);
    if (row == nullptr)
        return std::nullopt;
    return *row;
}

std::string_view messageTemplate(uint32_t id)
{
    if (auto row = findMessage(id))
        return row->text;
    return "Message not found\n";
}

uint32_t idForNumber(uint16_t number)
{
    const CatalogueEntry* row = rowForNumber(number);
    return row == nullptr ? 0 : row->id;
}

} // namespace rt
