#include "ProcessStopper.h"

#include "common/CTraceScope.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

namespace
{

typedef BOOL(WINAPI* PFN_ENUM_PROCESSES)(DWORD*, DWORD, DWORD*);
typedef BOOL(WINAPI* PFN_ENUM_PROCESS_MODULES)(HANDLE, HMODULE*, DWORD, LPDWORD);
typedef DWORD(WINAPI* PFN_GET_MODULE_BASE_NAME)(HANDLE, HMODULE, LPSTR, DWORD);

// A stopped process ends with this code, whatever it would have reported itself.
const UINT STOPPED_EXIT_CODE = 0;
const DWORD MAX_PROCESSES = 1024;

template <typename T>
T Bind(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, pszName)));
}

std::string ModuleNameOf(HANDLE hProcess, PFN_ENUM_PROCESS_MODULES pfnEnumModules,
                         PFN_GET_MODULE_BASE_NAME pfnGetBaseName)
{
    HMODULE hFirst = nullptr;
    DWORD cbNeeded = 0;
    char szName[MAX_PATH] = "unknown";
    if (pfnEnumModules(hProcess, &hFirst, sizeof(hFirst), &cbNeeded))
    {
        if (!pfnGetBaseName(hProcess, hFirst, szName, MAX_PATH))
            FormatBounded(szName, sizeof(szName), "%s", "unknown");
    }
    return ToUpper(szName);
}

} // namespace

BOOL KillThisGuy(const std::string& csAppToTerminate)
{
    CTraceScope trace("KillThisGuy", "csAppToTerminate = %s", csAppToTerminate.c_str());
    CScopedLibrary psapi(LoadLibraryA("PSAPI.dll"));
    if (!psapi)
    {
        TraceLine("Failed to load PSAPI.dll file\n");
        return trace.Return(KillThisGuyAlt(csAppToTerminate));
    }
    auto pfnEnumProcesses = Bind<PFN_ENUM_PROCESSES>(psapi.Get(), "EnumProcesses");
    auto pfnEnumModules = Bind<PFN_ENUM_PROCESS_MODULES>(psapi.Get(), "EnumProcessModules");
    auto pfnGetBaseName = Bind<PFN_GET_MODULE_BASE_NAME>(psapi.Get(), "GetModuleBaseNameA");
    if (!pfnEnumProcesses)
        TraceLine("Failed to load export EnumProcesses\n");
    if (!pfnEnumModules)
        TraceLine("Failed to load export EnumProcessModules\n");
    if (!pfnGetBaseName)
        TraceLine("Failed to load export GetModuleBaseNameA\n");

    BOOL bStopped = FALSE;
    DWORD adwPids[MAX_PROCESSES];
    DWORD cbPids = 0;
    std::string csWanted = ToUpper(csAppToTerminate);
    if (pfnEnumProcesses && pfnEnumModules && pfnGetBaseName && pfnEnumProcesses(adwPids, sizeof(adwPids), &cbPids))
    {
        DWORD dwSelf = GetCurrentProcessId();
        for (DWORD i = 0; i < cbPids / sizeof(DWORD); ++i)
        {
            // Either name may contain the other, as packages name their programs loosely; but the setup
            // that is running never stops itself.
            if (adwPids[i] == dwSelf)
                continue;
            CScopedKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, adwPids[i]));
            if (!process)
                continue;
            std::string csName = ModuleNameOf(process.Get(), pfnEnumModules, pfnGetBaseName);
            if (!csName.empty() && !csWanted.empty() &&
                (csName.find(csWanted) != std::string::npos || csWanted.find(csName) != std::string::npos))
            {
                TraceLine("Found App Running..attempting to stop it\n");
                if (TerminateProcess(process.Get(), STOPPED_EXIT_CODE))
                    bStopped = TRUE;
                else
                    TraceLine("FAILED : Failed to stop app\n");
            }
        }
    }
    return trace.Return(bStopped);
}

BOOL KillThisGuyAlt(const std::string& csAppName)
{
    CTraceScope trace("KillThisGuyAlt", "csAppName = %s", csAppName.c_str());
    KDeviceApi* pApi = GetDeviceApi();
    if (!pApi || csAppName.empty())
        return trace.Return(FALSE);
    CScopedKernelHandle snapshot(pApi->KCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return trace.Return(FALSE);
    std::string csWanted = ToUpper(csAppName);
    DWORD dwSelf = GetCurrentProcessId();
    BOOL bStopped = FALSE;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = pApi->KProcess32First(snapshot.Get(), &entry); bMore;
         bMore = pApi->KProcess32Next(snapshot.Get(), &entry))
    {
        if (entry.th32ProcessID == dwSelf || ToUpper(entry.szExeFile).find(csWanted) == std::string::npos)
            continue;
        CScopedKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (!process)
            continue;
        // The first match that can be opened ends the walk.
        bStopped = TerminateProcess(process.Get(), STOPPED_EXIT_CODE);
        break;
    }
    return trace.Return(bStopped);
}
