// Writes registry keys and values as REGEDIT4 text, the way regedit exports them.
#pragma once

#include <cstdint>
#include <string>

#include "registry/RegistryStore.h"

namespace winsim
{

class RegFileWriter
{
public:
    explicit RegFileWriter(RegistryStore& registry) : m_registry(registry) {}

    // "REGEDIT4", a blank line, then the key (shown under displayPath) and its subtree; CR LF line ends.
    std::string Export(int64_t key, const std::string& displayPath);

    // One value as a .reg line without its line end: "name"="text", "name"=dword:0000002a, "name"=hex(7):...
    // With `wrap`, long hex data is broken at regedit's 80 columns with backslash continuations.
    static std::string FormatValue(const RegValue& value, bool wrap);
    // A name or string in quotes, with backslash and quote escaped.
    static std::string Quote(const std::string& text);

private:
    void WriteKey(int64_t key, const std::string& path, std::string& out);

    RegistryStore& m_registry;
};

} // namespace winsim
