// The platform's INF functions on INFs that real packages contain: directory ids in fields, a UTF-8 byte-order
// mark, and the source path cases of [SourceDisksNames]/[SourceDisksFiles]. The same answers on winsim and
// Wine, where Wine does not differ from Windows.
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "WineDifference.h"
#include "devapi/KDeviceApi.h"
#include "inf/CInf.h"

namespace
{

const char* kDirIdInf = "[Version]\r\n"
                        "Signature=\"$Windows NT$\"\r\n"
                        "Class=Modem\r\n"
                        "\r\n"
                        "[Service_Inst]\r\n"
                        "ServiceBinary = %12%\\mdmsampl.sys\r\n"
                        "Windows = %10%\r\n"
                        "System = %11%\\mdmhelp.dll\r\n"
                        "Inf = \"%17%\\mdmsampl.inf\"\r\n"
                        "Named = %Shadow%\\x.sys\r\n"
                        "Unknown = %99999%\\x.sys\r\n"
                        "Percent = 100%%\r\n"
                        "Via = %Raw%\r\n"
                        "\r\n"
                        "[Strings]\r\n"
                        "Shadow = \"shadowed\"\r\n"
                        "Raw = %12%\\kept.sys\r\n";

// A UTF-8 INF with a byte-order mark; "Modem é" in the [Strings] section.
const char* kUtf8Inf = "\xEF\xBB\xBF[Version]\r\n"
                       "Signature=\"$Windows NT$\"\r\n"
                       "Class=Modem\r\n"
                       "\r\n"
                       "[Models]\r\n"
                       "%Desc%=Install, PCI\\VEN_F0E1&DEV_2F20\r\n"
                       "\r\n"
                       "[Strings]\r\n"
                       "Desc=\"Modem \xC3\xA9\"\r\n";

const char* kSourcesInf = "[Version]\r\n"
                          "Signature=\"$Windows NT$\"\r\n"
                          "Class=Modem\r\n"
                          "\r\n"
                          "[Manufacturer]\r\n"
                          "Maker=Models\r\n"
                          "\r\n"
                          "[Models]\r\n"
                          "Sample=Install, PCI\\VEN_F0E1&DEV_2F20\r\n"
                          "\r\n"
                          "[Install]\r\n"
                          "CopyFiles=Files\r\n"
                          "\r\n"
                          "[Files]\r\n"
                          "plain.sys\r\n"
                          "nested.sys\r\n"
                          "orphan.sys\r\n"
                          "\r\n"
                          "[DestinationDirs]\r\n"
                          "DefaultDestDir=12\r\n"
                          "\r\n"
                          "[SourceDisksNames]\r\n"
                          "1 = \"Sample disk\",disk1.tag,,\\x86\r\n"
                          "\r\n"
                          "[SourceDisksFiles]\r\n"
                          "plain.sys = 1\r\n"
                          "orphan.sys = 7\r\n"
                          "\r\n"
                          "[SourceDisksFiles.x86]\r\n"
                          "nested.sys = 1,drivers\r\n"
                          "\r\n"
                          "[SourceDisksFiles.amd64]\r\n"
                          "nested.sys = 1,drivers\r\n";

class InfEngineTest : public ProductMachine
{
protected:
    void TearDown() override
    {
        for (HINF hInf : m_opened)
            m_api->KSetupCloseInfFile(hInf);
        ProductMachine::TearDown();
    }

    HINF Open(const char* pszName, const std::string& text)
    {
        m_api = GetDeviceApi();
        std::string path = ScratchFolder() + "\\" + pszName;
        if (!m_api || !WriteWholeFile(path, text))
            return INVALID_HANDLE_VALUE;
        UINT uLine = 0;
        HINF hInf = m_api->KSetupOpenInfFile(path.c_str(), nullptr, INF_STYLE_WIN4, &uLine);
        if (hInf != INVALID_HANDLE_VALUE)
            m_opened.push_back(hInf);
        return hInf;
    }

    // Field 1 of a keyed line, or "(none)".
    std::string Value(HINF hInf, const char* pszSection, const char* pszKey)
    {
        INFCONTEXT context;
        char szValue[MAX_PATH];
        if (!m_api->KSetupFindFirstLine(hInf, pszSection, pszKey, &context) ||
            !m_api->KSetupGetStringField(&context, 1, szValue, MAX_PATH, nullptr))
            return "(none)";
        return szValue;
    }

    static std::string WindowsFolder()
    {
        char sz[MAX_PATH] = {0};
        GetWindowsDirectoryA(sz, MAX_PATH);
        return sz;
    }
    static std::string SystemFolder()
    {
        char sz[MAX_PATH] = {0};
        GetSystemDirectoryA(sz, MAX_PATH);
        return sz;
    }

    KDeviceApi* m_api = nullptr;
    std::vector<HINF> m_opened;
};

TEST_F(InfEngineTest, DirectoryIdsAreReplacedWhereverAFieldIsReadButNotInStringValues)
{
    HINF hInf = Open("DIRIDS.INF", kDirIdInf);
    ASSERT_NE(INVALID_HANDLE_VALUE, hInf);
    EXPECT_EQ(SystemFolder() + "\\drivers\\mdmsampl.sys", Value(hInf, "Service_Inst", "ServiceBinary"));
    EXPECT_EQ(WindowsFolder(), Value(hInf, "Service_Inst", "Windows"));
    EXPECT_EQ(SystemFolder() + "\\mdmhelp.dll", Value(hInf, "Service_Inst", "System"));
    EXPECT_EQ(WindowsFolder() + "\\inf\\mdmsampl.inf", Value(hInf, "Service_Inst", "Inf"));
    // Strings come before directory ids; an id nobody knows stays as written; %% is one percent sign.
    EXPECT_EQ("shadowed\\x.sys", Value(hInf, "Service_Inst", "Named"));
    EXPECT_EQ("%99999%\\x.sys", Value(hInf, "Service_Inst", "Unknown"));
    EXPECT_EQ("100%", Value(hInf, "Service_Inst", "Percent"));
    // A string's value is put in as written: no directory id in it is replaced; read as a line of its own
    // section, it is a field like any other.
    EXPECT_EQ("%12%\\kept.sys", Value(hInf, "Service_Inst", "Via"));
    EXPECT_EQ(SystemFolder() + "\\drivers\\kept.sys", Value(hInf, "Strings", "Raw"));
}

TEST_F(InfEngineTest, AUtf8ByteOrderMarkIsSkippedAndTheTextReadInTheAnsiCodePage)
{
    HINF hInf = Open("UTF8.INF", kUtf8Inf);
    ASSERT_NE(INVALID_HANDLE_VALUE, hInf) << GetLastError();
    EXPECT_EQ("Modem", Value(hInf, "Version", "Class"));
    INFCONTEXT context;
    char szKey[MAX_PATH] = {0};
    ASSERT_TRUE(m_api->KSetupFindFirstLine(hInf, "Models", nullptr, &context));
    ASSERT_TRUE(m_api->KSetupGetStringField(&context, 0, szKey, MAX_PATH, nullptr));
    EXPECT_EQ("Modem \xE9", std::string(szKey));
}

TEST_F(InfEngineTest, SourcePathsOfDisksAndSubfolders)
{
    HINF hInf = Open("SOURCES.INF", kSourcesInf);
    ASSERT_NE(INVALID_HANDLE_VALUE, hInf);
    char szPath[MAX_PATH] = {0};
    UINT uDisk = 0;

    // A file whose disk is not described has no source location.
    SetLastError(0);
    EXPECT_FALSE(m_api->KSetupGetSourceFileLocation(hInf, nullptr, "orphan.sys", &uDisk, szPath, MAX_PATH, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_LINE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(m_api->KSetupGetSourceFileLocation(hInf, nullptr, "absent.sys", &uDisk, szPath, MAX_PATH, nullptr));

    // The disk line's fields as written.
    HMODULE hSetupApi = GetModuleHandleA("SETUPAPI.DLL");
    ASSERT_NE(nullptr, hSetupApi);
    typedef BOOL(WINAPI * SourceInfoFn)(HINF, UINT, UINT, PSTR, DWORD, PDWORD);
    auto pfnSourceInfo =
        reinterpret_cast<SourceInfoFn>(reinterpret_cast<void (*)()>(GetProcAddress(hSetupApi, "SetupGetSourceInfoA")));
    ASSERT_NE(nullptr, pfnSourceInfo);
    DWORD dwSize = 0;
    ASSERT_TRUE(pfnSourceInfo(hInf, 1, SRCINFO_DESCRIPTION, szPath, MAX_PATH, &dwSize));
    EXPECT_EQ("Sample disk", std::string(szPath));
    EXPECT_EQ(12u, dwSize);
    ASSERT_TRUE(pfnSourceInfo(hInf, 1, SRCINFO_TAGFILE, szPath, MAX_PATH, nullptr));
    EXPECT_EQ("disk1.tag", std::string(szPath));
    ASSERT_TRUE(pfnSourceInfo(hInf, 1, SRCINFO_PATH, szPath, MAX_PATH, nullptr));
    EXPECT_EQ("\\x86", std::string(szPath));
    EXPECT_FALSE(pfnSourceInfo(hInf, 7, SRCINFO_PATH, szPath, MAX_PATH, nullptr));

    // The file lists skip the file without a source and take the others from the package folder.
    CInf inf;
    ASSERT_TRUE(inf.Initialize((ScratchFolder() + "\\SOURCES.INF").c_str()));
    CCopyFilesList files;
    ASSERT_EQ(2u, inf.GetCopyFilesList("PCI\\VEN_F0E1&DEV_2F20", files));
    EXPECT_EQ("plain.sys", files[0].kFileName);
    EXPECT_EQ("nested.sys", files[1].kFileName);
}

TEST_F(InfEngineTest, RelativeSourcePathsJoinDiskAndFileWithoutOuterBackslashes)
{
    // Windows documents the path as relative to the source root, without leading or trailing backslash;
    // Wine returns the disk's path field as written and leaves the file's subfolder out.
    KNOWN_WINE_DIFFERENCE("SetupGetSourceFileLocationA returns only the [SourceDisksNames] path, as written");
    HINF hInf = Open("SOURCES.INF", kSourcesInf);
    ASSERT_NE(INVALID_HANDLE_VALUE, hInf);
    char szPath[MAX_PATH] = {0};
    UINT uDisk = 0;
    ASSERT_TRUE(m_api->KSetupGetSourceFileLocation(hInf, nullptr, "plain.sys", &uDisk, szPath, MAX_PATH, nullptr));
    EXPECT_EQ(1u, uDisk);
    EXPECT_EQ("x86", std::string(szPath));
    ASSERT_TRUE(m_api->KSetupGetSourceFileLocation(hInf, nullptr, "nested.sys", &uDisk, szPath, MAX_PATH, nullptr));
    EXPECT_EQ("x86\\drivers", std::string(szPath));

    CInf inf;
    ASSERT_TRUE(inf.Initialize((ScratchFolder() + "\\SOURCES.INF").c_str()));
    CCopyFilesList files;
    ASSERT_EQ(2u, inf.GetCopyFilesList("PCI\\VEN_F0E1&DEV_2F20", files));
    EXPECT_EQ(ScratchFolder() + "\\x86\\plain.sys", files[0].kSourceFile);
    EXPECT_EQ(ScratchFolder() + "\\x86\\drivers\\nested.sys", files[1].kSourceFile);
}

} // namespace
