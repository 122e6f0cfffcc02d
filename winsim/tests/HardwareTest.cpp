// Serial ports, wave output and the restart prompt as programs meet them: which opens fail and with what,
// what a port keeps, which formats the wave mapper takes, and what the restart question answers.
#include <gtest/gtest.h>

#include <string>

#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"
#include "winsim/winsim.h"

namespace
{

class HardwareTest : public TestMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile(
            "xp-sp2", "hardware", "[SerialPorts]\nCOM3=present\nCOM4=busy 1\n[WaveOut]\nAvailableFrom=2000\n");
        return path.c_str();
    }

    static HANDLE OpenPort(const char* name, DWORD disposition = OPEN_EXISTING)
    {
        return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_FLAG_OVERLAPPED, nullptr);
    }
};

TEST_F(HardwareTest, PortsOpenExclusivelyAndOnlyWhenTheyExist)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPort("\\\\.\\COM9"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPort("\\\\.\\COM3", OPEN_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    HANDLE hPort = OpenPort("\\\\.\\com3");
    ASSERT_NE(INVALID_HANDLE_VALUE, hPort);
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPort("COM3"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_TRUE(CloseHandle(hPort));
    hPort = OpenPort("COM3");
    EXPECT_NE(INVALID_HANDLE_VALUE, hPort);
    CloseHandle(hPort);

    // Held by another program for one open.
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPort("\\\\.\\COM4"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    hPort = OpenPort("\\\\.\\COM4");
    EXPECT_NE(INVALID_HANDLE_VALUE, hPort);
    CloseHandle(hPort);
}

TEST_F(HardwareTest, PortKeepsWhatWasSetAndRefusesWhatSerialDriversRefuse)
{
    HANDLE hPort = OpenPort("\\\\.\\COM3");
    ASSERT_NE(INVALID_HANDLE_VALUE, hPort);
    DCB dcb = {};
    ASSERT_TRUE(GetCommState(hPort, &dcb));
    EXPECT_EQ(static_cast<DWORD>(CBR_9600), dcb.BaudRate);
    EXPECT_EQ(sizeof(DCB), dcb.DCBlength);

    DCB bad = dcb;
    bad.ByteSize = 9;
    EXPECT_FALSE(SetCommState(hPort, &bad));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    bad = dcb;
    bad.fOutX = 1;
    bad.XoffChar = bad.XonChar;
    EXPECT_FALSE(SetCommState(hPort, &bad));
    bad = dcb;
    bad.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(SetCommState(hPort, &bad));

    dcb.BaudRate = CBR_115200;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    ASSERT_TRUE(SetCommState(hPort, &dcb));
    COMMTIMEOUTS timeouts = {1, 0, 0, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(hPort, &timeouts));
    ASSERT_TRUE(SetupComm(hPort, 2048, 1024));
    ASSERT_TRUE(EscapeCommFunction(hPort, SETDTR));
    EXPECT_FALSE(EscapeCommFunction(hPort, 77));
    CloseHandle(hPort);

    hPort = OpenPort("\\\\.\\COM3");
    ASSERT_NE(INVALID_HANDLE_VALUE, hPort);
    DCB kept = {};
    ASSERT_TRUE(GetCommState(hPort, &kept));
    EXPECT_EQ(static_cast<DWORD>(CBR_115200), kept.BaudRate);
    EXPECT_EQ(static_cast<DWORD>(RTS_CONTROL_HANDSHAKE), kept.fRtsControl);
    COMMTIMEOUTS keptTimeouts = {};
    ASSERT_TRUE(GetCommTimeouts(hPort, &keptTimeouts));
    EXPECT_EQ(1u, keptTimeouts.ReadIntervalTimeout);
    CloseHandle(hPort);

    // A file handle is no port.
    HANDLE hFile = CreateFileA("C:\\TEST\\x.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_FALSE(GetCommState(hFile, &kept));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    CloseHandle(hFile);
}

TEST_F(HardwareTest, WaveOutputComesUpAtItsTimeAndTakesOnlyConsistentPcm)
{
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    HWAVEOUT hWave = nullptr;
    EXPECT_EQ(0u, waveOutGetNumDevs());
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), waveOutOpen(&hWave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL));
    Sleep(2000);
    EXPECT_EQ(1u, waveOutGetNumDevs());
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_BADDEVICEID), waveOutOpen(&hWave, 1, &format, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_INVALPARAM), waveOutOpen(&hWave, WAVE_MAPPER, nullptr, 0, 0, 0));
    WAVEFORMATEX wrong = format;
    wrong.nAvgBytesPerSec = 44100;
    EXPECT_EQ(static_cast<MMRESULT>(WAVERR_BADFORMAT), waveOutOpen(&hWave, WAVE_MAPPER, &wrong, 0, 0, 0));
    wrong = format;
    wrong.wFormatTag = 3;
    EXPECT_EQ(static_cast<MMRESULT>(WAVERR_BADFORMAT), waveOutOpen(&hWave, WAVE_MAPPER, &wrong, 0, 0, 0));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR),
              waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY));
    ASSERT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), waveOutOpen(&hWave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), waveOutClose(hWave));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_INVALHANDLE), waveOutClose(hWave));
}

TEST_F(HardwareTest, RestartPromptAnswersWhatTheUserChose)
{
    std::string error;
    ASSERT_TRUE(winsim::SetMessageBoxAnswers({"System Settings Change=IDNO,IDYES"}, error)) << error;
    EXPECT_EQ(SPFILEQ_REBOOT_RECOMMENDED, SetupPromptReboot(nullptr, nullptr, FALSE));
    EXPECT_EQ(SPFILEQ_REBOOT_RECOMMENDED | SPFILEQ_REBOOT_IN_PROGRESS, SetupPromptReboot(nullptr, nullptr, FALSE));
    EXPECT_EQ(-1, SetupPromptReboot(nullptr, nullptr, TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
