// One of the modules winsim provides itself (KERNEL32, SETUPAPI, ...): its file name, the fixed address it
// loads at, and its export table. Each module's functions are registered in exports/<Module>Exports.cpp,
// one line per function.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace winsim
{

// The untyped form an export is kept in; GetProcAddress hands it out as a FARPROC.
using ExportProc = void (*)();

struct BuiltinExport
{
    std::string name;
    uint16_t ordinal; // 0: exported by name only
    ExportProc proc;
};

// A string of a built-in module's string table (LoadStringA), as Windows versions from sinceVersion on
// (major << 8 | minor, Windows NT versions) have it.
struct BuiltinString
{
    uint16_t id;
    uint16_t sinceVersion;
    std::string text; // UTF-8
};

class BuiltinModule
{
public:
    // fileName as the module is known on disk ("SETUPAPI.dll"); loadedAtStart for the modules every
    // program imports statically, which stay loaded for the life of the process.
    BuiltinModule(std::string fileName, uintptr_t base, bool loadedAtStart);

    // module.Export("GetVersionExA", GetVersionExA); with an ordinal when the module exports one as well.
    template <typename Function>
    void Export(const char* name, Function* proc, uint16_t ordinal = 0)
    {
        m_byName.emplace(name, m_exports.size());
        m_exports.push_back({name, ordinal, reinterpret_cast<ExportProc>(proc)});
    }

    // module.String(5771, 0x0501, "..."): string 5771 reads so from Windows XP (NT 5.1) on, until a later
    // version gives it another text.
    void String(uint16_t id, uint16_t sinceVersion, const char* text) { m_strings.push_back({id, sinceVersion, text}); }

    const std::string& FileName() const { return m_fileName; }
    // "SETUPAPI.DLL": what names are compared with.
    const std::string& UpperName() const { return m_upperName; }
    uintptr_t Base() const { return m_base; }
    bool LoadedAtStart() const { return m_loadedAtStart; }
    const std::vector<BuiltinExport>& Exports() const { return m_exports; }
    const std::vector<BuiltinString>& Strings() const { return m_strings; }

    // Export names are compared with regard to case, as GetProcAddress does. Programs that bind by name
    // look the same functions up again and again: a hash lookup, without a copy of the name.
    const BuiltinExport* Find(std::string_view name) const;
    const BuiltinExport* Find(uint16_t ordinal) const;

private:
    std::string m_fileName;
    std::string m_upperName;
    uintptr_t m_base;
    bool m_loadedAtStart;
    std::vector<BuiltinExport> m_exports;
    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    std::unordered_map<std::string, size_t, NameHash, std::equal_to<>> m_byName;
    std::vector<BuiltinString> m_strings;
};

} // namespace winsim
