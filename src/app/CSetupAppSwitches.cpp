// Every switch the program knows, in the one table that both passes of the command line read: which pass
// and group reads it, its value rule, the bits it sets, and the handler for its value. The order of the
// rows is the order in which they are looked for, which decides what a run does when several are given.
#include <cstdlib>

#include "app/CSetupApp.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"

namespace
{

// The longest number of seconds "T" and "D" accept (0xFFFFFFF).
const int MAX_SECONDS = 268435455;

} // namespace

const char* const CSetupApp::LOG_INSTALL = "NORVALIS_INSTALL.LOG";
const char* const CSetupApp::LOG_INSTALL64 = "NORVALIS_INSTALL64.LOG";
const char* const CSetupApp::LOG_UNINSTALL = "NORVALIS_UNINSTALL.LOG";
const char* const CSetupApp::LOG_SELF_DELETE = "NORVALIS_UNINSTALL_SDEL.LOG";
const char* const CSetupApp::LOG_CLEAN_UP = "NORVALIS_CLEAN_UP.LOG";
const char* const CSetupApp::LOG_DEV_INI = "NORVALIS_DEVINI.LOG";
const char* const CSetupApp::LOG_CLOSE_ARP = "NORVALIS_CLOSEAR.LOG";
const char* const CSetupApp::LOG_NO_ENUM_INSTALL = "NORVALIS_NO_ENUM_INSTALL.LOG";

const CSetupApp::SWITCH_ROW CSetupApp::SWITCH_TABLE[] = {
    // Pass 1: the first mode present decides the run.
    {"U", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_UNINSTALL, 0, 0, LOG_UNINSTALL},
    {"AI", SwitchGroup::Mode, SWITCH_NO_VALUE,
     SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF, 0, 0, LOG_UNINSTALL},
    {"A", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, 0, 0, LOG_UNINSTALL},
    {"LBI", SwitchGroup::Mode, SWITCH_NO_VALUE,
     SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF, 0, 0, LOG_UNINSTALL},
    {"LB", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, 0, 0, LOG_UNINSTALL},
    {"SAVE", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_INSTALL | SETUP_MODE_SAVE, 0, 0, LOG_INSTALL},
    {"RESTORE", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_INSTALL | SETUP_MODE_RESTORE, 0, 0, LOG_INSTALL},
    {"CLEAN_UP_AFTER_CRASH", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_CLEAN_UP, 0, 0, LOG_CLEAN_UP},
    {"DEVINI", SwitchGroup::Mode, SWITCH_VALUE_REQUIRED, 0, 0, 0, nullptr, false, &CSetupApp::OnDevIni},
    {"ARPWCLOSE2", SwitchGroup::Mode, SWITCH_NO_VALUE, SETUP_MODE_CLOSE_ARP, 0, 0, LOG_CLOSE_ARP},
    {"SCERT", SwitchGroup::Mode, SWITCH_VALUE_OPTIONAL, SETUP_MODE_SCERT, 0, 0, nullptr, false, &CSetupApp::OnCertFile},

    // Pass 2, uninstall: what to uninstall.
    {"C", SwitchGroup::UninstallSelector, SWITCH_VALUE_OR_ALL, 0, 0, 0, nullptr, false, &CSetupApp::OnUninstallClass},
    {"B", SwitchGroup::UninstallSelector, SWITCH_VALUE_OR_ALL, 0, 0, 0, nullptr, false, &CSetupApp::OnUninstallDevice},
    {"I", SwitchGroup::UninstallSelector, SWITCH_VALUE_OR_ALL, 0, 0, 0, nullptr, false, &CSetupApp::OnUninstallINF},

    // Pass 2, install options. Those the configuration INI adds to every run are dropped outside an install.
    {"DCERT", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_NO_CERT},
    {"T", SwitchGroup::Install, MAX_SECONDS, 0, 0, 0, nullptr, false, &CSetupApp::OnWaitTimeout},
    {"D", SwitchGroup::Install, MAX_SECONDS, 0, 0, 0, nullptr, false, &CSetupApp::OnEnumDeviceCount},
    {"GS", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_SUCCESS_RESULT_ONLY, 0, nullptr, false, nullptr, true},
    {"GDSO", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_SUCCESS_RESULT_ONLY, 0, nullptr, false, nullptr, true},
    {"NE", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_NO_HARDWARE},
    {"NOHW", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_NO_HARDWARE},
    {"PRE", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_PRE},
    {"IPATH", SwitchGroup::Install, SWITCH_VALUE_REQUIRED, 0, 0, 0, nullptr, false, &CSetupApp::OnForcedInstallPath},
    {"F2", SwitchGroup::Install, SWITCH_VALUE_OPTIONAL, 0, SETUP_CFG_IS_LOG, 0, nullptr, false,
     &CSetupApp::OnResultFile},
    {"GDSU", SwitchGroup::Install, SWITCH_NO_VALUE, SETUP_MODE_NO_STATUS_UPGRADE, 0, 0, nullptr, false, nullptr, true},
    {"PPATH", SwitchGroup::Install, SWITCH_VALUE_REQUIRED, 0, 0, 0, nullptr, false, &CSetupApp::OnPackagePath},
    {"FCTI", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_FCTI},
    {"REBOOTED_FROM_NO_ENUM_INSTALL", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_REBOOTED_FROM_NO_ENUM, 0,
     LOG_NO_ENUM_INSTALL},
    {"UBI", SwitchGroup::Install, SWITCH_NO_VALUE, 0, SETUP_CFG_UBI},

    // Pass 2, the user interface of any mode but the self-removal copy's.
    {"K", SwitchGroup::UserInterface, SWITCH_VALUE_REQUIRED, 0, 0, 0, nullptr, false, &CSetupApp::OnStopProcessList},
    {"S1", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_NO_SPLASH},
    {"S2", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_NO_INITIAL_PROGBAR},
    {"S3", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_NO_INITIAL_DLG},
    {"S4", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_NO_INSTALL_PROGBAR},
    {"S5", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_NO_FINAL_DLG},
    {"S6", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_SILENT_AFTER_REBOOT},
    {"S", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_SILENT},
    {"G", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, 0, SETUP_CFG_SILENT},
    {"PB0", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_STANDARD_PROGBAR},
    {"PB1", SwitchGroup::UserInterface, SWITCH_NO_VALUE, SETUP_MODE_BUSY_PROGBAR},
    {"PREVIEW", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_PREVIEW},
    {"NR", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_NO_REBOOT},
    {"FR", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_FORCE_REBOOT},
    {"R", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_FORCE_REBOOT, 0, nullptr, true},
    {"USS", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_USS},
    {"UDF", SwitchGroup::UserInterface, SWITCH_NO_VALUE, 0, SETUP_CFG_UDF},

    // Pass 2, every mode.
    {"L", SwitchGroup::Log, SWITCH_VALUE_OR_ALL, 0, SETUP_CFG_LOG, 0, nullptr, false, &CSetupApp::OnLogFile},
};

const size_t CSetupApp::SWITCH_COUNT = sizeof(SWITCH_TABLE) / sizeof(SWITCH_TABLE[0]);

BOOL CSetupApp::ApplySwitch(std::string& csCmdLine, const SWITCH_ROW& row)
{
    std::string csValue;
    if (!FindSwitch(csCmdLine, row.pszName, row.nRule, csValue))
        return FALSE;
    m_SetupParms.dwMode |= row.dwModeBits;
    m_SetupParms.dwSetupConfig |= row.dwConfigSet;
    m_SetupParms.dwSetupConfig &= ~row.dwConfigClear;
    if (row.pszLogFile)
        m_SetupParms.csLogFileName = row.pszLogFile;
    if (row.pfnValue)
        (this->*row.pfnValue)(csValue);
    return TRUE;
}

BOOL CSetupApp::ApplySwitchGroup(std::string& csCmdLine, SwitchGroup group, BOOL bFirstOnly)
{
    BOOL bAnyFound = FALSE;
    BOOL bPreviousFound = FALSE;
    for (const SWITCH_ROW& row : SWITCH_TABLE)
    {
        if (row.group != group)
            continue;
        if (row.bOnlyIfPreviousMissing && bPreviousFound)
            continue;
        bPreviousFound = ApplySwitch(csCmdLine, row);
        bAnyFound = bAnyFound || bPreviousFound;
        if (bAnyFound && bFirstOnly)
            break;
    }
    return bAnyFound;
}

void CSetupApp::DropInstallOnlyIniSwitches(std::string& csCmdLine)
{
    // The configuration INI adds these for every run; outside an install they mean nothing and must not
    // be left over, or every uninstall of such a package would end with nothing done.
    for (const SWITCH_ROW& row : SWITCH_TABLE)
    {
        std::string csIgnored;
        if (row.bAddedByIniToEveryRun)
            FindSwitch(csCmdLine, row.pszName, row.nRule, csIgnored);
    }
}

void CSetupApp::OnDevIni(const std::string& csValue)
{
    // "file,device"; without a comma nothing is set, and still no other mode is tried.
    size_t nComma = csValue.find(',');
    if (nComma == std::string::npos)
        return;
    m_SetupParms.csDevIniFileName = Trim(csValue.substr(0, nComma));
    m_SetupParms.csDevIniDeviceID = Trim(csValue.substr(nComma + 1));
    m_SetupParms.dwMode |= SETUP_MODE_DEVINI;
    m_SetupParms.csLogFileName = LOG_DEV_INI;
}

void CSetupApp::OnCertFile(const std::string& csValue)
{
    if (!csValue.empty())
        m_SetupParms.csCertFileName = csValue;
}

void CSetupApp::OnUninstallClass(const std::string& csValue)
{
    m_SetupParms.csUninstallClass = csValue;
}

void CSetupApp::OnUninstallDevice(const std::string& csValue)
{
    m_SetupParms.csUninstallDevice = csValue;
}

void CSetupApp::OnUninstallINF(const std::string& csValue)
{
    m_SetupParms.csUninstallINF = csValue;
    if (csValue.find(".INF") != std::string::npos)
        m_SetupParms.dwSetupConfig |= SETUP_CFG_UNINSTALL_BY_INF_FILE;
}

void CSetupApp::OnWaitTimeout(const std::string& csValue)
{
    // Seconds up to 0xFFFFFFF pass the check, but not all fit 32 bits as milliseconds: the longest finite
    // wait stands for the rest.
    unsigned long long ullMs = std::strtoull(csValue.c_str(), nullptr, 10) * 1000ULL;
    m_SetupParms.dwWaitTimeout = ullMs < INFINITE ? static_cast<DWORD>(ullMs) : INFINITE - 1;
}

void CSetupApp::OnEnumDeviceCount(const std::string& csValue)
{
    m_SetupParms.dwUserDefineEnumDeviceToInstall = static_cast<DWORD>(std::strtoul(csValue.c_str(), nullptr, 10));
}

void CSetupApp::OnForcedInstallPath(const std::string& csValue)
{
    m_SetupParms.csForcedInstallPath = csValue;
}

void CSetupApp::OnResultFile(const std::string& csValue)
{
    if (!csValue.empty())
        m_SetupParms.csISLogFile = csValue;
}

void CSetupApp::OnPackagePath(const std::string& csValue)
{
    std::string csPath;
    for (char c : csValue)
    {
        if (c != '"')
            csPath += c;
    }
    m_SetupParms.csPackagePath = csPath;
}

void CSetupApp::OnStopProcessList(const std::string& csValue)
{
    m_csStopProcessList = csValue;
}

void CSetupApp::OnLogFile(const std::string& csValue)
{
    CreateTraceLog();
    if (EqualsNoCase(csValue, "ALL"))
        GetTraceLog()->SetLogFile(m_SetupParms.csLogFileName.c_str(), FALSE);
    else
        GetTraceLog()->SetLogFile(csValue.c_str(), TRUE);
}
