// The custom UI library bridge: no library, a library with some of the exports (the sample), one with none
// of them, and the answers of its confirmation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FileText.h"
#include "TestMachine.h"
#include "platform/win32.h"
#include "ui/CCustomUI.h"

namespace
{

// The result table as the library reads it: a count, then 100 rows.
struct Table
{
    DWORD dwCnt = 0;
    struct
    {
        char szDeviceDesc[260];
        DWORD eDeviceStatus;
    } rows[100] = {};
};

class CustomUITest : public TestMachine
{
protected:
    static bool Install(const char* program)
    {
        return WriteWholeFile("C:\\TEST\\DVXCSTM.DLL",
                              std::string("WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=") + program + "\r\nMachine=x86\r\n");
    }
};

TEST_F(CustomUITest, WithoutTheLibraryEveryScreenIsBuiltIn)
{
    EXPECT_EQ(nullptr, CCustomUI::LoadCustomUI());
    LONG nPercent = 100;
    int nResult = 7;
    Table table;
    EXPECT_FALSE(CCustomUI::InstallProgBar(nullptr, &nPercent));
    EXPECT_FALSE(CCustomUI::BeginInstallDlg(nullptr, &table, &nResult));
    EXPECT_EQ(7, nResult);
    EXPECT_FALSE(CCustomUI::EndUninstallDlg(nullptr, &table));
    CCustomUI::FreeCustomUI(nullptr);
}

TEST_F(CustomUITest, OnlyTheExportsTheLibraryHasReplaceScreens)
{
    ASSERT_TRUE(Install("dvxcstm_sample"));
    HMODULE hCustomUI = CCustomUI::LoadCustomUI();
    ASSERT_NE(nullptr, hCustomUI);
    Table table;
    table.dwCnt = 2;
    std::strcpy(table.rows[0].szDeviceDesc, "Test Modem #1");
    table.rows[0].eDeviceStatus = 4;
    std::strcpy(table.rows[1].szDeviceDesc, "Test Modem #2");
    table.rows[1].eDeviceStatus = 5;

    int nResult = 0;
    EXPECT_TRUE(CCustomUI::BeginInstallDlg(hCustomUI, &table, &nResult));
    EXPECT_EQ(1, nResult);
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\CANCEL.TXT", ""));
    EXPECT_TRUE(CCustomUI::BeginInstallDlg(hCustomUI, &table, &nResult));
    EXPECT_EQ(0, nResult) << "the library's 0 cancels";
    EXPECT_TRUE(CCustomUI::EndInstallDlg(hCustomUI, &table));

    LONG nPercent = 100;
    EXPECT_FALSE(CCustomUI::InitInstallProgBar(hCustomUI, &nPercent));
    EXPECT_FALSE(CCustomUI::BeginUninstallDlg(hCustomUI, &table, &nResult));
    EXPECT_FALSE(CCustomUI::UninstallProgBar(hCustomUI, &nPercent));
    EXPECT_TRUE(CCustomUI::InstallProgBar(hCustomUI, &nPercent));
    CCustomUI::FreeCustomUI(hCustomUI);

    std::string notes;
    ASSERT_TRUE(ReadWholeFile("C:\\TEST\\CUSTOMUI.TXT", notes));
    EXPECT_EQ("BeginInstallDlg rows 2\r\nBeginInstallDlg rows 2\r\nEndInstallDlg Test Modem #1 = 4\r\n"
              "EndInstallDlg Test Modem #2 = 5\r\nInstallProgBar 100\r\nInstallProgBar done 100\r\n",
              notes);
}

TEST_F(CustomUITest, ALibraryWithNoneOfTheExportsChangesNothing)
{
    ASSERT_TRUE(Install("patch_sample"));
    HMODULE hCustomUI = CCustomUI::LoadCustomUI();
    ASSERT_NE(nullptr, hCustomUI);
    LONG nPercent = 100;
    int nResult = 7;
    Table table;
    EXPECT_FALSE(CCustomUI::InitInstallProgBar(hCustomUI, &nPercent));
    EXPECT_FALSE(CCustomUI::InstallProgBar(hCustomUI, &nPercent));
    EXPECT_FALSE(CCustomUI::BeginInstallDlg(hCustomUI, &table, &nResult));
    EXPECT_FALSE(CCustomUI::EndInstallDlg(hCustomUI, &table));
    EXPECT_EQ(7, nResult);
    CCustomUI::FreeCustomUI(hCustomUI);
}

} // namespace
