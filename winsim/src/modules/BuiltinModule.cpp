#include "BuiltinModule.h"

#include "files/NameCase.h"

namespace winsim
{

BuiltinModule::BuiltinModule(std::string fileName, uintptr_t base, bool loadedAtStart)
    : m_fileName(std::move(fileName)), m_upperName(NameCase::Upper(m_fileName)), m_base(base),
      m_loadedAtStart(loadedAtStart)
{
}

const BuiltinExport* BuiltinModule::Find(const std::string& name) const
{
    for (const BuiltinExport& entry : m_exports)
    {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
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
