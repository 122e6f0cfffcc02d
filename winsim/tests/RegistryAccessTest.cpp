// Who may write where: keys that deny writes (the Enum tree), non-administrators in HKLM, and resetting a
// key's DACL through SetEntriesInAclA + SetSecurityInfo or RegSetKeySecurity.
#include <gtest/gtest.h>

#include "RegistryTestSupport.h"
#include "TestMachine.h"
#include "aclapi.h"
#include "core/Machine.h"
#include "winsim/winsim.h"

using namespace registry_test;

namespace
{

constexpr const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum";

class RegistryAccessTest : public TestMachine
{
protected:
    static LONG OpenMachineKey(const char* path, REGSAM access, HKEY* key)
    {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key);
    }

    static bool CanWrite(HKEY root, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // An ACL of one entry naming its trustee by name.
    static PACL AclFor(const char* trustee, DWORD rights, ACCESS_MODE mode, DWORD inheritance, PACL old = nullptr)
    {
        EXPLICIT_ACCESS_A entry{};
        entry.grfAccessPermissions = rights;
        entry.grfAccessMode = mode;
        entry.grfInheritance = inheritance;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = const_cast<char*>(trustee);
        PACL acl = nullptr;
        EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetEntriesInAclA(1, &entry, old, &acl));
        return acl;
    }

    static DWORD ApplyTo(HKEY key, PACL acl)
    {
        DWORD rc = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
        LocalFree(acl);
        return rc;
    }

    // Re-attaches to the same machine as an administrator or not.
    void ReattachAs(bool administrator)
    {
        winsim::Detach(0);
        std::string error;
        {
            winsim::Machine machine;
            ASSERT_TRUE(machine.Open(MachineDir(), error)) << error;
            ASSERT_TRUE(machine.SetMeta("user.administrator", administrator ? "1" : "0"));
        }
        winsim::AttachOptions options;
        options.machineDir = MachineDir();
        options.imagePath = "C:\\TEST\\tests.exe";
        ASSERT_TRUE(winsim::Attach(options, error)) << error;
    }
};

TEST_F(RegistryAccessTest, EnumTreeRefusesWritesToAdministrators)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kEnum, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenMachineKey(kEnum, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\ROOT", 0,
                                                   nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    // MAXIMUM_ALLOWED opens, without the write rights.
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kEnum, MAXIMUM_ALLOWED, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(key, "v", 1));
    RegCloseKey(key);
    // Administrators own the key: they may read and change its DACL.
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kEnum, WRITE_DAC | READ_CONTROL, &key));
    RegCloseKey(key);
}

TEST_F(RegistryAccessTest, ResettingTheDaclAllowsWritesBelowTheKey)
{
    // Keys created under Enum before the reset (by the machine) inherit its access list.
    ASSERT_TRUE(Store().CreateKey(std::string("HKLM\\") + kEnum + "\\USB\\VID_1234"));
    HKEY before = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kEnum, MAXIMUM_ALLOWED, &before));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, OpenMachineKey(kEnum, WRITE_DAC, &key));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              ApplyTo(key, AclFor("Administrators", KEY_ALL_ACCESS, SET_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT)));
    RegCloseKey(key);
    EXPECT_TRUE(CanWrite(HKEY_LOCAL_MACHINE, kEnum));
    EXPECT_TRUE(CanWrite(HKEY_LOCAL_MACHINE, std::string(kEnum) + "\\USB\\VID_1234"));
    // Access is granted when a handle is opened: the old handle stays read-only.
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(before, "v", 1));
    RegCloseKey(before);
    std::vector<std::string> journal = RegistryJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ("security HKEY_LOCAL_MACHINE\\" + std::string(kEnum) + " allow-write, subkeys allow-write",
              journal.back());
}

TEST_F(RegistryAccessTest, DaclWithoutAdministratorWriteDeniesWrites)
{
    HKEY key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Locked\\Child");
    RegCloseKey(key);
    key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Locked");
    // Read-only for everyone, not inherited: the key and (losing what they inherited) its subkeys deny writes.
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              ApplyTo(key, AclFor("EVERYONE", KEY_READ, GRANT_ACCESS, NO_INHERITANCE)));
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Locked"));
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Locked\\Child"));

    // A SID trustee for Administrators with GENERIC_ALL opens it again.
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &admins));
    EXPLICIT_ACCESS_A entry{};
    entry.grfAccessPermissions = GENERIC_ALL;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.ptstrName = static_cast<LPSTR>(admins);
    PACL acl = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetEntriesInAclA(1, &entry, nullptr, &acl));
    EXPECT_EQ(nullptr, FreeSid(admins));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ApplyTo(key, acl));
    EXPECT_TRUE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Locked"));
    // Nothing inheritable in it: the subkey stays locked.
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Locked\\Child"));
    RegCloseKey(key);
}

TEST_F(RegistryAccessTest, MergingWithAnOldAclAndOrderOfDenials)
{
    HKEY key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Merged");
    PACL full = AclFor("EVERYONE", KEY_ALL_ACCESS, GRANT_ACCESS, NO_INHERITANCE);
    // Revoking Everyone from the old list and granting read leaves no write.
    PACL revoked = AclFor("everyone", 0, REVOKE_ACCESS, NO_INHERITANCE, full);
    LocalFree(full);
    PACL readOnly = AclFor("Everyone", KEY_READ, GRANT_ACCESS, NO_INHERITANCE, revoked);
    LocalFree(revoked);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ApplyTo(key, readOnly));
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Merged"));
    // A denial wins over a grant that comes first in the list.
    PACL granted = AclFor("Administrators", KEY_ALL_ACCESS, GRANT_ACCESS, NO_INHERITANCE);
    PACL denied = AclFor("Everyone", KEY_SET_VALUE, DENY_ACCESS, NO_INHERITANCE, granted);
    LocalFree(granted);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ApplyTo(key, denied));
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Merged"));
    // A NULL DACL grants everything.
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ApplyTo(key, nullptr));
    EXPECT_TRUE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\Merged"));
    RegCloseKey(key);
}

TEST_F(RegistryAccessTest, RegSetKeySecurityLeavesSubkeysAlone)
{
    HKEY child = Create(HKEY_CURRENT_USER, ScratchKey() + "\\P\\C");
    RegCloseKey(child);
    HKEY parent = Create(HKEY_CURRENT_USER, ScratchKey() + "\\P");
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    PACL acl = AclFor("EVERYONE", KEY_READ, SET_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(parent, DACL_SECURITY_INFORMATION, &descriptor));
    LocalFree(acl);
    EXPECT_FALSE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\P"));
    EXPECT_TRUE(CanWrite(HKEY_CURRENT_USER, ScratchKey() + "\\P\\C"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetKeySecurity(parent, 0, &descriptor));
    RegCloseKey(parent);
}

TEST_F(RegistryAccessTest, SecurityCallErrors)
{
    HKEY reader = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_READ, &reader));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED),
              SetSecurityInfo(reader, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(reader);

    EXPLICIT_ACCESS_A entry{};
    entry.grfAccessMode = GRANT_ACCESS;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.ptstrName = const_cast<char*>("Nobody In Particular");
    PACL acl = nullptr;
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), SetEntriesInAclA(1, &entry, nullptr, &acl));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), SetEntriesInAclA(1, &entry, nullptr, nullptr));
    BYTE garbage[8] = {9, 0, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_ACL),
              SetEntriesInAclA(0, nullptr, reinterpret_cast<PACL>(garbage), &acl));

    SECURITY_DESCRIPTOR descriptor;
    EXPECT_FALSE(InitializeSecurityDescriptor(&descriptor, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_UNKNOWN_REVISION), GetLastError());
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_FALSE(AllocateAndInitializeSid(&world, 9, 0, 0, 0, 0, 0, 0, 0, 0, &sid));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(RegistryAccessTest, NonAdministratorsOnlyReadTheMachineHive)
{
    ReattachAs(false);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenMachineKey("SOFTWARE", KEY_SET_VALUE, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenMachineKey("SOFTWARE", WRITE_DAC, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyA(HKEY_CLASSES_ROOT, ".new", &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(HKEY_LOCAL_MACHINE, "v", 1));
    // RegCreateKeyA asks for MAXIMUM_ALLOWED: an existing key opens, for reading.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE", &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(key, "v", 1));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\inffile"));
    // The user's own hive stays writable.
    key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Mine");
    EXPECT_EQ(ERROR_SUCCESS, SetDword(key, "v", 1));
    RegCloseKey(key);
}

class RegistryAccessWin9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(RegistryAccessWin9xTest, Windows9xHasNoRegistrySecurity)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum", 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED),
              SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr));
    PACL acl = nullptr;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), SetEntriesInAclA(0, nullptr, nullptr, &acl));
    RegCloseKey(key);
}

} // namespace
