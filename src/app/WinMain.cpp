// Process entry of Setup.exe. The run flow grows here issue by issue; for now the program starts, opens
// its trace log when asked ("-L"), records what machine it runs on, and ends.
#include <string>

#include "app/CTraceLog.h"
#include "app/CTraceScope.h"
#include "platform/StringUtil.h"
#include "platform/win32.h"

namespace
{

const char* kInstallLogName = "NORVALIS_INSTALL.LOG";

// True when the command line holds the switch as a word of its own ("-L" or "/L", any case).
bool HasSwitch(const std::string& csCmdLine, const char* pszSwitch)
{
    std::string csUpper = ToUpper(csCmdLine);
    std::string csWanted = ToUpper(pszSwitch);
    for (size_t nPos = 0; nPos < csUpper.size(); ++nPos)
    {
        bool bStart = (csUpper[nPos] == '-' || csUpper[nPos] == '/') && (nPos == 0 || csUpper[nPos - 1] == ' ');
        if (!bStart || csUpper.compare(nPos + 1, csWanted.size(), csWanted) != 0)
            continue;
        size_t nEnd = nPos + 1 + csWanted.size();
        if (nEnd == csUpper.size() || csUpper[nEnd] == ' ')
            return true;
    }
    return false;
}

void TraceMachine()
{
    OSVERSIONINFOA osvi = {};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (GetVersionExA(&osvi))
    {
        TraceLine("OS version %lu.%lu build %lu platform %lu \"%s\"\n", static_cast<unsigned long>(osvi.dwMajorVersion),
                  static_cast<unsigned long>(osvi.dwMinorVersion), static_cast<unsigned long>(osvi.dwBuildNumber),
                  static_cast<unsigned long>(osvi.dwPlatformId), osvi.szCSDVersion);
    }
    char szPath[MAX_PATH] = {0};
    if (GetModuleFileNameA(nullptr, szPath, MAX_PATH))
        TraceLine("Module = %s\n", szPath);
    if (GetWindowsDirectoryA(szPath, MAX_PATH))
        TraceLine("Windows folder = %s\n", szPath);
    if (GetTempPathA(MAX_PATH, szPath))
        TraceLine("Temporary folder = %s\n", szPath);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    std::string csCmdLine = lpCmdLine ? lpCmdLine : "";
    if (HasSwitch(csCmdLine, "L"))
    {
        CreateTraceLog();
        GetTraceLog()->SetLogFile(kInstallLogName, FALSE);
    }
    int nExitCode = 0;
    {
        CTraceScope trace("CSetupApp :: WinMain", "lpCmdLine = %s", csCmdLine.c_str());
        TraceMachine();
        trace.Return(TRUE);
    }
    DeleteTraceLog();
    return nExitCode;
}
