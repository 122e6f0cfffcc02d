// Reading, writing, enumerating and deleting values through the ADVAPI32 functions.
#include <gtest/gtest.h>

#include <cstring>

#include "RegistryTestSupport.h"
#include "TestMachine.h"

using namespace registry_test;

namespace
{

class RegistryValuesTest : public TestMachine
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

TEST_F(RegistryValuesTest, QueryReportsSizesAndErrors)
{
    ASSERT_EQ(ERROR_SUCCESS, SetString(scratch, "Text", "hello"));
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "Text", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(6u, size);

    char buffer[8] = "xxxxxxx";
    size = 5;
    type = 0;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExA(scratch, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ("xxxxxxx", buffer);
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(scratch, "text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_STREQ("hello", buffer);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(scratch, "Missing", nullptr, nullptr, nullptr, &size));
    DWORD reserved = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExA(scratch, "Text", &reserved, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExA(scratch, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "Text", nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryValuesTest, NullAndEmptyNamesAreTheDefaultValue)
{
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(scratch, nullptr, nullptr, nullptr, nullptr, &size));
    ASSERT_EQ(ERROR_SUCCESS, SetString(scratch, nullptr, "default"));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(scratch, ""));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(scratch, nullptr));
}

TEST_F(RegistryValuesTest, StringTerminatorsAsNtHandlesThem)
{
    static const char text[] = "FullString";
    BYTE buffer[16];
    // One short: NT counts the terminator that follows anyway.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(scratch, "s", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 10));
    DWORD size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "s", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(11u, size);
    // Two short: stored without a terminator...
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(scratch, "s", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 9));
    std::memset(buffer, 0xBD, sizeof(buffer));
    size = 9;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "s", nullptr, nullptr, buffer, &size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(0xBD, buffer[9]);
    // ...which a query adds when the buffer has room, without counting it.
    size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "s", nullptr, nullptr, buffer, &size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(0, buffer[9]);
    // Binary data is never touched.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(scratch, "b", 0, REG_BINARY, reinterpret_cast<const BYTE*>(text), 9));
    std::memset(buffer, 0xBD, sizeof(buffer));
    size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, "b", nullptr, nullptr, buffer, &size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(0xBD, buffer[9]);
}

TEST_F(RegistryValuesTest, AnyTypeIsKeptAsBytes)
{
    const BYTE qword[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const BYTE odd[3] = {0xFF, 0, 0x7F};
    struct Case
    {
        const char* name;
        DWORD type;
        const BYTE* data;
        DWORD size;
    } cases[] = {{"qword", REG_QWORD, qword, 8},          {"none", REG_NONE, odd, 3},
                 {"big", REG_DWORD_BIG_ENDIAN, qword, 4}, {"own", 0x1234, odd, 3},
                 {"empty", REG_BINARY, nullptr, 0},       {"short dword", REG_DWORD, odd, 3}};
    for (const Case& c : cases)
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(scratch, c.name, 0, c.type, c.data, c.size)) << c.name;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        BYTE buffer[16];
        DWORD type = 0;
        DWORD size = sizeof(buffer);
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(scratch, c.name, nullptr, &type, buffer, &size));
        EXPECT_EQ(c.type, type);
        ASSERT_EQ(c.size, size);
        EXPECT_EQ(0, c.size ? std::memcmp(c.data, buffer, c.size) : 0);
    }
    EXPECT_EQ(ERROR_NOACCESS, RegSetValueExA(scratch, "bad", 0, REG_BINARY, nullptr, 4));
}

TEST_F(RegistryValuesTest, ValueNamesIgnoreCaseButKeepTheFirstSpelling)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "Value", 1));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "VALUE", 2));
    DWORD number = 0;
    DWORD size = sizeof(number);
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(scratch, "value", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size));
    EXPECT_EQ(2u, number);
    EXPECT_EQ(std::vector<std::string>{"Value"}, ValueNames(scratch));
}

TEST_F(RegistryValuesTest, ValuesEnumerateInCreationOrder)
{
    for (const char* name : {"A", "C", "D", "B"})
        ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, name, 0));
    EXPECT_EQ((std::vector<std::string>{"A", "C", "D", "B"}), ValueNames(scratch));
    // Set again: keeps its place. Deleted and set again: goes last.
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "C", 1));
    EXPECT_EQ((std::vector<std::string>{"A", "C", "D", "B"}), ValueNames(scratch));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(scratch, "C"));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "C", 2));
    EXPECT_EQ((std::vector<std::string>{"A", "D", "B", "C"}), ValueNames(scratch));
}

TEST_F(RegistryValuesTest, EnumValueOverflowWritesNeitherBuffer)
{
    ASSERT_EQ(ERROR_SUCCESS, SetString(scratch, "Test", "foobar"));
    char name[16];
    char data[16];
    DWORD nameSize = 3, dataSize = sizeof(data), type = 0;
    std::strcpy(name, "xxxx");
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueA(scratch, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize));
    EXPECT_EQ(3u, nameSize);
    EXPECT_EQ(7u, dataSize);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ("xxxx", name);

    nameSize = sizeof(name);
    dataSize = 2;
    std::strcpy(data, "yy");
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueA(scratch, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize));
    EXPECT_EQ(static_cast<DWORD>(sizeof(name)), nameSize);
    EXPECT_EQ(7u, dataSize);
    EXPECT_STREQ("yy", data);

    dataSize = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumValueA(scratch, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize));
    EXPECT_EQ(4u, nameSize);
    EXPECT_STREQ("Test", name);
    EXPECT_STREQ("foobar", data);
    nameSize = sizeof(name);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(scratch, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegEnumValueA(scratch, 0, nullptr, &nameSize, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryValuesTest, EachOperationNeedsItsRightOnTheHandle)
{
    HKEY reader = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_READ, &reader));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(reader, "v", 1));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(scratch, "v", 1));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(reader, "v"));
    RegCloseKey(reader);
    HKEY writer = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_SET_VALUE, &writer));
    DWORD size = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, &size));
    char name[8];
    DWORD nameSize = sizeof(name);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegEnumKeyExA(writer, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, SetDword(writer, "v", 2));
    RegCloseKey(writer);
}

} // namespace
