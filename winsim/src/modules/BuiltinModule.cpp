#include "BuiltinModule.h"

#include "files/NameCase.h"

namespace winsim
{

BuiltinModule::BuiltinModule(std::string fileName, uintptr_t base, bool loadedAtStart)
    : m_fileName(std::move(fileName)), m_upperName(NameCase::Upper(m_fileName)), m_base(base),
      m_loadedAtStart(loadedAtStart)
{
}

const BuiltinExport* BuiltinModule::Find(std::string_view name) const
{
    auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : &m_exports[found->second];
}

const BuiltinExport* BuiltinModule::Find(uint16_t ordinal) const
{
    if (ordinal == 0)
        return nullptr;
    for (const BuiltinExport& entry : m_exports)
    {
        if (entry.ordinal == ordinal)
            return &entry;
    }
    return nullptr;
}

} // namespace winsim
