// SetupInstallFromInfSectionA: AddReg and DelReg with their flags and types under HKR and the named roots,
// CopyFiles and DelFiles with their copy flags, a target in use, and Include/Needs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "InfTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"

namespace
{

class InfInstallTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, &m_hkr));
    }
    void TearDown() override
    {
        RegCloseKey(m_hkr);
        if (m_inf != INVALID_HANDLE_VALUE)
            SetupCloseInfFile(m_inf);
        TestMachine::TearDown();
    }

    void Load(const std::string& body, const std::string& folder = {})
    {
        m_inf = inf_test::Open((folder.empty() ? ScratchFolder() : folder) + "\\modem.inf",
                               std::string(inf_test::kHeader) + body);
        ASSERT_NE(INVALID_HANDLE_VALUE, m_inf) << GetLastError();
    }

    BOOL Install(const char* section, UINT flags, UINT copyFlags = 0, const char* sourceRoot = nullptr)
    {
        PVOID context = SetupInitDefaultQueueCallback(nullptr);
        const BOOL ok = SetupInstallFromInfSectionA(nullptr, m_inf, section, flags, m_hkr, sourceRoot, copyFlags,
                                                    SetupDefaultQueueCallbackA, context, nullptr, nullptr);
        const DWORD error = GetLastError();
        SetupTermDefaultQueueCallback(context);
        SetLastError(error);
        return ok;
    }

    // A value under a root as type and bytes; type REG_NONE with "<missing>" bytes when absent.
    static std::pair<DWORD, std::string> Read(HKEY root, const std::string& subkey, const char* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {REG_NONE, "<no key>"};
        char data[512];
        DWORD size = sizeof(data);
        DWORD type = 0;
        const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return {REG_NONE, "<missing>"};
        return {type, std::string(data, size)};
    }
    static bool KeyExists(HKEY root, const std::string& subkey)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    HKEY m_hkr = nullptr;
    HINF m_inf = INVALID_HANDLE_VALUE;
};

TEST_F(InfInstallTest, AddRegTypesAndFlags)
{
    Load("[Modem.Install]\r\nAddReg = Modem.AddReg, Sw.AddReg\r\n"
         "[Modem.AddReg]\r\n"
         "HKR,, FriendlyName,, %Desc%\r\n"
         "HKR,, Port, 0x00020000, \"%%SystemRoot%%\\port\"\r\n"
         "HKR, Init, 1,, \"AT&F<cr>\"\r\n"
         "HKR,, Properties, 1, 80,01,00,00, ff,00\r\n"
         "HKR,, Speed, 0x00010001, 57600\r\n"
         "HKR,, Ids, 0x00010000, \"MDM_1\", \"MDM_2\"\r\n"
         "HKR,, Ids, 0x00010008, \"MDM_2\", \"MDM_3\"\r\n"
         "HKR,, Kept, 0x00000002, second\r\n"
         "HKR,, Absent, 0x00000020, never\r\n"
         "HKR, Settings\r\n"
         "HKR, Only, Name, 0x00000010, ignored\r\n"
         "HKR,, Flag, 0x00030001, 01,02\r\n"
         "[Sw.AddReg]\r\n"
         "HKCU, \"Software\\Sample Modems\", Installed, 0x00010001, 1\r\n"
         "[Strings]\r\nDesc = \"Sample 56K Modem\"\r\n");
    {
        HKEY kept = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_hkr, "", 0, KEY_ALL_ACCESS, &kept));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(kept, "Kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("first"), 6));
        RegCloseKey(kept);
    }
    ASSERT_TRUE(Install("Modem.Install", SPINST_REGISTRY)) << GetLastError();

    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("Sample 56K Modem\0", 17)), Read(m_hkr, "", "FriendlyName"));
    EXPECT_EQ(std::make_pair(DWORD(REG_EXPAND_SZ), std::string("%SystemRoot%\\port\0", 18)), Read(m_hkr, "", "Port"));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("AT&F<cr>\0", 9)), Read(m_hkr, "Init", "1"));
    EXPECT_EQ(std::make_pair(DWORD(REG_BINARY), std::string("\x80\x01\x00\x00\xff\x00", 6)),
              Read(m_hkr, "", "Properties"));
    EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), std::string("\x00\xe1\x00\x00", 4)), Read(m_hkr, "", "Speed"));
    EXPECT_EQ(std::make_pair(DWORD(REG_MULTI_SZ), std::string("MDM_1\0MDM_2\0MDM_3\0\0", 19)), Read(m_hkr, "", "Ids"))
        << "APPEND adds only the strings not there yet";
    EXPECT_EQ("first", std::string(Read(m_hkr, "", "Kept").second.c_str())) << "NOCLOBBER keeps a value";
    EXPECT_EQ("<missing>", Read(m_hkr, "", "Absent").second) << "OVERWRITEONLY does not create";
    EXPECT_TRUE(KeyExists(m_hkr, "Settings"));
    EXPECT_TRUE(KeyExists(m_hkr, "Only"));
    EXPECT_EQ("<missing>", Read(m_hkr, "Only", "Name").second) << "KEYONLY writes no value";
    EXPECT_EQ(std::make_pair(DWORD(3), std::string("\x01\x02", 2)), Read(m_hkr, "", "Flag"))
        << "binary data of the type in the high word";
    EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), std::string("\x01\x00\x00\x00", 4)),
              Read(HKEY_CURRENT_USER, "Software\\Sample Modems", "Installed"));
}

TEST_F(InfInstallTest, DelRegRemovesKeysValuesAndStrings)
{
    Load("[Add]\r\nAddReg = Add.Reg\r\n"
         "[Add.Reg]\r\n"
         "HKR, Tree\\Deep\\Deeper, V,, x\r\n"
         "HKR,, Gone,, x\r\n"
         "HKR,, Stays,, x\r\n"
         "HKR,, List, 0x00010000, a, b, c\r\n"
         "HKR,, Shaped,, x\r\n"
         "[Remove]\r\nDelReg = Remove.Reg\r\n"
         "[Remove.Reg]\r\n"
         "HKR, Tree\r\n"
         "HKR,, Gone\r\n"
         "HKR,, List, 0x00018002, b\r\n"
         "HKR,, Shaped, 0x00000000, \"AddReg-shaped\"\r\n"
         "HKR, NotThere, Nothing\r\n");
    ASSERT_TRUE(Install("Add", SPINST_REGISTRY)) << GetLastError();
    ASSERT_TRUE(KeyExists(m_hkr, "Tree\\Deep\\Deeper"));
    ASSERT_TRUE(Install("Remove", SPINST_REGISTRY)) << GetLastError();
    EXPECT_FALSE(KeyExists(m_hkr, "Tree")) << "a key goes with its subkeys";
    EXPECT_EQ("<missing>", Read(m_hkr, "", "Gone").second);
    EXPECT_EQ("<missing>", Read(m_hkr, "", "Shaped").second);
    EXPECT_NE("<missing>", Read(m_hkr, "", "Stays").second);
    EXPECT_EQ(std::make_pair(DWORD(REG_MULTI_SZ), std::string("a\0c\0\0", 5)), Read(m_hkr, "", "List"));
}

TEST_F(InfInstallTest, RegistryErrors)
{
    Load("[Bad]\r\nAddReg = Bad.Reg\r\n[Bad.Reg]\r\nHKXX,, V,, x\r\n[Missing]\r\nAddReg = Nowhere\r\n");
    EXPECT_FALSE(Install("Bad", SPINST_REGISTRY));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(Install("Missing", SPINST_REGISTRY));
    EXPECT_EQ(DWORD(ERROR_SECTION_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Install("NoSuchSection", SPINST_REGISTRY));
    EXPECT_EQ(DWORD(ERROR_SECTION_NOT_FOUND), GetLastError());
    // Files need a callback.
    EXPECT_FALSE(SetupInstallFromInfSectionA(nullptr, m_inf, "Bad", SPINST_FILES, nullptr, nullptr, 0, nullptr, nullptr,
                                             nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

class InfCopyTest : public InfInstallTest
{
protected:
    std::string Src(const std::string& name) const { return ScratchFolder() + "\\disk\\" + name; }
    std::string Dest(const std::string& name) const { return ScratchFolder() + "\\out\\" + name; }

    void SetUp() override
    {
        InfInstallTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\disk").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\disk\\x86").c_str(), nullptr));
        file_test::WriteText(Src("x86\\mdmsmpl.sys"), "driver");
        file_test::WriteText(Src("mdmsmpl.hlp"), "help");
        file_test::WriteText(Src("x86\\smplctl.dll"), Image("1.0.0.0"));
        // The test folder as DIRID 24 plus a path: C: and the rest of the scratch folder.
        const std::string out = ScratchFolder().substr(3) + "\\out";
        Load("[DestinationDirs]\r\nDefaultDestDir = 24, \"" + out + "\"\r\nDrv.Copy = 24, \"" + out +
                 "\\drivers\"\r\n"
                 "[SourceDisksNames]\r\n1 = \"Disk\",,,x86\r\n2 = \"Disk\"\r\n"
                 "[SourceDisksFiles]\r\nmdmsmpl.sys = 1\r\nsmplctl.dll = 1\r\nmdmsmpl.hlp = 2\r\n"
                 "[Modem.Install]\r\nCopyFiles = Drv.Copy, @mdmsmpl.hlp\r\n"
                 "[Drv.Copy]\r\nmdmsmpl.sys\r\nrenamed.sys, mdmsmpl.sys\r\n"
                 "[Ctl.Install]\r\nCopyFiles = @smplctl.dll\r\n"
                 "[Missing.Install]\r\nCopyFiles = @nothere.sys\r\n"
                 "[Remove]\r\nDelFiles = Drv.Copy\r\n",
             ScratchFolder() + "\\disk");
    }
    static std::string Image(const std::string& version)
    {
        return "WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=x\r\nMachine=x86\r\nFileVersion=" + version + "\r\n";
    }
};

TEST_F(InfCopyTest, CopiesFromTheInfFolderOrTheSourceRoot)
{
    ASSERT_TRUE(Install("Modem.Install", SPINST_FILES)) << GetLastError();
    EXPECT_EQ("driver", file_test::ReadText(Dest("drivers\\mdmsmpl.sys")));
    EXPECT_EQ("driver", file_test::ReadText(Dest("drivers\\renamed.sys")));
    EXPECT_EQ("help", file_test::ReadText(Dest("mdmsmpl.hlp")));

    // Another source root, with the same layout.
    ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\cd").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\cd\\x86").c_str(), nullptr));
    file_test::WriteText(ScratchFolder() + "\\cd\\x86\\mdmsmpl.sys", "from cd");
    file_test::WriteText(ScratchFolder() + "\\cd\\mdmsmpl.hlp", "help cd");
    ASSERT_TRUE(Install("Modem.Install", SPINST_FILES, 0, (ScratchFolder() + "\\cd\\").c_str())) << GetLastError();
    EXPECT_EQ("from cd", file_test::ReadText(Dest("drivers\\mdmsmpl.sys")));

    ASSERT_TRUE(Install("Remove", SPINST_FILES)) << GetLastError();
    EXPECT_EQ("<missing>", file_test::ReadText(Dest("drivers\\mdmsmpl.sys")));
    EXPECT_EQ("<missing>", file_test::ReadText(Dest("drivers\\renamed.sys")));
    EXPECT_EQ("help cd", file_test::ReadText(Dest("mdmsmpl.hlp")));
}

TEST_F(InfCopyTest, MissingSourceIsSkippedUnlessNoSkip)
{
    EXPECT_TRUE(Install("Missing.Install", SPINST_FILES)) << "the default callback skips a copy error";
    EXPECT_FALSE(Install("Missing.Install", SPINST_FILES, SP_COPY_NOSKIP));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(InfCopyTest, NewerComparesVersionResources)
{
    ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\out").c_str(), nullptr));
    file_test::WriteText(Dest("smplctl.dll"), Image("2.0.0.0"));
    ASSERT_TRUE(Install("Ctl.Install", SPINST_FILES, SP_COPY_NEWER)) << GetLastError();
    EXPECT_EQ(Image("2.0.0.0"), file_test::ReadText(Dest("smplctl.dll"))) << "a newer target stays";
    ASSERT_TRUE(Install("Ctl.Install", SPINST_FILES)) << GetLastError();
    EXPECT_EQ(Image("1.0.0.0"), file_test::ReadText(Dest("smplctl.dll"))) << "without the flag it is replaced";
    file_test::WriteText(Src("x86\\smplctl.dll"), Image("1.5.0.0"));
    ASSERT_TRUE(Install("Ctl.Install", SPINST_FILES, SP_COPY_NEWER)) << GetLastError();
    EXPECT_EQ(Image("1.5.0.0"), file_test::ReadText(Dest("smplctl.dll"))) << "an older target is replaced";
    ASSERT_TRUE(Install("Ctl.Install", SPINST_FILES, SP_COPY_NOOVERWRITE)) << GetLastError();
    EXPECT_EQ(Image("1.5.0.0"), file_test::ReadText(Dest("smplctl.dll")));
}

TEST_F(InfCopyTest, TargetInUseWaitsForTheRestart)
{
    ASSERT_TRUE(CreateDirectoryA((ScratchFolder() + "\\out").c_str(), nullptr));
    file_test::WriteText(Dest("smplctl.dll"), "old");
    HANDLE busy = CreateFileA(Dest("smplctl.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);
    ASSERT_TRUE(Install("Ctl.Install", SPINST_FILES)) << GetLastError();
    CloseHandle(busy);
    EXPECT_EQ("old", file_test::ReadText(Dest("smplctl.dll")));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                           KEY_QUERY_VALUE, &key));
    char data[2048] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(data), &size));
    RegCloseKey(key);
    std::vector<std::string> items;
    for (DWORD i = 0; i + 1 < size; i += static_cast<DWORD>(std::strlen(data + i)) + 1)
        items.emplace_back(data + i);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("!\\??\\" + Dest("smplctl.dll"), items[1]);
    EXPECT_EQ(Image("1.0.0.0"), file_test::ReadText(items[0].substr(4)));
}

TEST_F(InfInstallTest, IncludeAndNeedsRunTheOtherSectionsFirst)
{
    file_test::WriteText(ScratchFolder() + "\\base.inf",
                         std::string(inf_test::kHeader) + "[Base.Install]\r\nAddReg = Base.Reg\r\n"
                                                          "[Base.Reg]\r\nHKR,, Order,, base\r\nHKR,, Base,, yes\r\n");
    Load("[Modem.Install]\r\nInclude = base.inf\r\nNeeds = Base.Install, Local.Install\r\nAddReg = Own.Reg\r\n"
         "[Own.Reg]\r\nHKR,, Order,, own\r\n"
         "[Local.Install]\r\nAddReg = Local.Reg\r\n[Local.Reg]\r\nHKR,, Local,, yes\r\n"
         "[Broken.Install]\r\nNeeds = Nowhere.Install\r\n");
    ASSERT_TRUE(Install("Modem.Install", SPINST_REGISTRY)) << GetLastError();
    EXPECT_EQ("own", std::string(Read(m_hkr, "", "Order").second.c_str()));
    EXPECT_EQ("yes", std::string(Read(m_hkr, "", "Base").second.c_str()));
    EXPECT_EQ("yes", std::string(Read(m_hkr, "", "Local").second.c_str()));
    EXPECT_FALSE(Install("Broken.Install", SPINST_REGISTRY));
    EXPECT_EQ(DWORD(ERROR_SECTION_NOT_FOUND), GetLastError());
}

} // namespace
