// The run: start-up hook, mode dispatch, the interactive path and the exit hook.
#include <cstdio>

#include "app/CSetupApp.h"
#include "common/CTraceLog.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "common/ProcessStopper.h"
#include "common/ResourceIds.h"
#include "common/SetupVersion.h"
#include "common/SystemMessage.h"
#include "config/CINIFile.h"
#include "config/CloseAddRemovePrograms.h"
#include "devapi/KDeviceApi.h"
#include "install/CInstall.h"
#include "platform/StringUtil.h"
#include "wizard/CSetupDlg.h"

namespace
{

typedef int(WINAPI* PFN_RUN_SETUP_APP_EX)(const char*);
typedef BOOL(WINAPI* PFN_IS_USER_AN_ADMIN)();

const UINT IS_USER_AN_ADMIN_ORDINAL = 680;
const DWORD CLOSE_ARP_PAUSE_MS = 1000;
const int STRING_CHARS = 1000;

// Trim, upper case, one leading quote and a matching trailing one, trim again.
std::string PrepareCommandLine(const std::string& csCmdLine)
{
    std::string csText = ToUpper(Trim(csCmdLine));
    if (!csText.empty() && csText[0] == '"')
    {
        csText.erase(0, 1);
        if (!csText.empty() && csText.back() == '"')
            csText.pop_back();
    }
    return Trim(csText);
}

std::string LoadProgramString(HINSTANCE hInstance, UINT uID)
{
    char szText[STRING_CHARS] = {0};
    LoadStringA(hInstance, uID, szText, STRING_CHARS);
    return szText;
}

} // namespace

int CSetupApp::Startup()
{
    if (!RunPatchCode(m_csCommandLine.c_str()))
        RunSetupApp(m_csCommandLine.c_str());
    return m_SetupParms.nRetVal;
}

BOOL CSetupApp::RunPatchCode(const char* pszCommandLine)
{
    CTraceScope trace("CSetupApp::RunPatchCode");
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    CScopedLibrary patch(LoadLibraryA((csFolder + "DVXPTCH.DLL").c_str()));
    if (!patch)
        return trace.Return(FALSE);
    auto pfnRun = reinterpret_cast<PFN_RUN_SETUP_APP_EX>(
        reinterpret_cast<void (*)()>(GetProcAddress(patch.Get(), "RunSetupAppEx")));
    if (!pfnRun)
        return trace.Return(FALSE);
    // The whole run is the library's; it stays loaded until the process ends.
    patch.Release();
    m_SetupParms.nRetVal = pfnRun(pszCommandLine ? pszCommandLine : "");
    return trace.Return(TRUE);
}

int CSetupApp::RunSetupApp(const char* pszCommandLine)
{
    std::string csCmdLine = pszCommandLine ? pszCommandLine : "";
    bool bRebootedFromNoEnum = csCmdLine.find("REBOOTED_FROM_NO_ENUM_INSTALL") != std::string::npos;

    if (!bRebootedFromNoEnum && CheckForDeviceSpecificInstallPath(csCmdLine))
        return m_SetupParms.nRetVal = 0;
    if (csCmdLine.find("-PPATH") == std::string::npos && CheckForOSFolderInstall(csCmdLine))
        return m_SetupParms.nRetVal = 0;
    if (!bRebootedFromNoEnum)
    {
        CINIFile configINI;
        configINI.GetDVXSetupCfgParms(csCmdLine, &m_SetupParms);
        configINI.GetFileCfgParms(&m_SetupParms);
        if (CheckForSetup64InstallFromSetup32(csCmdLine))
            return m_SetupParms.nRetVal = 0;
    }

    CreateDeviceApi();
    std::string csWork = GetSetupModeInfo(PrepareCommandLine(csCmdLine));
    DWORD dwMode = m_SetupParms.dwMode;

    if (dwMode & SETUP_MODE_SELF_DELETE)
    {
        if (csWork.find("-L") != std::string::npos)
        {
            CreateTraceLog();
            GetTraceLog()->SetLogFile("NORVALIS_UNINSTALL_SDEL.LOG", FALSE);
        }
        TraceNotBuilt("CSelfDeleteWA::RunCopySide");
        m_SetupParms.nRetVal = 0;
    }
    else if (dwMode & SETUP_MODE_CLEAN_UP)
    {
        // The object's end does the clean-up: it removes the Run value that started this run and puts
        // back the in-box INFs the interrupted run had parked.
        CInstall install;
        install.CleanUpAfterCrash();
    }
    else if (dwMode & SETUP_MODE_DEVINI)
        RunSingleDeviceIni();
    else if (dwMode & SETUP_MODE_CLOSE_ARP)
    {
        Sleep(CLOSE_ARP_PAUSE_MS);
        CloseAddRemovePrograms();
        m_SetupParms.nRetVal = 0;
    }
    else if (dwMode & SETUP_MODE_SCERT)
    {
        TraceNotBuilt("CVistaCertWA::Run");
        m_SetupParms.nRetVal = 0;
    }
    else
        RunInteractive(csWork);
    return m_SetupParms.nRetVal;
}

void CSetupApp::RunSingleDeviceIni()
{
    if (m_SetupParms.csDevIniDeviceID.empty() || m_SetupParms.csDevIniFileName.empty())
        return;
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    DWORD dwINIFlags = 1;
    CINIFile deviceINI;
    DWORD dwCode = ERROR_INVALID_PARAMETER;
    if (deviceINI.InstallSingleINIFile(m_SetupParms.csDevIniDeviceID.c_str(),
                                       (csFolder + m_SetupParms.csDevIniFileName).c_str(), &dwINIFlags))
    {
        if (dwINIFlags & 0x2)
            m_SetupParms.dwSetupConfig |= (dwINIFlags & 0x2) << 20;
        dwCode = ERROR_SUCCESS;
    }
    ShowSystemMessage("-DEVINI = " + m_SetupParms.csDevIniFileName + "," + m_SetupParms.csDevIniDeviceID, dwCode);
}

BOOL CSetupApp::IsRefusedForRights()
{
    DWORD dwMode = m_SetupParms.dwMode;
    if (!(dwMode & (SETUP_MODE_INSTALL | SETUP_MODE_UNINSTALL)) || !IsNTPlatform())
        return FALSE;
    DWORD dwOSType = GetOSType();
    if (dwOSType == OS_WINXP64 || dwOSType == OS_WIN2003SERVER64 || dwOSType == OS_WINVISTA64)
        return FALSE;
    CScopedLibrary shell(LoadLibraryA("SHELL32.DLL"));
    if (!shell)
        return FALSE;
    auto pfnIsAdmin = reinterpret_cast<PFN_IS_USER_AN_ADMIN>(reinterpret_cast<void (*)()>(
        GetProcAddress(shell.Get(), reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(IS_USER_AN_ADMIN_ORDINAL)))));
    BOOL bAdmin = pfnIsAdmin ? pfnIsAdmin() : TRUE;
    shell.Reset();
    if (bAdmin)
        return FALSE;
    UINT uText = (dwMode & SETUP_MODE_INSTALL) ? IDS_ADMIN_INSTALL : IDS_ADMIN_UNINSTALL;
    std::string csText = LoadProgramString(m_SetupParms.hInstance, uText);
    std::string csCaption = LoadProgramString(m_SetupParms.hInstance, IDS_WARNING);
    MessageBoxA(nullptr, csText.c_str(), csCaption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return TRUE;
}

void CSetupApp::RunInteractive(const std::string& csCmdLine)
{
    GetSetupConfigInfo(csCmdLine);
    if (IsTraceLogEnabled())
    {
        GetTraceLog()->Indent();
        TraceLine("ENTRY: CSetupApp::RunSetupApp : %s\n", SETUP_BUILD_BANNER);
        TraceLine("Version = V%s\n", SETUP_VERSION);
        TraceLine("OS Platform = %s\n", GetOSTypeName(GetOSType()));
        TraceLine("%s", m_csCmdLineInfo.c_str());
        TraceLine("dwSetupConfig = %X : dwMode = %X\n", static_cast<unsigned>(m_SetupParms.dwSetupConfig),
                  static_cast<unsigned>(m_SetupParms.dwMode));
        for (const std::string& csStep : m_cslStepsNotBuilt)
            TraceNotBuilt(csStep.c_str());
    }
    m_SetupParms.hInstance = GetModuleHandleA(nullptr);

    DWORD dwMode = m_SetupParms.dwMode;
    BOOL bRefused = IsRefusedForRights();
    // A plain uninstall must name what to uninstall.
    if (!bRefused && (dwMode & SETUP_MODE_UNINSTALL) && !(dwMode & SETUP_MODE_UNINSTALL_ALL) &&
        EqualsNoCase(m_SetupParms.csUninstallClass, "ALL") && EqualsNoCase(m_SetupParms.csUninstallDevice, "ALL") &&
        EqualsNoCase(m_SetupParms.csUninstallINF, "ALL"))
        bRefused = TRUE;

    if (dwMode == 0 || bRefused)
        m_SetupParms.nRetVal = 1;
    else
    {
        if (dwMode & (SETUP_MODE_INSTALL | SETUP_MODE_UNINSTALL))
            StopAnyRequestedProcess();
        if (dwMode & SETUP_MODE_INSTALL)
            ParseSetupISSFile(&m_SetupParms.dwSetupConfig);
        CSetupDlg wizard(&m_SetupParms);
        if ((dwMode & SETUP_MODE_NO_SPLASH) || !(dwMode & SETUP_MODE_INSTALL) ||
            (m_SetupParms.dwSetupConfig & SETUP_CFG_SILENT) || !wizard.HasSplashImage())
            wizard.RunSetupDlg();
        else
        {
            TraceLine("Display Splash Screen\n");
            wizard.DoModal(nullptr);
        }
    }
    if ((m_SetupParms.dwMode & SETUP_MODE_INSTALL) && (m_SetupParms.dwSetupConfig & SETUP_CFG_IS_LOG))
        CreateISLogFile();

    if (IsTraceLogEnabled())
    {
        TraceLine("EXIT:  CSetupApp::RunSetupApp : m_SetupParms.nRetVal = %d\n", m_SetupParms.nRetVal);
        GetTraceLog()->Unindent();
    }
}

void CSetupApp::StopAnyRequestedProcess()
{
    CTraceScope trace("CSetupApp::StopAnyRequestedProcess");
    if (m_csStopProcessList.empty())
        return;
    size_t nStart = 0;
    for (;;)
    {
        size_t nComma = m_csStopProcessList.find(',', nStart);
        KillThisGuy(Trim(m_csStopProcessList.substr(nStart, nComma == std::string::npos ? nComma : nComma - nStart)));
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
}

int CSetupApp::Shutdown()
{
    if ((m_SetupParms.dwMode & SETUP_MODE_UNINSTALL) && (m_SetupParms.dwSetupConfig & SETUP_CFG_SELF_DELETE_CASE))
    {
        DeleteDeviceApi();
        TraceNotBuilt("CSelfDeleteWA::Start");
        DeleteTraceLog();
    }
    else
    {
        DeleteTraceLog();
        if (m_SetupParms.dwSetupConfig & SETUP_CFG_REBOOT_REQUIRED)
        {
            if (KDeviceApi* pApi = GetDeviceApi())
                pApi->KSetupPromptReboot(nullptr, nullptr, FALSE);
        }
        DeleteDeviceApi();
        if (m_SetupParms.dwSetupConfig & SETUP_CFG_CLOSE_ARP_AT_EXIT)
        {
            // A copy of the program closes the window after this process has gone.
            std::string csTemp;
            std::string csSelf = GetExePath();
            if (GetWindowsTempFolder(csTemp, TRUE) && !csSelf.empty())
            {
                std::string csCopy = csTemp + "UARCLOSE.EXE";
                if (CopyFileA(csSelf.c_str(), csCopy.c_str(), FALSE))
                    SpawnApp(csCopy.c_str(), " -ARPWCLOSE2", FALSE, FALSE);
            }
        }
    }
    int nRetVal = m_SetupParms.nRetVal;
    return nRetVal == 0 || nRetVal == 1 ? nRetVal : 0;
}

// The hand-overs run before the trace log exists: what they could not do is written once it does.
BOOL CSetupApp::CheckForDeviceSpecificInstallPath(const std::string&)
{
    m_cslStepsNotBuilt.push_back("CSetupApp::CheckForDeviceSpecificInstallPath");
    return FALSE;
}

BOOL CSetupApp::CheckForOSFolderInstall(const std::string&)
{
    m_cslStepsNotBuilt.push_back("CSetupApp::CheckForOSFolderInstall");
    return FALSE;
}

BOOL CSetupApp::CheckForSetup64InstallFromSetup32(const std::string&)
{
    m_cslStepsNotBuilt.push_back("CSetupApp::CheckForSetup64InstallFromSetup32");
    return FALSE;
}
