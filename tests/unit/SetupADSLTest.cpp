// The USB plug-in prompt and the USB tree walk: vendor and product ids from hardware IDs, devices on the
// root hub and behind a nested hub, a device plugged in while the prompt waits, the two-minute limit, and
// hubs that fail their queries.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "TestMachine.h"
#include "platform/win32.h"
#include "ui/CSetupADSL.h"
#include "winsim/winsim.h"

namespace
{

constexpr const char* kModem = "USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&1";
constexpr const char* kModemId = "USB\\VID_F0E1&PID_3A01&REV_0100";

class SetupADSLTest : public TestMachine
{
protected:
    // The xp-sp2 machine with a hub on the root hub, and behind it a device of vendor 1A2B, product 0100.
    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "usb-hub",
                          "[Device.12]\n"
                          "InstanceId=USB\\VID_F0E2&PID_0C01\\5&2A3B4C5D&0&2\n"
                          "HardwareIDs=USB\\VID_F0E2&PID_0C01&REV_0100|USB\\VID_F0E2&PID_0C01\n"
                          "CompatibleIDs=USB\\Class_09&SubClass_00|USB\\Class_09\n"
                          "Parent=USB\\ROOT_HUB20\\4&2D4C1B3A&0\n"
                          "Exposed=1\n"
                          "Class=USB\n"
                          "ClassGUID={36FC9E60-C465-11CF-8056-444553540000}\n"
                          "DriverDesc=Generic USB Hub\n"
                          "InfPath=usb.inf\n"
                          "InfSection=HUB20.Dev\n"
                          "MatchingDeviceId=USB\\Class_09\n"
                          "Service=usbhub\n"
                          "[Device.13]\n"
                          "InstanceId=USB\\VID_1A2B&PID_0100\\6&11223344&0&1\n"
                          "HardwareIDs=USB\\VID_1A2B&PID_0100&REV_0001|USB\\VID_1A2B&PID_0100\n"
                          "Parent=USB\\VID_F0E2&PID_0C01\\5&2A3B4C5D&0&2\n"
                          "Exposed=1\n"
                          "[Device.14]\n"
                          "InstanceId=USB\\VID_F0E1&PID_3A02\\5&1E2D3C4B&0&3\n"
                          "HardwareIDs=USB\\VID_F0E1&PID_3A02&REV_0100\n"
                          "Parent=USB\\ROOT_HUB20\\4&2D4C1B3A&0\n"
                          "Exposed=1\n"
                          "Present=0\n"
                          "PlugAt=30000\n");
        return path.c_str();
    }

    ADSL_PROMPT Prompt() const
    {
        ADSL_PROMPT prompt;
        prompt.csTitle = "ADSL USB Modem";
        prompt.hInstance = GetModuleHandleA(nullptr);
        return prompt;
    }

    CSetupADSL m_adsl;
};

TEST_F(SetupADSLTest, HexadecimalIdsOfHardwareIds)
{
    EXPECT_EQ(0x1A2B, CSetupADSL::ConvertHexStringToDecimal("1A2B"));
    EXPECT_EQ(0x0100, CSetupADSL::ConvertHexStringToDecimal("0100"));
    EXPECT_EQ(0xFFFF, CSetupADSL::ConvertHexStringToDecimal("FFFF"));
    // Nested behind a hub, and found by the vendor and product of any form of its ID.
    EXPECT_TRUE(m_adsl.IsUSBDevicePluggedIn("USB\\VID_1A2B&PID_0100"));
    EXPECT_TRUE(m_adsl.IsUSBDevicePluggedIn("usb\\vid_1a2b&pid_0100&rev_0001"));
    EXPECT_FALSE(m_adsl.IsUSBDevicePluggedIn("USB\\VID_1A2B&PID_0101"));
    EXPECT_FALSE(m_adsl.IsUSBDevicePluggedIn("USB\\VID_1A2B")) << "no &PID_: never present";
    EXPECT_FALSE(m_adsl.IsUSBDevicePluggedIn("USB\\VID_1G2B&PID_0100")) << "not hexadecimal";
    EXPECT_FALSE(m_adsl.IsUSBDevicePluggedIn(""));
}

TEST_F(SetupADSLTest, ADeviceIsConnectedWhilePluggedIn)
{
    EXPECT_FALSE(m_adsl.IsUSBDevicePluggedIn(kModemId));
    ASSERT_TRUE(winsim::SetDevicePlugged(kModem, true));
    EXPECT_TRUE(m_adsl.IsUSBDevicePluggedIn(kModemId));
    EXPECT_TRUE(m_adsl.IsUSBDeviceConnected(0xF0E1, 0x3A01));
    ASSERT_TRUE(winsim::SetDevicePlugged(kModem, false));
    EXPECT_FALSE(m_adsl.IsUSBDeviceConnected(0xF0E1, 0x3A01));
}

TEST_F(SetupADSLTest, HubsThatFailTheirQueriesArePassedBy)
{
    ASSERT_TRUE(winsim::SetDevicePlugged(kModem, true));
    std::string error;
    // The root hub's node information fails: nothing below it is found, and nothing breaks.
    ASSERT_TRUE(winsim::SetFaultPlan("DeviceIoControl:3=31", error)) << error;
    EXPECT_FALSE(m_adsl.IsUSBDeviceConnected(0xF0E1, 0x3A01));
    // Every query fails.
    ASSERT_TRUE(winsim::SetFaultPlan("DeviceIoControl:*=31", error)) << error;
    EXPECT_FALSE(m_adsl.IsUSBDeviceConnected(0xF0E1, 0x3A01));
    winsim::ClearFaultPlan();
    EXPECT_TRUE(m_adsl.IsUSBDeviceConnected(0xF0E1, 0x3A01));
}

// The install's counter thread: once a second, looks for the device and tells the prompt.
struct Poller
{
    CSetupADSL* pAdsl;
    std::string csDeviceID;
    std::atomic<bool> bStop{false};
};

DWORD WINAPI Poll(LPVOID pContext)
{
    auto* pPoller = static_cast<Poller*>(pContext);
    while (!pPoller->bStop.load())
    {
        Sleep(1000);
        if (pPoller->pAdsl->IsPromptShowing() && pPoller->pAdsl->IsUSBDevicePluggedIn(pPoller->csDeviceID))
            pPoller->pAdsl->SetDeviceGotPluggedIn();
    }
    return 0;
}

TEST_F(SetupADSLTest, ADevicePluggedInAfterThirtySecondsClosesThePromptAtTheNextTick)
{
    Poller poller{&m_adsl, "USB\\VID_F0E1&PID_3A02&REV_0100"};
    HANDLE hThread = CreateThread(nullptr, 0, Poll, &poller, 0, nullptr);
    ASSERT_NE(nullptr, hThread);
    const DWORD dwStart = GetTickCount();
    EXPECT_TRUE(m_adsl.DisplayPlugInUSBDeviceDlg(Prompt()));
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 30000u);
    EXPECT_LE(dwElapsed, 32000u);
    EXPECT_FALSE(m_adsl.IsPromptShowing());
    poller.bStop.store(true);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
}

TEST_F(SetupADSLTest, WithNothingPluggedInThePromptClosesAfterTwoMinutes)
{
    Poller poller{&m_adsl, kModemId};
    HANDLE hThread = CreateThread(nullptr, 0, Poll, &poller, 0, nullptr);
    ASSERT_NE(nullptr, hThread);
    const DWORD dwStart = GetTickCount();
    EXPECT_FALSE(m_adsl.DisplayPlugInUSBDeviceDlg(Prompt()));
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 120000u);
    EXPECT_LE(dwElapsed, 121000u);
    poller.bStop.store(true);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
}

TEST_F(SetupADSLTest, ThePromptShowsItsTextsAndCancelClosesIt)
{
    // The user presses Cancel five seconds in.
    std::string error;
    ASSERT_TRUE(winsim::SetMessageBoxAnswers({"window:ADSL USB Modem=2@5"}, error)) << error;
    struct Look
    {
        std::string csScreen;
    } look;
    HANDLE hThread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD
        {
            Sleep(2000);
            static_cast<Look*>(p)->csScreen = winsim::DescribeScreen();
            std::filesystem::create_directories(std::string(DRVSETUP_BINARY_DIR) + "/screens");
            std::string pngError;
            winsim::SaveScreenPng(std::string(DRVSETUP_BINARY_DIR) + "/screens/plug-in-prompt.png", pngError);
            return 0;
        },
        &look, 0, nullptr);
    const DWORD dwStart = GetTickCount();
    EXPECT_FALSE(m_adsl.DisplayPlugInUSBDeviceDlg(Prompt()));
    EXPECT_LE(GetTickCount() - dwStart, 6000u);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    EXPECT_NE(std::string::npos, look.csScreen.find("\"ADSL USB Modem\"")) << look.csScreen;
    EXPECT_NE(std::string::npos, look.csScreen.find("\"Plug in your USB Device now.\"")) << look.csScreen;
    EXPECT_NE(std::string::npos, look.csScreen.find("\"Press the Cancel button to stop the installation.\""))
        << look.csScreen;
    EXPECT_NE(std::string::npos, look.csScreen.find("BUTTON 2  \"CANCEL\"")) << look.csScreen;
}

} // namespace
