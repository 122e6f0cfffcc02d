// The registry key helper on the machine's registry.
#include <gtest/gtest.h>

#include "TestMachine.h"
#include "platform/CRegistryKey.h"

namespace
{

class RegistryKeyTest : public TestMachine
{
protected:
    CRegistryKey Key(const std::string& relative) const
    {
        return CRegistryKey(HKEY_CURRENT_USER, ScratchKey() + relative);
    }
};

TEST_F(RegistryKeyTest, CreateMakesEveryMissingLevel)
{
    CRegistryKey key = Key("\\A\\B\\C");
    EXPECT_FALSE(key.Exists());
    ASSERT_TRUE(key.Create());
    EXPECT_TRUE(Key("\\A").Exists());
    EXPECT_TRUE(Key("\\A\\B\\C").Exists());
    EXPECT_TRUE(key.Create());
}

TEST_F(RegistryKeyTest, StringsRoundTripAndOtherTypesAreNotStrings)
{
    CRegistryKey key = Key("\\Values");
    ASSERT_TRUE(key.WriteString("Name", "C:\\Program Files\\Modem"));
    ASSERT_TRUE(key.WriteString("Expand", "%SystemRoot%\\inf", REG_EXPAND_SZ));
    ASSERT_TRUE(key.WriteString(nullptr, "default"));
    std::string value;
    EXPECT_TRUE(key.ReadString("name", value));
    EXPECT_EQ("C:\\Program Files\\Modem", value);
    EXPECT_TRUE(key.ReadString("Expand", value));
    EXPECT_EQ("%SystemRoot%\\inf", value);
    EXPECT_TRUE(key.ReadString("", value));
    EXPECT_EQ("default", value);

    BYTE bytes[3] = {1, 0, 2};
    ASSERT_TRUE(key.WriteBinary("Bytes", bytes, sizeof(bytes)));
    EXPECT_FALSE(key.ReadString("Bytes", value));
    EXPECT_TRUE(value.empty());
    EXPECT_FALSE(key.ReadString("Absent", value));
    EXPECT_FALSE(Key("\\Absent").ReadString("Name", value));

    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.GetPath().c_str(), 0, KEY_READ, &raw));
    BYTE read[8] = {};
    DWORD type = 0;
    DWORD size = sizeof(read);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(raw, "Bytes", nullptr, &type, read, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(3u, size);
    EXPECT_EQ(0, memcmp(bytes, read, 3));
    RegCloseKey(raw);
}

TEST_F(RegistryKeyTest, StringStoredWithoutTerminatorReadsWhole)
{
    CRegistryKey key = Key("\\Raw");
    ASSERT_TRUE(key.Create());
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.GetPath().c_str(), 0, KEY_SET_VALUE, &raw));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(raw, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3));
    RegCloseKey(raw);
    std::string value;
    EXPECT_TRUE(key.ReadString("Bare", value));
    EXPECT_EQ("abc", value);
}

TEST_F(RegistryKeyTest, DeleteValue)
{
    CRegistryKey key = Key("\\Values");
    ASSERT_TRUE(key.WriteString("Gone", "x"));
    EXPECT_TRUE(key.DeleteValue("Gone"));
    std::string value;
    EXPECT_FALSE(key.ReadString("Gone", value));
    EXPECT_FALSE(key.DeleteValue("Gone"));
}

TEST_F(RegistryKeyTest, DeleteKeyTakesTheWholeTree)
{
    ASSERT_TRUE(Key("\\Tree\\One\\Deep").WriteString("v", "1"));
    ASSERT_TRUE(Key("\\Tree\\Two").WriteString("v", "2"));
    EXPECT_TRUE(Key("\\Tree").DeleteKey());
    EXPECT_FALSE(Key("\\Tree").Exists());
    EXPECT_FALSE(Key("\\Tree").DeleteKey());
}

TEST_F(RegistryKeyTest, EmptyParentsGoUpToTheFirstThatHoldsSomething)
{
    ASSERT_TRUE(Key("\\Keep").WriteString("Marker", "stays"));
    ASSERT_TRUE(Key("\\Keep\\Empty1\\Empty2\\Leaf\\Child").Create());
    ASSERT_TRUE(Key("\\Keep\\Sibling").Create());
    ASSERT_TRUE(Key("\\Keep\\Other\\Leaf").Create());

    EXPECT_TRUE(Key("\\Keep\\Empty1\\Empty2\\Leaf").DeleteKey(FALSE, TRUE));
    EXPECT_FALSE(Key("\\Keep\\Empty1").Exists());
    EXPECT_TRUE(Key("\\Keep").Exists());

    // A parent with a subkey left stays.
    ASSERT_TRUE(Key("\\Keep\\Other\\Leaf2").Create());
    EXPECT_TRUE(Key("\\Keep\\Other\\Leaf").DeleteKey(FALSE, TRUE));
    EXPECT_TRUE(Key("\\Keep\\Other").Exists());
}

} // namespace
