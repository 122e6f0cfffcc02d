#include "DialogTemplate.h"

#include "windows.h"

namespace winsim
{

namespace
{

class Reader
{
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Word(uint16_t& value)
    {
        if (m_at + 2 > m_size)
            return false;
        value = static_cast<uint16_t>(m_data[m_at] | (m_data[m_at + 1] << 8));
        m_at += 2;
        return true;
    }
    bool Dword(uint32_t& value)
    {
        uint16_t low = 0;
        uint16_t high = 0;
        if (!Word(low) || !Word(high))
            return false;
        value = low | (static_cast<uint32_t>(high) << 16);
        return true;
    }
    bool Short(int& value)
    {
        uint16_t word = 0;
        if (!Word(word))
            return false;
        value = static_cast<int16_t>(word);
        return true;
    }
    bool Skip(size_t count)
    {
        if (m_at + count > m_size)
            return false;
        m_at += count;
        return true;
    }
    // A UTF-16 string narrowed to ANSI (characters beyond Latin-1 become '?').
    bool String(std::string& text)
    {
        text.clear();
        for (;;)
        {
            uint16_t ch = 0;
            if (!Word(ch))
                return false;
            if (ch == 0)
                return true;
            text += ch < 0x100 ? static_cast<char>(ch) : '?';
        }
    }
    // A name or an ordinal: 0 for none, 0xFFFF and a number, or a string.
    bool NameOrOrdinal(std::string& text, int& ordinal)
    {
        ordinal = -1;
        text.clear();
        if (m_at + 2 > m_size)
            return false;
        const uint16_t first = static_cast<uint16_t>(m_data[m_at] | (m_data[m_at + 1] << 8));
        if (first == 0)
            return Skip(2);
        if (first == 0xFFFF)
        {
            uint16_t value = 0;
            if (!Skip(2) || !Word(value))
                return false;
            ordinal = value;
            return true;
        }
        return String(text);
    }
    bool AlignDword() { return Skip((4 - (m_at & 3)) & 3) || m_at == m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

std::string PredefinedClass(int atom)
{
    switch (atom)
    {
    case 0x80:
        return "BUTTON";
    case 0x81:
        return "EDIT";
    case 0x82:
        return "STATIC";
    case 0x83:
        return "LISTBOX";
    case 0x84:
        return "SCROLLBAR";
    case 0x85:
        return "COMBOBOX";
    default:
        return "#" + std::to_string(atom);
    }
}

} // namespace

bool DialogTemplate::Parse(const uint8_t* data, size_t size, DialogTemplate& dialog)
{
    dialog = DialogTemplate{};
    if (!data)
        return false;
    Reader in(data, size);
    uint16_t version = 0;
    uint16_t signature = 0;
    const bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    uint16_t count = 0;
    if (extended)
    {
        uint32_t helpId = 0;
        if (!in.Word(version) || !in.Word(signature) || !in.Dword(helpId) || !in.Dword(dialog.exStyle) ||
            !in.Dword(dialog.style))
            return false;
    }
    else if (!in.Dword(dialog.style) || !in.Dword(dialog.exStyle))
        return false;
    if (!in.Word(count) || !in.Short(dialog.x) || !in.Short(dialog.y) || !in.Short(dialog.cx) || !in.Short(dialog.cy))
        return false;
    std::string menu;
    int ordinal = -1;
    if (!in.NameOrOrdinal(menu, ordinal) || !in.NameOrOrdinal(dialog.className, ordinal) || !in.String(dialog.title))
        return false;
    if (ordinal >= 0)
        dialog.className = "#" + std::to_string(ordinal);
    if (dialog.style & DS_SETFONT)
    {
        uint16_t points = 0;
        if (!in.Word(points))
            return false;
        dialog.pointSize = points;
        if (extended && !in.Skip(4))
            return false;
        if (!in.String(dialog.fontName))
            return false;
    }
    for (uint16_t i = 0; i < count; ++i)
    {
        DialogItem item;
        if (!in.AlignDword())
            return false;
        if (extended)
        {
            uint32_t helpId = 0;
            uint32_t id = 0;
            if (!in.Dword(helpId) || !in.Dword(item.exStyle) || !in.Dword(item.style) || !in.Short(item.x) ||
                !in.Short(item.y) || !in.Short(item.cx) || !in.Short(item.cy) || !in.Dword(id))
                return false;
            item.id = static_cast<int>(static_cast<int16_t>(id & 0xFFFF));
        }
        else
        {
            uint16_t id = 0;
            if (!in.Dword(item.style) || !in.Dword(item.exStyle) || !in.Short(item.x) || !in.Short(item.y) ||
                !in.Short(item.cx) || !in.Short(item.cy) || !in.Word(id))
                return false;
            item.id = static_cast<int16_t>(id);
        }
        int classAtom = -1;
        uint16_t extra = 0;
        if (!in.NameOrOrdinal(item.className, classAtom) || !in.NameOrOrdinal(item.text, item.textOrdinal) ||
            !in.Word(extra) || !in.Skip(extra))
            return false;
        if (classAtom >= 0)
            item.className = PredefinedClass(classAtom);
        dialog.items.push_back(item);
    }
    return true;
}

} // namespace winsim
