// The wait for Plug and Play on winsim machines, in virtual time: what ends it (all devices, the expected
// count, the time limit, an idle manager), the start-up wait of the old-way install, the Windows 9x form
// without activity polls, and the after-reboot variant; with the trace lines each end writes.
#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"
#include "install/CInstallMonitor.h"
#include "prepare/CDeviceDataList.h"

namespace
{

const char* kLogPath = "C:\\TRACE.LOG";
// xp-sp2: the codec's audio function has a running driver; the modem functions have none.
const char* kCodecID = "HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001";
const char* kHdaModemID = "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001";
const char* kPciModemID = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1";

DEVICE_DATA Record(const char* pszID, const char* pszDesc)
{
    DEVICE_DATA data;
    data.csBusTypeAndDeviceID = pszID;
    data.csDeviceDesc = pszDesc;
    data.SetupStatus = DEVICE_INSTALL_PENDING;
    return data;
}

class InstallMonitorTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        StartTraceLogTo(kLogPath);
    }
    std::string Log() { return TraceLogText(); }

    // Runs the main wait and gives its result and the virtual time it took.
    static BOOL Wait(const CDeviceDataList& list, DWORD dwLimit, DWORD dwExpected, BOOL bOldWay, DWORD& dwTookMs)
    {
        CInstallMonitor monitor;
        const DWORD dwStart = GetTickCount();
        const BOOL bResult = monitor.WaitForInstallCompletion(&list, dwLimit, dwExpected, bOldWay);
        dwTookMs = GetTickCount() - dwStart;
        return bResult;
    }
};

TEST_F(InstallMonitorTest, TwoRecordsWithOneDescriptionEndTheWaitAtTheFirstPoll)
{
    CDeviceDataList list;
    list.AddTail(Record(kCodecID, "Sample Modem"));
    list.AddTail(Record(kPciModemID, "Sample Modem"));
    DWORD dwTook = 0;
    EXPECT_TRUE(Wait(list, 180000, 239, FALSE, dwTook));
    EXPECT_EQ(CInstallMonitor::POLL_MS + CInstallMonitor::FINAL_PAUSE_MS, dwTook);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("dwNumOfUniqueDeviceDescToBeInstalled = 1\r\n"));
    EXPECT_NE(std::string::npos, log.find("Found Parent DevNode = " + std::string(kCodecID) + "\r\n"));
    EXPECT_NE(std::string::npos, log.find("CInstallMonitor :: CheckRegistryForInstallation : dwRetVal = 1\r\n"));
    EXPECT_NE(std::string::npos, log.find("Install Completed : All Device Installed\r\n"));
    EXPECT_NE(std::string::npos, log.find("CInstallMonitor :: WaitForInstallCompletion : bRetVal = 1\r\n"));
}

TEST_F(InstallMonitorTest, AnExpectedCountOfOneEndsWithTheFirstInstalledRecord)
{
    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "A"));
    list.AddTail(Record(kPciModemID, "B"));
    list.AddTail(Record(kCodecID, "C"));
    list.AddTail(Record("PCI\\VEN_F0E1&DEV_9999", "D"));
    list.AddTail(Record("USB\\VID_F0E1&PID_3A01", "E"));
    DWORD dwTook = 0;
    EXPECT_TRUE(Wait(list, 180000, 1, FALSE, dwTook));
    EXPECT_EQ(CInstallMonitor::POLL_MS + CInstallMonitor::FINAL_PAUSE_MS, dwTook);
}

TEST_F(InstallMonitorTest, TheOldWayStartupWaitGivesUpAfterFivePausesWhenNothingIsPending)
{
    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "A"));
    DWORD dwTook = 0;
    EXPECT_FALSE(Wait(list, 180000, 239, TRUE, dwTook));
    EXPECT_EQ(5 * CInstallMonitor::STARTUP_PAUSE_MS, dwTook);
    const std::string log = Log();
    EXPECT_EQ(std::string::npos, log.find("PNP Manager Started"));
    // It stops before counting anything.
    EXPECT_EQ(std::string::npos, log.find("m_dwUserDefineEnumDeviceToInstall"));
    EXPECT_NE(std::string::npos, log.find("CInstallMonitor :: WaitForInstallCompletion : bRetVal = 0\r\n"));
}

TEST_F(InstallMonitorTest, ATimeLimitOfZeroEndsAtTheFirstPollThatFindsDevicesMissing)
{
    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "A"));
    list.AddTail(Record(kCodecID, "B"));
    DWORD dwTook = 0;
    EXPECT_FALSE(Wait(list, 0, 239, FALSE, dwTook));
    EXPECT_EQ(CInstallMonitor::POLL_MS + CInstallMonitor::FINAL_PAUSE_MS, dwTook);
    EXPECT_NE(std::string::npos, Log().find("Install Completed : Time out\r\n"));
}

TEST_F(InstallMonitorTest, AnIdleManagerEndsTheWaitAfterSixQuietPolls)
{
    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "A"));
    DWORD dwTook = 0;
    EXPECT_TRUE(Wait(list, 180000, 239, FALSE, dwTook));
    EXPECT_EQ(6 * CInstallMonitor::POLL_MS, dwTook);
    EXPECT_NE(std::string::npos, Log().find("Install Completed : No PNP Manager activity\r\n"));
}

TEST_F(InstallMonitorTest, AfterTheOldWayInstallTheWaitFollowsPlugAndPlayUntilTheDeviceHasItsDriver)
{
    // The package's modem INF, published, and the tree re-enumerated: xp-sp2's modem function takes 20 s.
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\MODEM.INF",
                               "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                               "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Sample Modems\r\n"
                               "DriverVer=06/01/2007,7.12.0.40\r\n[Manufacturer]\r\nSample Modems=Models\r\n"
                               "[Models]\r\nSample HD Audio Soft Modem=Modem_Install, " +
                                   std::string(kHdaModemID) + "\r\n[Modem_Install.NT]\r\n"));
    KDeviceApi* pApi = GetDeviceApi();
    char szName[MAX_PATH] = {0};
    ASSERT_TRUE(
        pApi->KSetupCopyOEMInf("C:\\TEST\\MODEM.INF", nullptr, SPOST_PATH, 0, szName, MAX_PATH, nullptr, nullptr));
    DEVINST dnRoot = 0;
    ASSERT_EQ(CR_SUCCESS, pApi->KCM_Locate_DevInst(&dnRoot, nullptr, 0));
    ASSERT_EQ(CR_SUCCESS, pApi->KCM_Reenumerate_DevInst(dnRoot, 0));

    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "Sample HD Audio Soft Modem"));
    DWORD dwTook = 0;
    EXPECT_TRUE(Wait(list, 180000, 239, TRUE, dwTook));
    // One start-up pause sees the work pending; polls every 2.1 s find the driver once it is in, at 20 s.
    EXPECT_EQ(CInstallMonitor::STARTUP_PAUSE_MS + 9 * CInstallMonitor::POLL_MS + CInstallMonitor::FINAL_PAUSE_MS,
              dwTook);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("PNP Manager Started\r\n"));
    EXPECT_NE(std::string::npos, log.find("Install Completed : All Device Installed\r\n"));
}

TEST_F(InstallMonitorTest, AfterANoEnumRebootAnIdleManagerEndsTheWaitWithFalse)
{
    CDeviceDataList list;
    list.AddTail(Record(kHdaModemID, "A"));
    CInstallMonitor monitor;
    const DWORD dwStart = GetTickCount();
    EXPECT_FALSE(monitor.WaitForInstallCompletionAfterNoEnumReboot(&list));
    EXPECT_EQ(4 * CInstallMonitor::AFTER_REBOOT_POLL_MS, GetTickCount() - dwStart);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Install Completed : No PNP Manager activity\r\n"));
    EXPECT_NE(std::string::npos, log.find("WaitForInstallCompletionAfterNoEnumReboot : bRetVal = 0\r\n"));
}

class InstallMonitor9xTest : public InstallMonitorTest
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(InstallMonitor9xTest, Windows9xHasNoActivityPollsOnlyTheCountAndTheTimeLimit)
{
    CDeviceDataList list;
    list.AddTail(Record(kPciModemID, "A"));
    DWORD dwTook = 0;
    // On the NT family an idle manager would end this after six polls; here only the limit does.
    EXPECT_FALSE(Wait(list, 20000, 239, TRUE, dwTook));
    EXPECT_EQ(10 * CInstallMonitor::POLL_MS + CInstallMonitor::FINAL_PAUSE_MS, dwTook);
    const std::string log = Log();
    EXPECT_EQ(std::string::npos, log.find("No PNP Manager activity"));
    EXPECT_EQ(std::string::npos, log.find("PNP Manager Started"));
    EXPECT_NE(std::string::npos, log.find("Install Completed : Time out\r\n"));
}

} // namespace
