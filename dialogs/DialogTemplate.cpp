#include "dialogs/DialogTemplate.h"

namespace dialogs {
namespace {

// A cursor over the template bytes; every read checks the bounds first and a failed read
// leaves the reader failed for good.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }

    std::uint16_t u16()
    {
        if (!need(2))
            return 0;
        const std::uint16_t v = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }

    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }

    std::uint32_t u32()
    {
        const std::uint32_t low = u16();
        const std::uint32_t high = u16();
        return low | (high << 16);
    }

    // A zero-terminated string of 16-bit characters, each kept as its low byte.
    std::string string16()
    {
        std::string s;
        while (m_ok) {
            const std::uint16_t c = u16();
            if (!m_ok || c == 0)
                break;
            s.push_back(static_cast<char>(c & 0xFF));
        }
        return s;
    }

    NameOrOrdinal nameOrOrdinal()
    {
        NameOrOrdinal field;
        if (!need(2))
            return field;
        if (peek16() == OrdinalMarker) {
            u16();
            field.ordinal = u16();
        } else {
            field.name = string16();
        }
        return field;
    }

    void skip(std::size_t count)
    {
        if (need(count))
            m_pos += count;
    }

    // Moves to the next multiple of four from the template's start.
    void alignTo4() { skip((4 - m_pos % 4) % 4); }

private:
    bool need(std::size_t count)
    {
        if (m_ok && count <= m_bytes.size() - m_pos)
            return true;
        m_ok = false;
        return false;
    }

    std::uint16_t peek16() const { return static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8)); }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

} // namespace

const char* describe(TemplateError error)
{
    switch (error) {
    case TemplateError::Truncated: return "the dialog template ends before its last field";
    case TemplateError::ExtendedTemplate: return "extended dialog templates are not supported";
    }
    return "unknown template error";
}

platform::Result<DialogTemplate> parseDialogTemplate(std::span<const std::uint8_t> bytes)
{
    const platform::Error truncated{describe(TemplateError::Truncated)};
    Reader r(bytes);
    DialogTemplate t;

    // The extended layout starts with the words 1 and 0xFFFF where the style would be.
    if (bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF) {
        return platform::fail(describe(TemplateError::ExtendedTemplate));
    }

    t.style = r.u32();
    t.extendedStyle = r.u32();
    const std::uint16_t itemCount = r.u16();
    t.x = r.i16();
    t.y = r.i16();
    t.width = r.i16();
    t.height = r.i16();
    t.menu = r.nameOrOrdinal();
    t.windowClass = r.nameOrOrdinal();
    t.title = r.nameOrOrdinal();
    if (t.style & style::SetFont) {
        t.pointSize = r.u16();
        t.fontName = r.string16();
    }
    if (!r.ok())
        return truncated;

    // Each item takes at least 18 bytes; a count that cannot fit is refused before reserving.
    if (itemCount > bytes.size() / 18)
        return truncated;
    t.items.reserve(itemCount);
    for (std::uint16_t i = 0; i < itemCount; ++i) {
        r.alignTo4();
        TemplateItem item;
        item.style = r.u32();
        item.extendedStyle = r.u32();
        item.x = r.i16();
        item.y = r.i16();
        item.width = r.i16();
        item.height = r.i16();
        item.id = r.u16();
        item.windowClass = r.nameOrOrdinal();
        item.title = r.nameOrOrdinal();
        item.creationDataSize = r.u16();
        // Creation data is not used, but skipping it keeps the next item where it belongs. A
        // nonzero size counts the size word itself.
        if (item.creationDataSize > 2)
            r.skip(item.creationDataSize - 2u);
        if (!r.ok())
            return truncated;
        t.items.push_back(std::move(item));
    }
    return t;
}

} // namespace dialogs
