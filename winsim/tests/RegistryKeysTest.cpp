// Opening, creating, enumerating and deleting keys through the ADVAPI32 functions.
#include <gtest/gtest.h>

#include "RegistryTestSupport.h"
#include "TestMachine.h"

using namespace registry_test;

namespace
{

class RegistryKeysTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        scratch = Create(HKEY_CURRENT_USER, ScratchKey());
    }
    void TearDown() override
    {
        RegCloseKey(scratch);
        TestMachine::TearDown();
    }
    HKEY scratch = nullptr;
};

class RegistryWin9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(RegistryKeysTest, CreateMakesEveryLevelAndReportsDisposition)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(scratch, "A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(scratch, "a\\b\\c\\\\", 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(scratch, "A\\B", 0, KEY_READ, &key));
    EXPECT_EQ(std::vector<std::string>{"C"}, SubKeys(key));
    RegCloseKey(key);
}

TEST_F(RegistryKeysTest, ArgumentErrors)
{
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExA(scratch, "\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BADKEY, RegCreateKeyExA(scratch, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyA(scratch, "X", nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExA(scratch, "X", 0, KEY_READ, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(reinterpret_cast<HKEY>(0x1234), "X", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyA(scratch, nullptr));
    // Nothing was created along the way.
    EXPECT_TRUE(SubKeys(scratch).empty());
}

TEST_F(RegistryKeysTest, OpenMissingKeyFailsAndClearsTheResult)
{
    HKEY key = scratch;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(scratch, "Missing\\Deeper", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(scratch, "Missing", &key));
}

TEST_F(RegistryKeysTest, EmptySubKeyNames)
{
    HKEY key = nullptr;
    // A predefined key comes back as itself; a handle gets a new handle to the same key.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &key));
    EXPECT_EQ(HKEY_CURRENT_USER, key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(scratch, nullptr, 0, KEY_READ, &key));
    EXPECT_NE(scratch, key);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    // RegOpenKeyA hands back the very handle it was given.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(scratch, nullptr, &key));
    EXPECT_EQ(scratch, key);
}

TEST_F(RegistryKeysTest, CloseKey)
{
    HKEY key = Create(scratch, "K");
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE));
    // Predefined keys stay usable after "closing".
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryKeysTest, NamesIgnoreCaseButKeepTheFirstSpelling)
{
    RegCloseKey(Create(scratch, "MixedCase"));
    DWORD disposition = 0;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(scratch, "MIXEDCASE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(key);
    // Latin-1 letters fold too: a-umlaut finds A-umlaut.
    RegCloseKey(Create(scratch, "\xC4rger"));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(scratch, "\xE4RGER", 0, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ((std::vector<std::string>{"MixedCase", "\xC4rger"}), SubKeys(scratch));
}

TEST_F(RegistryKeysTest, SubKeysEnumerateInUpperCaseOrder)
{
    // Created out of order; '_' sorts after the letters once names are upper-cased, and the 1252 letters
    // sort by their Unicode value (S-caron, 0x8A, after E-acute, 0xC9).
    for (const char* name : {"b", "_x", "\x8Ax", "A", "\xE9t\xE9", "a1", "Z", "C"})
        RegCloseKey(Create(scratch, name));
    EXPECT_EQ((std::vector<std::string>{"A", "a1", "b", "C", "Z", "_x", "\xE9t\xE9", "\x8Ax"}), SubKeys(scratch));
}

TEST_F(RegistryKeysTest, EnumKeyBufferSizesAndEnd)
{
    RegCloseKey(Create(scratch, "Five5"));
    char name[16] = "untouched";
    DWORD size = 5;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExA(scratch, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(5u, size);
    EXPECT_STREQ("untouched", name);
    size = 6;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(scratch, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(5u, size);
    EXPECT_STREQ("Five5", name);
    size = sizeof(name);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExA(scratch, 1, name, &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyA(scratch, 0, name, sizeof(name)));
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyA(scratch, 0, name, 3));
}

TEST_F(RegistryKeysTest, NtDeletesOnlyKeysWithoutSubkeys)
{
    RegCloseKey(Create(scratch, "Parent\\Child"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(scratch, "Parent"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(scratch, "PARENT\\child"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(scratch, "Parent\\Child"));
    // An empty name deletes the key behind the handle.
    HKEY parent = Create(scratch, "Parent");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent, ""));
    RegCloseKey(parent);
    EXPECT_TRUE(SubKeys(scratch).empty());
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""));
}

TEST_F(RegistryKeysTest, HandleToADeletedKey)
{
    HKEY doomed = Create(scratch, "Doomed");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(doomed, "v", 1));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(scratch, "Doomed"));
    DWORD size = 0;
    char name[32];
    DWORD nameSize = sizeof(name);
    HKEY sub = nullptr;
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExA(doomed, "v", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(doomed, "v", 2));
    EXPECT_EQ(ERROR_KEY_DELETED, RegEnumKeyExA(doomed, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_KEY_DELETED, RegCreateKeyExA(doomed, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    // A new key of the same name is a different key: the old handle stays dead.
    RegCloseKey(Create(scratch, "Doomed"));
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(doomed, "v", 3));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(doomed));
}

TEST_F(RegistryKeysTest, VolatileKeysNeedVolatileChildrenAndGoAwayAtReboot)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(scratch, "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    HKEY child = nullptr;
    EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
              RegCreateKeyExA(key, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(key, "Child", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr));
    RegCloseKey(child);
    RegCloseKey(key);
    RegCloseKey(Create(scratch, "Stays"));
    EXPECT_TRUE(Store().DeleteVolatileKeys());
    EXPECT_EQ(std::vector<std::string>{"Stays"}, SubKeys(scratch));
}

TEST_F(RegistryKeysTest, PredefinedRootsMapOntoTheHives)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Mapped");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Where", "user"));
    RegCloseKey(key);
    std::string sid = winsim::Runtime::Current()->Identity().userSid;
    char text[32];
    DWORD size = sizeof(text);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_USERS, (sid + "\\software\\mapped").c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Where", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_STREQ("user", text);
    RegCloseKey(key);
    // HKCR is HKLM\SOFTWARE\Classes, which the profile fills.
    size = sizeof(text);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "inffile", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_STREQ("Setup Information", text);
    RegCloseKey(key);
    winsim::RegistryStore store = Store();
    EXPECT_EQ(store.FindKey("HKLM\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current"),
              store.RootKey(winsim::RegRoot::CurrentConfig));
    EXPECT_EQ(store.FindKey("HKEY_USERS\\" + sid), store.FindKey("hkcu"));
}

TEST_F(RegistryKeysTest, QueryInfoKeyCountsAndLengths)
{
    RegCloseKey(Create(scratch, "Sub"));
    HKEY longer = nullptr;
    char className[] = "MyClass";
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(scratch, "LongerName", 0, className, 0, KEY_ALL_ACCESS, nullptr, &longer, nullptr));
    RegCloseKey(longer);
    ASSERT_EQ(ERROR_SUCCESS, SetString(scratch, "Name", "data"));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "LongestName", 7));
    DWORD subKeys = 0, maxSubKey = 0, maxClass = 0, values = 0, maxValueName = 0, maxValue = 0, security = 0;
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(scratch, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, &maxClass,
                                              &values, &maxValueName, &maxValue, &security, &written));
    EXPECT_EQ(2u, subKeys);
    EXPECT_EQ(10u, maxSubKey);
    EXPECT_EQ(7u, maxClass);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(11u, maxValueName);
    // NT reports the size strings take in its UTF-16 store: "data" and its terminator.
    EXPECT_EQ(10u, maxValue);
    EXPECT_NE(0u, security);
    EXPECT_NE(0u, written.dwHighDateTime);
    char buffer[8];
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryInfoKeyA(scratch, buffer, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                        nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryKeysTest, ChangesAreJournalled)
{
    HKEY key = Create(scratch, "J1\\J2");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "Count", 42));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "count"));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(scratch, "J1\\J2"));
    std::string base = "HKEY_USERS\\" + winsim::Runtime::Current()->Identity().userSid + "\\" + ScratchKey();
    std::vector<std::string> journal = RegistryJournal();
    std::vector<std::string> expected = {
        "create " + base + "\\J1 ",
        "create " + base + "\\J1\\J2 ",
        "set " + base + "\\J1\\J2 \"Count\"=dword:0000002a",
        "delete-value " + base + "\\J1\\J2 count",
        "delete-key " + base + "\\J1\\J2 ",
    };
    ASSERT_GE(journal.size(), expected.size());
    EXPECT_EQ(expected, std::vector<std::string>(journal.end() - 5, journal.end()));
}

TEST_F(RegistryWin9xTest, DeleteKeyTakesTheWholeTree)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Tree\\Branch\\Leaf");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "v", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(key, "v", 2));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tree", 0, KEY_READ, &key));
}

TEST_F(RegistryWin9xTest, CurrentUserIsTheDefaultUserAndStringSizesAreIgnored)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Where");
    // Windows 9x takes the string's length, whatever size the caller passes.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "s", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 2));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_USERS, ".DEFAULT\\Software\\Where", 0, KEY_READ, &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "s", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(4u, size);
    RegCloseKey(key);
}

} // namespace
