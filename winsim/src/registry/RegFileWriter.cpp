#include "RegFileWriter.h"

#include <cstdio>

namespace winsim
{

namespace
{

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
// regedit breaks a hex line once it reaches this many characters, before the continuation backslash.
constexpr size_t kHexLineLimit = 77;

// Strings regedit can write in quotes: one terminating NUL, no other NUL and no line breaks.
bool IsPlainString(const std::vector<uint8_t>& data)
{
    if (data.empty() || data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
    {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return false;
    }
    return true;
}

} // namespace

std::string RegFileWriter::Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string RegFileWriter::FormatValue(const RegValue& value, bool wrap)
{
    std::string out = value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    if (value.type == kRegSz && IsPlainString(value.data))
        return out + Quote(std::string(value.data.begin(), value.data.end() - 1));
    if (value.type == kRegDword && value.data.size() == 4)
    {
        uint32_t number =
            value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (static_cast<uint32_t>(value.data[3]) << 24);
        char text[16];
        std::snprintf(text, sizeof(text), "dword:%08x", number);
        return out + text;
    }
    if (value.type == kRegBinary)
        out += "hex:";
    else
    {
        char prefix[24];
        std::snprintf(prefix, sizeof(prefix), "hex(%x):", value.type);
        out += prefix;
    }
    size_t lineLength = out.size();
    for (size_t i = 0; i < value.data.size(); ++i)
    {
        char byte[4];
        std::snprintf(byte, sizeof(byte), "%02x", value.data[i]);
        out += byte;
        if (i + 1 == value.data.size())
            break;
        out += ',';
        lineLength += 3;
        if (wrap && lineLength >= kHexLineLimit)
        {
            out += "\\\r\n  ";
            lineLength = 2;
        }
    }
    return out;
}

std::string RegFileWriter::Export(int64_t key, const std::string& displayPath)
{
    std::string out = "REGEDIT4\r\n\r\n";
    WriteKey(key, displayPath, out);
    return out;
}

void RegFileWriter::WriteKey(int64_t key, const std::string& path, std::string& out)
{
    out += "[" + path + "]\r\n";
    for (const RegValue& value : m_registry.Values(key))
        out += FormatValue(value, true) + "\r\n";
    out += "\r\n";
    for (const std::string& name : m_registry.SubKeyNames(key))
    {
        int64_t child = m_registry.FindChild(key, name);
        if (child)
            WriteKey(child, path + "\\" + name, out);
    }
}

} // namespace winsim
