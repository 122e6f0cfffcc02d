// Keys that deny writes to administrators (the device tree) are deleted after their access list is reset.
#include <gtest/gtest.h>

#include "TestMachine.h"
#include "platform/CAccessList.h"
#include "platform/CRegistryKey.h"

namespace
{

const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum";

// Gives a key the device tree's access list: Everyone may read, nobody else is named.
bool DenyWrites(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    PACL acl = nullptr;
    bool ok = false;
    if (AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
    {
        EXPLICIT_ACCESS_A entry = {};
        entry.grfAccessPermissions = KEY_READ;
        entry.grfAccessMode = SET_ACCESS;
        entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = static_cast<LPSTR>(everyone);
        ok = SetEntriesInAclA(1, &entry, nullptr, &acl) == ERROR_SUCCESS &&
             SetSecurityInfo(reinterpret_cast<HANDLE>(key), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                             nullptr, acl, nullptr) == ERROR_SUCCESS;
        LocalFree(acl);
        FreeSid(everyone);
    }
    RegCloseKey(key);
    return ok;
}

class RegistryKeyAccessTest : public TestMachine
{
};

TEST_F(RegistryKeyAccessTest, DeviceTreeRefusesWritesUntilItsAccessIsReset)
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\ROOT", 0,
                                                   nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_TRUE(CRegistryKey::ResetAccess(HKEY_LOCAL_MACHINE, kEnum));
    CRegistryKey device(HKEY_LOCAL_MACHINE, std::string(kEnum) + "\\ROOT\\MODEM\\0000");
    ASSERT_TRUE(device.WriteString("HardwareID", "ROOT\\MODEM"));
    ASSERT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, std::string(kEnum) + "\\ROOT\\MODEM\\0000\\Device Parameters")
                    .WriteString("x", "y"));
    ASSERT_TRUE(DenyWrites(kEnum));
    ASSERT_TRUE(DenyWrites(std::string(kEnum) + "\\ROOT\\MODEM"));

    CRegistryKey tree(HKEY_LOCAL_MACHINE, std::string(kEnum) + "\\ROOT\\MODEM");
    EXPECT_FALSE(tree.DeleteKey(FALSE));
    EXPECT_TRUE(tree.Exists());
    EXPECT_TRUE(tree.DeleteKey(TRUE));
    EXPECT_FALSE(tree.Exists());
    EXPECT_TRUE(CRegistryKey(HKEY_LOCAL_MACHINE, kEnum).Exists());
}

} // namespace
