#include "RegFileParser.h"

#include "core/ProfileValue.h"
#include "registry/Cp1252.h"

namespace winsim
{

namespace
{

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

bool StartsWithNoCase(const std::string& text, size_t pos, const char* prefix)
{
    std::string wanted(prefix);
    return text.size() - pos >= wanted.size() && Cp1252::EqualNoCase(text.substr(pos, wanted.size()), wanted);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses 1..maxDigits hex digits making up the whole of `text`.
bool ParseHexNumber(const std::string& text, size_t maxDigits, uint32_t& number)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    number = 0;
    for (char c : text)
    {
        int digit = HexDigit(c);
        if (digit < 0)
            return false;
        number = (number << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

bool IsStringType(uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

} // namespace

bool RegFileParser::Fail(size_t line, const std::string& what, std::string& error) const
{
    error = m_fileName + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool RegFileParser::Apply(const std::string& text, std::string& error)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (text.size() >= 2 && static_cast<uint8_t>(text[0]) == 0xFF && static_cast<uint8_t>(text[1]) == 0xFE)
        return Fail(1, "UTF-16 text; .reg files here are ANSI", error);

    bool headerSeen = false;
    bool afterKeyLine = false;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        size_t lineNumber = i + 1;
        std::string line = ProfileValue::Trim(lines[i]);
        if (!headerSeen)
        {
            if (line.empty())
                continue;
            if (line == "REGEDIT4")
                m_version5 = false;
            else if (line == "Windows Registry Editor Version 5.00")
                m_version5 = true;
            else
                return Fail(lineNumber, "expected REGEDIT4 or Windows Registry Editor Version 5.00", error);
            headerSeen = true;
            continue;
        }
        bool keyLine = false;
        std::string what;
        if (line.empty())
        {
        }
        else if (line == ";@deny-write")
        {
            if (!afterKeyLine || !m_key)
                return Fail(lineNumber, ";@deny-write must directly follow a [key] line", error);
            if (!m_registry.SetDenyWrite(m_key, true, false))
                return Fail(lineNumber, "cannot mark the key", error);
        }
        else if (line[0] == ';')
        {
        }
        else if (line[0] == '[')
        {
            keyLine = true;
            if (!KeyLine(line, what))
                return Fail(lineNumber, what, error);
        }
        else if (line[0] == '"' || line[0] == '@')
        {
            // Hex data continues on the next line after a trailing backslash.
            size_t eq = line.find("=hex");
            if (eq == std::string::npos)
                eq = line.find("= hex");
            while (eq != std::string::npos && line.back() == '\\' && i + 1 < lines.size())
            {
                line.pop_back();
                line += ProfileValue::Trim(lines[++i]);
            }
            if (!ValueLine(line, what))
                return Fail(lineNumber, what, error);
        }
        else
        {
            return Fail(lineNumber, "not a key, value or comment line", error);
        }
        afterKeyLine = keyLine;
    }
    if (!headerSeen)
        return Fail(1, "expected REGEDIT4 or Windows Registry Editor Version 5.00", error);
    return true;
}

bool RegFileParser::KeyLine(const std::string& line, std::string& what)
{
    if (line.back() != ']')
    {
        what = "key line without closing ']'";
        return false;
    }
    std::string path = ProfileValue::Trim(line.substr(1, line.size() - 2));
    bool remove = !path.empty() && path[0] == '-';
    if (remove)
        path = ProfileValue::Trim(path.substr(1));
    RegRoot root;
    std::string rest;
    if (!RegistryStore::SplitFullPath(path, root, rest))
    {
        what = "unknown root key in [" + path + "]";
        return false;
    }
    m_key = 0;
    if (remove)
    {
        if (RegistryStore::SplitPath(rest).empty())
        {
            what = "cannot delete a root key";
            return false;
        }
        int64_t key = m_registry.FindKey(path);
        if (key && !m_registry.DeleteTree(key))
        {
            what = "cannot delete [" + path + "]";
            return false;
        }
        return true;
    }
    m_key = m_registry.CreateKey(path);
    if (!m_key)
    {
        what = "cannot create [" + path + "]";
        return false;
    }
    return true;
}

bool RegFileParser::ValueLine(const std::string& line, std::string& what)
{
    if (!m_key)
    {
        what = "value outside a key";
        return false;
    }
    RegValue value;
    size_t pos = 0;
    if (line[0] == '@')
        pos = 1;
    else if (!ParseQuoted(line, pos, value.name))
    {
        what = "unterminated value name";
        return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
    {
        what = "expected '=' after the value name";
        return false;
    }
    bool remove = false;
    if (!ParseData(ProfileValue::Trim(line.substr(pos + 1)), value, remove, what))
        return false;
    if (remove)
    {
        // Deleting a value that is not there is not an error, as with regedit.
        m_registry.DeleteValue(m_key, value.name);
        return true;
    }
    if (!m_registry.SetValue(m_key, value.name, value.type, value.data.data(), value.data.size()))
    {
        what = "cannot set the value";
        return false;
    }
    return true;
}

bool RegFileParser::ParseData(const std::string& text, RegValue& value, bool& remove, std::string& what) const
{
    if (text.empty())
    {
        what = "missing value data";
        return false;
    }
    if (text == "-")
    {
        remove = true;
        return true;
    }
    if (text[0] == '"')
    {
        size_t pos = 0;
        std::string str;
        if (!ParseQuoted(text, pos, str) || pos != text.size())
        {
            what = "malformed string value";
            return false;
        }
        value.type = kRegSz;
        value.data.assign(str.begin(), str.end());
        value.data.push_back(0);
        return true;
    }
    if (StartsWithNoCase(text, 0, "dword:"))
    {
        uint32_t number = 0;
        if (!ParseHexNumber(ProfileValue::Trim(text.substr(6)), 8, number))
        {
            what = "malformed dword value (up to 8 hex digits)";
            return false;
        }
        value.type = kRegDword;
        value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                      static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
        return true;
    }
    size_t colon = text.find(':');
    if (StartsWithNoCase(text, 0, "hex:"))
        value.type = kRegBinary;
    else if (StartsWithNoCase(text, 0, "hex(") && colon != std::string::npos && colon >= 5 && text[colon - 1] == ')')
    {
        if (!ParseHexNumber(text.substr(4, colon - 5), 8, value.type))
        {
            what = "malformed value type in hex(N)";
            return false;
        }
    }
    else
    {
        what = "unknown value data '" + text.substr(0, 16) + "'";
        return false;
    }
    if (!ParseHexList(text.substr(colon + 1), value.data))
    {
        what = "malformed hex data";
        return false;
    }
    if (m_version5 && IsStringType(value.type))
    {
        if (value.data.size() % 2 != 0)
        {
            what = "UTF-16 string data of odd length";
            return false;
        }
        value.data = Utf16ToAnsi(value.data);
    }
    return true;
}

bool RegFileParser::ParseQuoted(const std::string& text, size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    for (size_t i = pos + 1; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '"')
        {
            pos = i + 1;
            return true;
        }
        // Only \\ and \" are escapes; any other backslash stands for itself.
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            c = text[++i];
        out += c;
    }
    return false;
}

bool RegFileParser::ParseHexList(const std::string& text, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::string list = ProfileValue::Trim(text);
    if (list.empty())
        return true;
    size_t start = 0;
    while (start <= list.size())
    {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string item = ProfileValue::Trim(list.substr(start, comma - start));
        uint32_t byte = 0;
        bool last = comma == list.size();
        // regedit tolerates a trailing comma; nothing else may be empty.
        if (item.empty() && last && !bytes.empty())
            return true;
        if (!ParseHexNumber(item, 2, byte))
            return false;
        bytes.push_back(static_cast<uint8_t>(byte));
        start = comma + 1;
    }
    return true;
}

std::vector<uint8_t> RegFileParser::Utf16ToAnsi(const std::vector<uint8_t>& utf16)
{
    std::vector<uint8_t> ansi;
    ansi.reserve(utf16.size() / 2);
    for (size_t i = 0; i + 1 < utf16.size(); i += 2)
        ansi.push_back(Cp1252::FromUnicode(utf16[i] | (static_cast<uint32_t>(utf16[i + 1]) << 8)));
    return ansi;
}

} // namespace winsim
