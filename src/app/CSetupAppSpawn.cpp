// Starting another program.
#include "app/CSetupApp.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "platform/CScopedHandle.h"
#include "platform/StringUtil.h"

BOOL CSetupApp::SpawnApp(const char* pszExeName, const char* pszCmdArg, BOOL bWait, BOOL bNoQuotes)
{
    CTraceScope trace("CSetupApp::SpawnApp");
    std::string csExe = pszExeName ? pszExeName : "";
    std::string csArgs = pszCmdArg ? pszCmdArg : "";
    TraceLine("pszExeName = %s, pszCmdArg = %s\n", csExe.c_str(), csArgs.c_str());

    DWORD dwOSType = GetOSType();
    if (dwOSType == OS_WINVISTA || dwOSType == OS_WINVISTA64)
    {
        std::string csFile = bNoQuotes ? csExe : "\"" + csExe + "\"";
        SHELLEXECUTEINFOA sei = {};
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = "runas";
        sei.lpFile = csFile.c_str();
        sei.lpParameters = csArgs.c_str();
        sei.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&sei))
        {
            CScopedKernelHandle process(sei.hProcess);
            if (process && bWait)
                WaitForSingleObject(process.Get(), INFINITE);
            return trace.Return(TRUE);
        }
        TraceLine("Failed ShellExecuteEx : GetLastError() = %d\n", static_cast<int>(GetLastError()));
    }

    TraceLine("Trying to Spawn with CreateProcess\n");
    std::string csCmdLine = bNoQuotes ? csExe : "\"" + csExe + "\"";
    csCmdLine += csArgs;
    TraceLine("szCmdLine = %s\n", csCmdLine.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string csMutable = csCmdLine;
    if (!CreateProcessA(nullptr, csMutable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return trace.Return(FALSE);
    CScopedKernelHandle thread(pi.hThread);
    CScopedKernelHandle process(pi.hProcess);
    if (bWait)
        WaitForSingleObject(process.Get(), INFINITE);
    return trace.Return(TRUE);
}
