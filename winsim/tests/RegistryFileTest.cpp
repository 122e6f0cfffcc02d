// .reg files: what an import accepts and rejects, regedit's export layout, and export/import round trips.
#include <gtest/gtest.h>

#include <fstream>

#include "RegistryTestSupport.h"
#include "TestMachine.h"
#include "registry/RegFile.h"

using namespace registry_test;

namespace
{

class RegistryFileTest : public TestMachine
{
protected:
    // Writes `text` to a host file and imports it; returns the error (empty on success).
    std::string Import(const std::string& text, const std::string& name = "import.reg")
    {
        std::string path = MachineDir() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        winsim::RegistryStore store = Store();
        std::string error;
        bool ok = winsim::ImportRegFile(store, path, error);
        EXPECT_EQ(ok, error.empty()) << error;
        return error;
    }

    std::string Export(const std::string& fullPath)
    {
        winsim::RegistryStore store = Store();
        std::string text;
        std::string error;
        EXPECT_TRUE(winsim::ExportRegFile(store, fullPath, text, error)) << error;
        return text;
    }

    std::string Root() const { return "HKEY_CURRENT_USER\\" + ScratchKey(); }
};

TEST_F(RegistryFileTest, MalformedLinesNameFileAndLine)
{
    struct Case
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", ":2: expected REGEDIT4"},
        {"REGEDIT4\r\n\r\n[HKLM\\SOFTWARE\\X]\r\ngarbage\r\n", ":4: not a key, value or comment line"},
        {"REGEDIT4\r\n\"v\"=dword:1\r\n", ":2: value outside a key"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=dword:123456789\r\n", ":3: malformed dword"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=\"open\r\n", ":3: malformed string"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=hex:01,zz\r\n", ":3: malformed hex"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=hex(2q):01\r\n", ":3: malformed value type"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=word:1\r\n", ":3: unknown value data"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\" dword:1\r\n", ":3: expected '='"},
        {"REGEDIT4\r\n[HKEY_NOWHERE\\X]\r\n", ":2: unknown root key"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X\r\n", ":2: key line without closing"},
        {"REGEDIT4\r\n[-HKLM]\r\n", ":2: cannot delete a root key"},
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\r\n;@deny-write\r\n", ":4: ;@deny-write must directly follow"},
        // The error is reported at the line where a continued value starts.
        {"REGEDIT4\r\n[HKLM\\SOFTWARE\\X]\r\n\"v\"=hex:01,\\\r\n  02,q\r\n", ":3: malformed hex"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        std::string error = Import(c.text, "bad.reg");
        EXPECT_NE(std::string::npos, error.find(MachineDir() + "/bad.reg" + c.error)) << error;
    }
}

TEST_F(RegistryFileTest, ImportUnderstandsEveryForm)
{
    std::string root = Root();
    ASSERT_EQ("", Import("REGEDIT4\n"
                         "; a comment\n"
                         "\n"
                         "[" +
                         root +
                         "\\Forms]\n"
                         "@=\"default\"\n"
                         "\"Path\"=\"C:\\\\Dir\\\\\"\n"
                         "\"Quote\"=\"say \\\"hi\\\"\"\n"
                         "\"Number\"=dword:0000002A\n"
                         "\"Expand\"=hex(2):25,41,25,\\\n"
                         "  00\n"
                         "\"Multi\"=hex(7):61,00,62,00,00\n"
                         "\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
                         "\"Empty\"=hex:\n"
                         "\"Gone\"=\"soon\"\n"
                         "\"Gone\"=-\n"
                         "[" +
                         root +
                         "\\Forms\\Doomed\\Deeper]\n"
                         "[-" +
                         root + "\\Forms\\Doomed]\n"));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (ScratchKey() + "\\Forms").c_str(), 0, KEY_READ, &key));
    EXPECT_EQ((std::vector<std::string>{"", "Path", "Quote", "Number", "Expand", "Multi", "Q", "Empty"}),
              ValueNames(key));
    EXPECT_TRUE(SubKeys(key).empty());
    auto query = [&](const char* name, DWORD& type)
    {
        BYTE buffer[64];
        DWORD size = sizeof(buffer);
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, name, nullptr, &type, buffer, &size)) << name;
        return std::string(reinterpret_cast<char*>(buffer), size);
    };
    DWORD type = 0;
    EXPECT_EQ(std::string("C:\\Dir\\", 8), query("Path", type));
    EXPECT_EQ(std::string("say \"hi\"", 9), query("Quote", type));
    EXPECT_EQ(std::string("\x2A\0\0\0", 4), query("Number", type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("%A%", 4), query("Expand", type));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    EXPECT_EQ(std::string("a\0b\0", 5), query("Multi", type));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(std::string("\1\2\3\4\5\6\7\x8", 8), query("Q", type));
    EXPECT_EQ(static_cast<DWORD>(REG_QWORD), type);
    EXPECT_EQ("", query("Empty", type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    RegCloseKey(key);
}

TEST_F(RegistryFileTest, Version5StringDataIsUtf16)
{
    ASSERT_EQ("", Import("Windows Registry Editor Version 5.00\r\n\r\n[" + Root() +
                         "]\r\n\"E\"=hex(2):25,00,e9,00,60,01,00,00\r\n"));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_READ, &key));
    char buffer[8];
    DWORD size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "E", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(std::string("%\xE9\x8A", 4), std::string(buffer, size));
    RegCloseKey(key);
}

TEST_F(RegistryFileTest, DenyWriteMarkerCoversLaterSubkeys)
{
    ASSERT_EQ("", Import("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\r\n;@deny-write\r\n\"v\"=\"x\"\r\n"
                         "\r\n[HKLM\\SOFTWARE\\Locked\\Later]\r\n"));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_SET_VALUE, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Later", 0, KEY_WRITE, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryFileTest, ExportLooksLikeRegedit)
{
    HKEY key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Out");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, nullptr, "top"));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Path", "C:\\\"q\""));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "Number", 0xBEEF));
    std::string expand = "%SystemDrive%\\system32\\config\\systemprofile";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "ProfileImagePath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand.c_str()),
                             static_cast<DWORD>(expand.size() + 1)));
    RegCloseKey(Create(key, "zeta"));
    RegCloseKey(Create(key, "Alpha"));
    RegCloseKey(key);
    std::string base = "[HKEY_CURRENT_USER\\" + ScratchKey() + "\\Out";
    // 77 columns before the continuation backslash, continuation lines indented by two.
    std::string expected = "REGEDIT4\r\n\r\n" + base +
                           "]\r\n"
                           "@=\"top\"\r\n"
                           "\"Path\"=\"C:\\\\\\\"q\\\"\"\r\n"
                           "\"Number\"=dword:0000beef\r\n"
                           "\"ProfileImagePath\"=hex(2):25,53,79,73,74,65,6d,44,72,69,76,65,25,5c,73,79,73,\\\r\n"
                           "  74,65,6d,33,32,5c,63,6f,6e,66,69,67,5c,73,79,73,74,65,6d,70,72,6f,66,69,6c,\\\r\n"
                           "  65,00\r\n"
                           "\r\n" +
                           base + "\\Alpha]\r\n\r\n" + base + "\\zeta]\r\n\r\n";
    EXPECT_EQ(expected, Export("hkcu\\" + ScratchKey() + "\\OUT"));
    winsim::RegistryStore store = Store();
    std::string text, error;
    EXPECT_FALSE(winsim::ExportRegFile(store, "HKCU\\No\\Such\\Key", text, error));
    EXPECT_NE(std::string::npos, error.find("no such key"));
}

TEST_F(RegistryFileTest, ExportThenImportRestoresEveryValueType)
{
    HKEY key = Create(HKEY_CURRENT_USER, ScratchKey() + "\\Trip");
    std::vector<BYTE> longBinary(300);
    for (size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<BYTE>(i * 7);
    const BYTE odd[] = {0, 1, 0xFF};
    struct Case
    {
        const char* name;
        DWORD type;
        std::string data;
    } cases[] = {
        {"sz", REG_SZ, std::string("text \\ \"q\" \xE9", 13)},
        {"sz unterminated", REG_SZ, "abc"},
        {"sz embedded nul", REG_SZ, std::string("a\0b\0", 4)},
        {"sz newline", REG_SZ, std::string("two\r\nlines", 11)},
        {"", REG_SZ, std::string("", 1)},
        {"expand", REG_EXPAND_SZ, std::string("%WINDIR%", 9)},
        {"multi", REG_MULTI_SZ, std::string("a\0bb\0\0", 6)},
        {"dword", REG_DWORD, std::string("\1\2\3\4", 4)},
        {"short dword", REG_DWORD, std::string("\1\2", 2)},
        {"big endian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\1", 4)},
        {"qword", REG_QWORD, std::string("12345678")},
        {"none", REG_NONE, std::string(reinterpret_cast<const char*>(odd), 3)},
        {"binary", REG_BINARY, std::string(longBinary.begin(), longBinary.end())},
        {"empty binary", REG_BINARY, ""},
        {"resource list", REG_RESOURCE_LIST, "rl"},
        {"own type", 0x1234, "x"},
    };
    for (const Case& c : cases)
    {
        // A byte after the data keeps NT from counting a terminator the data does not have.
        std::string buffer = c.data + "X";
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(buffer.data()),
                                                static_cast<DWORD>(c.data.size())))
            << c.name;
    }
    HKEY sub = Create(key, "Sub\\Deeper");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(sub, "d", 5));
    RegCloseKey(sub);
    RegCloseKey(key);

    std::string text = Export(Root() + "\\Trip");
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, (ScratchKey() + "\\Trip\\Sub\\Deeper").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, (ScratchKey() + "\\Trip\\Sub").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, (ScratchKey() + "\\Trip").c_str()));
    ASSERT_EQ("", Import(text));

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (ScratchKey() + "\\Trip").c_str(), 0, KEY_READ, &key));
    std::vector<std::string> names;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        names.push_back(c.name);
        std::vector<BYTE> buffer(512);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, c.name, nullptr, &type, buffer.data(), &size));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.data, std::string(buffer.begin(), buffer.begin() + size));
    }
    EXPECT_EQ(names, ValueNames(key));
    RegCloseKey(key);
    EXPECT_EQ(text, Export(Root() + "\\Trip"));
}

} // namespace
