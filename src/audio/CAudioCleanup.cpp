// Clean-up of older audio drivers' files during an uninstall.
#include "audio/CAudioCleanup.h"

#include <vector>

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "common/WindowTools.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

void CAudioCleanup::GetWindowTitle(char* pszTitleString)
{
    CTraceScope trace("CSetupApp::GetWindowTitle");
    std::string csTitle = LoadModuleString("mmsys.cpl", 5771, "Sounds and Audio Devices");
    FormatBounded(pszTitleString, MAX_PATH, "%s", csTitle.c_str());
    TraceLine("CSetupApp::GetWindowTitle : pszTitleString = %s\n", pszTitleString);
}

void CAudioCleanup::CloseMMSYSWindow()
{
    CTraceScope trace("CSetupApp::CloseMMSYSWindow");
    char szTitle[MAX_PATH] = {0};
    GetWindowTitle(szTitle);

    KDeviceApi* pApi = GetDeviceApi();
    for (HWND hWnd : FindTopLevelWindows(szTitle, TRUE))
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (!pApi || dwPid == GetCurrentProcessId())
            continue;
        CScopedKernelHandle snapshot(pApi->KCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwPid));
        if (!snapshot)
            break;
        BOOL bStopped = FALSE;
        MODULEENTRY32 module = {};
        module.dwSize = sizeof(module);
        if (pApi->KModule32First(snapshot.Get(), &module))
        {
            CScopedKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, dwPid));
            if (process)
                bStopped = TerminateProcess(process.Get(), 0);
        }
        snapshot.Reset();
        HWND hFocus = GetFocus();
        if (!WaitForWindowToGo(hWnd, hFocus, WINDOW_GONE_MAX_MS))
            TraceLine("ERROR : the window \"%s\" is still there\n", szTitle);
        if (bStopped)
            break;
    }
}

void CAudioCleanup::AudioDeviceCleanup(const CStringList& deviceClasses)
{
    CTraceScope trace("CSetupApp::AudioDeviceCleanup");
    DWORD dwOSType = GetOSType();
    if (dwOSType == OS_WINVISTA || dwOSType == OS_WINVISTA64)
        return;
    char szWindows[MAX_PATH] = {0};
    UINT uLen = GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (uLen == 0 || uLen >= MAX_PATH)
        return;
    static const char* const OLD_AUDIO_FILES[] = {"wstream.dll", "wstrm32.dll", "genmidi.wsl", "gmram.ewa",
                                                  "msg32.exe"};
    for (const std::string& csClass : deviceClasses)
    {
        if (!EqualsNoCase(csClass, "MEDIA"))
            continue;
        for (const char* pszFile : OLD_AUDIO_FILES)
        {
            char szPath[MAX_PATH];
            FormatBounded(szPath, sizeof(szPath), "%s\\SYSTEM\\%s", szWindows, pszFile);
            CFileUtility::DeleteOnReboot(szPath);
        }
        ShellExecuteA(nullptr, "open", "systray.exe", nullptr, nullptr, SW_SHOW);
        Sleep(1000);
        ShellExecuteA(nullptr, "open", "control.exe", "mmsys.cpl", nullptr, SW_SHOW);
        Sleep(1500);
        CloseMMSYSWindow();
    }
}
