#include "RegistryHandles.h"

#include "registry/RegistryAccess.h"
#include "winerror.h"

namespace winsim
{

RegistryHandles::RegistryHandles(Runtime& rt) : m_rt(rt), m_registry(rt.GetMachine().GetStore(), rt.Identity()) {}

bool RegistryHandles::IsPredefined(HKEY hKey, RegRoot& root)
{
    // Only the low 32 bits of a predefined key count, as on 64-bit Windows.
    uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hKey));
    if (value < 0x80000000u || value > 0x80000006u || value == 0x80000004u)
        return false;
    root = static_cast<RegRoot>(value - 0x80000000u);
    return true;
}

uint32_t RegistryHandles::Denied(int64_t key, bool machineHive)
{
    return RegistryAccess::Denied(m_rt.Identity(), machineHive, m_rt.Identity().IsNT() && m_registry.DeniesWrite(key));
}

int32_t RegistryHandles::Resolve(HKEY hKey, KeyRef& key)
{
    RegRoot root;
    if (IsPredefined(hKey, root))
    {
        int64_t id = m_registry.RootKey(root);
        if (!id)
            return ERROR_INVALID_HANDLE;
        bool machineHive =
            root == RegRoot::LocalMachine || root == RegRoot::ClassesRoot || root == RegRoot::CurrentConfig;
        uint32_t granted = RegistryAccess::kAllRights & ~Denied(id, machineHive);
        key = std::make_shared<RegistryKeyObject>(id, granted, machineHive, m_registry.PathOf(id), true);
        return ERROR_SUCCESS;
    }
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    auto object =
        std::static_pointer_cast<const RegistryKeyObject>(m_rt.Handles().Lookup(hKey, ObjectKind::RegistryKey));
    if (!object)
        return ERROR_INVALID_HANDLE;
    key = std::move(object);
    return ERROR_SUCCESS;
}

int32_t RegistryHandles::Require(HKEY hKey, uint32_t rights, KeyRef& key, bool checkExists)
{
    int32_t rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    if ((key->Granted() & rights) != rights)
        return ERROR_ACCESS_DENIED;
    if (checkExists && !key->Predefined() && !m_registry.KeyExists(key->Key()))
        return ERROR_KEY_DELETED;
    return ERROR_SUCCESS;
}

int32_t RegistryHandles::Open(int64_t key, bool machineHive, uint32_t desired, HKEY* result)
{
    uint32_t granted = 0;
    if (!RegistryAccess::Grant(desired, Denied(key, machineHive), granted))
        return ERROR_ACCESS_DENIED;
    auto object = std::make_shared<RegistryKeyObject>(key, granted, machineHive, m_registry.PathOf(key));
    *result = static_cast<HKEY>(m_rt.Handles().Insert(std::move(object)));
    return ERROR_SUCCESS;
}

} // namespace winsim
