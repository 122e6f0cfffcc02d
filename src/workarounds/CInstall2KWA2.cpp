#include "CInstall2KWA2.h"

#include <algorithm>
#include <string>

#include "CInstallWA2.h"
#include "common/CTraceScope.h"

namespace
{

typedef BOOL(WINAPI* PFN_ENUMPROCESSES)(DWORD*, DWORD, DWORD*);
typedef BOOL(WINAPI* PFN_ENUMPROCESSMODULES)(HANDLE, HMODULE*, DWORD, DWORD*);
typedef DWORD(WINAPI* PFN_GETMODULEBASENAMEA)(HANDLE, HMODULE, LPSTR, DWORD);
typedef DWORD(WINAPI* PFN_GETMODULEFILENAMEEXA)(HANDLE, HMODULE, LPSTR, DWORD);

const DWORD MAX_PROCESSES = 1024;
const DWORD MAX_MODULES = 1024;

template <typename T>
T Bind(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, pszName)));
}

std::string Upper(const char* pszText)
{
    std::string csText = pszText;
    for (char& c : csText)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return csText;
}

} // namespace

void CInstall2KWA2::DoBubbleTipWA()
{
    CTraceScope trace("CInstall2KWA2::DoBubbleTipWA");
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return;
    {
        CInstallWA2 closer;
        closer.ClosePNPWindow();
    }
    WaitForPreviousPNPManagerEventToFinish();
}

int CInstall2KWA2::IsNewDeviceInstallerRunning(HMODULE hPsapi)
{
    PFN_ENUMPROCESSES pEnumProcesses = Bind<PFN_ENUMPROCESSES>(hPsapi, "EnumProcesses");
    PFN_ENUMPROCESSMODULES pEnumProcessModules = Bind<PFN_ENUMPROCESSMODULES>(hPsapi, "EnumProcessModules");
    PFN_GETMODULEBASENAMEA pGetModuleBaseName = Bind<PFN_GETMODULEBASENAMEA>(hPsapi, "GetModuleBaseNameA");
    PFN_GETMODULEFILENAMEEXA pGetModuleFileNameEx = Bind<PFN_GETMODULEFILENAMEEXA>(hPsapi, "GetModuleFileNameExA");
    if (!pEnumProcesses || !pEnumProcessModules || !pGetModuleBaseName || !pGetModuleFileNameEx)
        return -1;
    DWORD adwProcesses[MAX_PROCESSES] = {0};
    DWORD cbNeeded = 0;
    if (!pEnumProcesses(adwProcesses, sizeof(adwProcesses), &cbNeeded))
        return -1;
    const DWORD dwCount = std::min<DWORD>(cbNeeded / sizeof(DWORD), MAX_PROCESSES);
    for (DWORD i = 0; i < dwCount; ++i)
    {
        HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, adwProcesses[i]);
        if (!hProcess)
            continue;
        HMODULE ahModules[MAX_MODULES] = {};
        DWORD cbModules = 0;
        BOOL bFound = FALSE;
        if (pEnumProcessModules(hProcess, ahModules, sizeof(ahModules), &cbModules) && cbModules >= sizeof(HMODULE))
        {
            char szName[MAX_PATH] = {0};
            if (pGetModuleBaseName(hProcess, ahModules[0], szName, MAX_PATH) && std::string(szName) == "rundll32.exe")
            {
                const DWORD dwModules = std::min<DWORD>(cbModules / sizeof(HMODULE), MAX_MODULES);
                for (DWORD m = 0; m < dwModules && !bFound; ++m)
                {
                    char szPath[MAX_PATH] = {0};
                    if (pGetModuleFileNameEx(hProcess, ahModules[m], szPath, MAX_PATH) &&
                        Upper(szPath).find("NEWDEV.DLL") != std::string::npos)
                        bFound = TRUE;
                }
            }
        }
        CloseHandle(hProcess);
        if (bFound)
        {
            TraceLine("Waiting for PNP Manager Event to complete...\n");
            return 1;
        }
    }
    return 0;
}

void CInstall2KWA2::WaitForPreviousPNPManagerEventToFinish()
{
    CTraceScope trace("CInstall2KWA2::WaitForPreviousPNPManagerEventToFinish");
    HMODULE hPsapi = LoadLibraryA("Psapi.dll");
    if (!hPsapi)
        return;
    DWORD dwWaited = 0;
    for (;;)
    {
        const int nRunning = IsNewDeviceInstallerRunning(hPsapi);
        if (nRunning < 0)
            break;
        Sleep(POLL_MS);
        if (!nRunning)
            break;
        dwWaited += POLL_MS;
        if (dwWaited >= WAIT_LIMIT_MS)
        {
            TraceLine("FAILED : PNP Manager Event still running after %u ms\n", static_cast<unsigned>(dwWaited));
            break;
        }
    }
    FreeLibrary(hPsapi);
}
