// The result table the wizard shows: rows shared by description, the forced friendly name, "GS", a table
// that is full, the preview rows, and what each screen kind writes in the second column.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ProductMachine.h"
#include "common/ResourceIds.h"
#include "install/CInstall.h"
#include "platform/StringUtil.h"
#include "wizard/CDeviceListDlg.h"
#include "wizard/CSetupDlg.h"

namespace
{

class InstallInfoTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        m_parms.dwMode = SETUP_MODE_INSTALL;
        m_pInstall = std::make_unique<CInstall>();
        m_pInstall->SetSetupParms(&m_parms);
        m_pInfo = std::make_unique<INSTALL_INFO>();
    }
    void TearDown() override
    {
        m_pInstall.reset();
        ProductMachine::TearDown();
    }
    void Add(const std::string& csDesc, int nStatus)
    {
        DEVICE_DATA data;
        data.csDeviceDesc = csDesc;
        data.SetupStatus = nStatus;
        m_pInstall->GetDeviceDataList().AddTail(data);
    }
    SETUP_PARMS m_parms;
    std::unique_ptr<CInstall> m_pInstall;
    std::unique_ptr<INSTALL_INFO> m_pInfo;
};

} // namespace

TEST_F(InstallInfoTest, SharedDescriptionsShareOneRowAndUpgradeOrInstalledWins)
{
    Add("Modem A", DEVICE_INSTALL_PENDING);
    Add("Modem A", DEVICE_UPGRADE_PENDING);
    Add("Codec", DEVICE_INSTALL_PENDING);
    m_pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, m_pInfo.get());
    ASSERT_EQ(2u, m_pInfo->dwCnt);
    EXPECT_STREQ("Modem A", m_pInfo->rows[0].szDeviceDesc);
    EXPECT_EQ(INSTALL_INFO_WILL_UPGRADE, m_pInfo->rows[0].eDeviceStatus);
    EXPECT_EQ(INSTALL_INFO_WILL_INSTALL, m_pInfo->rows[1].eDeviceStatus);

    // NO_STATUS_UPGRADE shows every device as an install.
    m_parms.dwMode |= SETUP_MODE_NO_STATUS_UPGRADE;
    m_pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, m_pInfo.get());
    EXPECT_EQ(INSTALL_INFO_WILL_INSTALL, m_pInfo->rows[0].eDeviceStatus);

    // After the install a failed and an upgraded device of one description show installed.
    m_pInstall->GetDeviceDataList().RemoveAll();
    Add("Modem A", DEVICE_UPGRADED);
    Add("Modem A", DEVICE_INSTALL_FAILED);
    Add("Codec", DEVICE_INSTALL_FAILED);
    m_pInstall->GetInstallInfo(INSTALL_INFO_AFTER, m_pInfo.get());
    ASSERT_EQ(2u, m_pInfo->dwCnt);
    EXPECT_EQ(INSTALL_INFO_INSTALLED, m_pInfo->rows[0].eDeviceStatus);
    EXPECT_EQ(INSTALL_INFO_FAILED, m_pInfo->rows[1].eDeviceStatus);

    // "GS": failed devices are left out.
    m_parms.dwSetupConfig |= SETUP_CFG_SUCCESS_RESULT_ONLY;
    m_pInstall->GetInstallInfo(INSTALL_INFO_AFTER, m_pInfo.get());
    ASSERT_EQ(1u, m_pInfo->dwCnt);
    EXPECT_STREQ("Modem A", m_pInfo->rows[0].szDeviceDesc);
    EXPECT_EQ(INSTALL_INFO_INSTALLED, m_pInfo->rows[0].eDeviceStatus);
}

TEST_F(InstallInfoTest, ForcedFriendlyNameIsTheOnlyRow)
{
    m_parms.csForcedInstallFriendlyName = "Sample Modem Kit";
    Add("Modem A", DEVICE_INSTALL_PENDING);
    m_pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, m_pInfo.get());
    ASSERT_EQ(1u, m_pInfo->dwCnt);
    EXPECT_STREQ("Sample Modem Kit", m_pInfo->rows[0].szDeviceDesc);
    EXPECT_EQ(INSTALL_INFO_WILL_INSTALL, m_pInfo->rows[0].eDeviceStatus);
    EXPECT_EQ(3, m_parms.nForcedInstallStatus);

    Add("Modem B", DEVICE_UPGRADE_PENDING);
    m_pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, m_pInfo.get());
    EXPECT_EQ(INSTALL_INFO_WILL_UPGRADE, m_pInfo->rows[0].eDeviceStatus);
    EXPECT_EQ(1, m_parms.nForcedInstallStatus);
}

TEST_F(InstallInfoTest, FullTableTakesNoMoreRowsAndLongTextIsCut)
{
    for (int n = 0; n < 105; ++n)
        Add(Format("Device %03d", n), DEVICE_INSTALL_PENDING);
    Add("Device 004", DEVICE_UPGRADE_PENDING);
    Add(std::string(400, 'X'), DEVICE_INSTALL_PENDING);
    m_pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, m_pInfo.get());
    ASSERT_EQ(INSTALL_INFO_ROWS, m_pInfo->dwCnt);
    EXPECT_STREQ("Device 099", m_pInfo->rows[99].szDeviceDesc);
    EXPECT_EQ(INSTALL_INFO_WILL_UPGRADE, m_pInfo->rows[4].eDeviceStatus);

    m_pInstall->GetDeviceDataList().RemoveAll();
    Add(std::string(400, 'X'), DEVICE_INSTALLED);
    m_pInstall->GetInstallInfo(INSTALL_INFO_AFTER, m_pInfo.get());
    EXPECT_EQ(INSTALL_INFO_TEXT - 1, std::string(m_pInfo->rows[0].szDeviceDesc).size());
}

TEST(DeviceListScreenTest, SecondColumnAndPreviewRowsByScreenKind)
{
    EXPECT_EQ(static_cast<UINT>(IDS_TASK_INSTALL), CDeviceListDlg::GetTaskStringId(DEVICE_LIST_INSTALL_CONFIRM, 1));
    EXPECT_EQ(static_cast<UINT>(IDS_TASK_UPGRADE), CDeviceListDlg::GetTaskStringId(DEVICE_LIST_INSTALL_CONFIRM, 2));
    EXPECT_EQ(static_cast<UINT>(IDS_TASK_UNINSTALL), CDeviceListDlg::GetTaskStringId(DEVICE_LIST_UNINSTALL_CONFIRM, 3));
    // Status 6 (uninstalled) is a success; 3 on a result screen is a failure.
    EXPECT_EQ(static_cast<UINT>(IDS_RESULT_SUCCESS), CDeviceListDlg::GetTaskStringId(DEVICE_LIST_UNINSTALL_RESULTS, 6));
    EXPECT_EQ(static_cast<UINT>(IDS_RESULT_FAILURE), CDeviceListDlg::GetTaskStringId(DEVICE_LIST_INSTALL_RESULTS, 3));

    auto pInfo = std::make_unique<INSTALL_INFO>();
    CSetupDlg::FillPreviewRows(DEVICE_LIST_INSTALL_RESULTS, pInfo.get());
    ASSERT_EQ(2u, pInfo->dwCnt);
    EXPECT_STREQ("Test Modem #2", pInfo->rows[1].szDeviceDesc);
    EXPECT_EQ(INSTALL_INFO_INSTALLED, pInfo->rows[0].eDeviceStatus);
    EXPECT_EQ(INSTALL_INFO_FAILED, pInfo->rows[1].eDeviceStatus);
}
