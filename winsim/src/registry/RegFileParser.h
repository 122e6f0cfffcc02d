// Reads .reg text (REGEDIT4 or "Windows Registry Editor Version 5.00", ANSI) into the registry.
//   [full\path]        creates the key            [-full\path]    deletes it with its subtree
//   "name"="text"      REG_SZ (\\ and \" escaped)  @=...           the default value
//   "name"=dword:1f    REG_DWORD                  "name"=hex:..   REG_BINARY, hex(N): any type N
//   "name"=-           deletes the value          ; comment       blank lines are skipped
// Hex data may continue on following lines after a trailing backslash. In version 5 files, hex data of the
// string types is UTF-16 and is stored as ANSI. Our own extension: the comment `;@deny-write` right after
// a [key] line makes that key (and subkeys created later) refuse writes, as Windows does for the Enum tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegistryStore.h"

namespace winsim
{

class RegFileParser
{
public:
    RegFileParser(RegistryStore& registry, std::string fileName) : m_registry(registry), m_fileName(std::move(fileName))
    {
    }

    // Applies the text; on the first malformed line returns false with "<file>:<line>: <what>".
    bool Apply(const std::string& text, std::string& error);

private:
    bool Fail(size_t line, const std::string& what, std::string& error) const;
    bool KeyLine(const std::string& line, std::string& what);
    bool ValueLine(const std::string& line, std::string& what);
    bool ParseData(const std::string& text, RegValue& value, bool& remove, std::string& what) const;
    static bool ParseQuoted(const std::string& text, size_t& pos, std::string& out);
    static bool ParseHexList(const std::string& text, std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> Utf16ToAnsi(const std::vector<uint8_t>& utf16);

    RegistryStore& m_registry;
    std::string m_fileName;
    bool m_version5 = false;
    int64_t m_key = 0;
};

} // namespace winsim
