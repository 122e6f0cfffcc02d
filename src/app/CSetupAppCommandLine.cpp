// The command line: the switch parser and its two passes.
#include <cstdlib>

#include "app/CSetupApp.h"
#include "common/CTraceLog.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"

namespace
{

const char* LOG_INSTALL = "NORVALIS_INSTALL.LOG";
const char* LOG_INSTALL64 = "NORVALIS_INSTALL64.LOG";
const char* LOG_UNINSTALL = "NORVALIS_UNINSTALL.LOG";
const char* LOG_SELF_DELETE = "NORVALIS_UNINSTALL_SDEL.LOG";
const char* LOG_CLEAN_UP = "NORVALIS_CLEAN_UP.LOG";
const char* LOG_DEV_INI = "NORVALIS_DEVINI.LOG";
const char* LOG_CLOSE_ARP = "NORVALIS_CLOSEAR.LOG";
const char* LOG_NO_ENUM_INSTALL = "NORVALIS_NO_ENUM_INSTALL.LOG";

// Where a switch's value ends: at the closing quote of a quoted stretch (which belongs to the value), at
// a "-" or "/" outside quotes (which does not), or at the end of the text.
size_t ValueEnd(const std::string& csText, size_t nStart)
{
    bool bQuoted = false;
    for (size_t i = nStart; i < csText.size(); ++i)
    {
        char c = csText[i];
        if (bQuoted)
        {
            if (c == '"')
                return i + 1;
        }
        else if (c == '"')
            bQuoted = true;
        else if (c == '-' || c == '/')
            return i;
    }
    return csText.size();
}

// Trimmed, without one leading "=", without a surrounding pair of quotes.
std::string CleanValue(const std::string& csRaw)
{
    std::string csValue = Trim(csRaw);
    if (!csValue.empty() && csValue[0] == '=')
        csValue.erase(0, 1);
    if (!csValue.empty() && csValue[0] == '"')
    {
        csValue.erase(0, 1);
        if (!csValue.empty() && csValue.back() == '"')
            csValue.pop_back();
    }
    return csValue;
}

// Whether a value obeys a numeric limit: read as a decimal number (as atoi reads it) it must not exceed
// the limit, and it may be 0 only when it is the text "0".
bool NumberWithin(const std::string& csValue, int nLimit)
{
    unsigned long long ullValue = 0;
    size_t i = 0;
    while (i < csValue.size() && (csValue[i] == ' ' || csValue[i] == '\t'))
        ++i;
    bool bDigits = false;
    for (; i < csValue.size() && csValue[i] >= '0' && csValue[i] <= '9'; ++i)
    {
        bDigits = true;
        ullValue = ullValue * 10 + static_cast<unsigned>(csValue[i] - '0');
        if (ullValue > static_cast<unsigned long long>(nLimit))
            return false;
    }
    if (!bDigits)
        return false;
    return ullValue != 0 || csValue == "0";
}

// Every switch the program knows. An occurrence that spells a longer one of these (for "-USS" the
// search for "U", for "-S1" the search for "S") is that longer switch, not the shorter one with a value.
const char* const KNOWN_SWITCHES[] = {"U",       "AI",         "A",       "LBI",
                                      "LB",      "SAVE",       "RESTORE", "CLEAN_UP_AFTER_CRASH",
                                      "DEVINI",  "ARPWCLOSE2", "SCERT",   "C",
                                      "B",       "I",          "DCERT",   "T",
                                      "D",       "GS",         "GDSO",    "NE",
                                      "NOHW",    "PRE",        "IPATH",   "F2",
                                      "GDSU",    "PPATH",      "FCTI",    "REBOOTED_FROM_NO_ENUM_INSTALL",
                                      "UBI",     "K",          "S1",      "S2",
                                      "S3",      "S4",         "S5",      "S6",
                                      "S",       "G",          "PB0",     "PB1",
                                      "PREVIEW", "NR",         "FR",      "R",
                                      "USS",     "UDF",        "L"};

bool SpellsLongerSwitch(const std::string& csText, size_t nNameStart, const std::string& csName)
{
    for (const char* pszKnown : KNOWN_SWITCHES)
    {
        std::string csKnown = pszKnown;
        if (csKnown.size() > csName.size() && csKnown.compare(0, csName.size(), csName) == 0 &&
            csText.compare(nNameStart, csKnown.size(), csKnown) == 0)
            return true;
    }
    return false;
}

// The first "-NAME" (or, when there is none, "/NAME") that is not the start of a longer switch.
size_t FindOccurrence(const std::string& csText, const std::string& csName)
{
    for (char cSign : {'-', '/'})
    {
        std::string csWanted = std::string(1, cSign) + csName;
        for (size_t nPos = csText.find(csWanted); nPos != std::string::npos; nPos = csText.find(csWanted, nPos + 1))
        {
            if (!SpellsLongerSwitch(csText, nPos + 1, csName))
                return nPos;
        }
    }
    return std::string::npos;
}

} // namespace

BOOL CSetupApp::FindSwitch(std::string& csCmdLine, const char* pszSwitch, int nRule, std::string& csValue)
{
    std::string csCopy = csCmdLine;
    std::string csName = pszSwitch ? pszSwitch : "";
    std::string csLastValue;
    bool bFound = false;
    bool bObeys = false;
    for (;;)
    {
        size_t nPos = FindOccurrence(csCopy, csName);
        if (nPos == std::string::npos)
            break;
        bFound = true;
        csCopy.erase(nPos, 1 + csName.size());
        size_t nEnd = ValueEnd(csCopy, nPos);
        std::string csValueNow = CleanValue(csCopy.substr(nPos, nEnd - nPos));
        csCopy.erase(nPos, nEnd - nPos);

        switch (nRule)
        {
        case SWITCH_NO_VALUE:
            bObeys = csValueNow.empty();
            break;
        case SWITCH_VALUE_REQUIRED:
            bObeys = !csValueNow.empty();
            break;
        case SWITCH_VALUE_OPTIONAL:
            bObeys = true;
            break;
        case SWITCH_VALUE_OR_ALL:
            if (csValueNow.empty())
                csValueNow = "ALL";
            bObeys = true;
            break;
        default:
            bObeys = nRule >= 0 && NumberWithin(csValueNow, nRule);
            break;
        }
        if (!bObeys)
            m_nISResultCode = IS_RESULT_BAD_SWITCH_VALUE;
        csLastValue = csValueNow;
    }
    if (!bFound || !bObeys)
        return FALSE;
    if (!csLastValue.empty() && csLastValue[0] == '=')
        csLastValue = Trim(csLastValue.substr(1));
    csCmdLine = csCopy;
    csValue = csLastValue;
    return TRUE;
}

BOOL CSetupApp::FindFlag(std::string& csCmdLine, const char* pszSwitch)
{
    std::string csIgnored;
    return FindSwitch(csCmdLine, pszSwitch, SWITCH_NO_VALUE, csIgnored);
}

std::string CSetupApp::GetSetupModeInfo(const std::string& csCmdLine)
{
    m_csCmdLineInfo = "CSetupApp::GetSetupModeInfo : csCmdLine = " + csCmdLine + "\n";
    m_SetupParms.dwMode = 0;
    std::string csRest = csCmdLine;

    // Only the file name tells the self-removal copy: a folder that happens to carry the copy's name must not
    // turn a normal setup into one that accepts any text and skips the administrator test.
    std::string csExePath = GetExePath();
    std::string csExeName = csExePath.substr(csExePath.find_last_of('\\') + 1);
    if (ToUpper(csExeName).find("KDVX.EXE") != std::string::npos)
    {
        m_SetupParms.dwMode |= SETUP_MODE_SELF_DELETE;
        m_SetupParms.csLogFileName = LOG_SELF_DELETE;
        return csRest;
    }

    struct ModeSwitch
    {
        const char* pszName;
        DWORD dwBits;
        const char* pszLog;
    };
    static const ModeSwitch modes[] = {
        {"U", SETUP_MODE_UNINSTALL, LOG_UNINSTALL},
        {"AI", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF, LOG_UNINSTALL},
        {"A", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, LOG_UNINSTALL},
        {"LBI", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL | SETUP_MODE_UNINSTALL_ANY_INF, LOG_UNINSTALL},
        {"LB", SETUP_MODE_UNINSTALL | SETUP_MODE_UNINSTALL_ALL, LOG_UNINSTALL},
        {"SAVE", SETUP_MODE_INSTALL | SETUP_MODE_SAVE, LOG_INSTALL},
        {"RESTORE", SETUP_MODE_INSTALL | SETUP_MODE_RESTORE, LOG_INSTALL},
        {"CLEAN_UP_AFTER_CRASH", SETUP_MODE_CLEAN_UP, LOG_CLEAN_UP},
    };

    bool bDecided = false;
    for (const ModeSwitch& mode : modes)
    {
        if (FindFlag(csRest, mode.pszName))
        {
            m_SetupParms.dwMode |= mode.dwBits;
            m_SetupParms.csLogFileName = mode.pszLog;
            bDecided = true;
            break;
        }
    }

    std::string csValue;
    if (!bDecided && FindSwitch(csRest, "DEVINI", SWITCH_VALUE_REQUIRED, csValue))
    {
        // "file,device"; without a comma nothing is set and no other mode is tried.
        bDecided = true;
        size_t nComma = csValue.find(',');
        if (nComma != std::string::npos)
        {
            m_SetupParms.csDevIniFileName = Trim(csValue.substr(0, nComma));
            m_SetupParms.csDevIniDeviceID = Trim(csValue.substr(nComma + 1));
            m_SetupParms.dwMode |= SETUP_MODE_DEVINI;
            m_SetupParms.csLogFileName = LOG_DEV_INI;
        }
    }
    if (!bDecided && FindFlag(csRest, "ARPWCLOSE2"))
    {
        bDecided = true;
        m_SetupParms.dwMode |= SETUP_MODE_CLOSE_ARP;
        m_SetupParms.csLogFileName = LOG_CLOSE_ARP;
    }
    if (!bDecided && FindSwitch(csRest, "SCERT", SWITCH_VALUE_OPTIONAL, csValue))
    {
        bDecided = true;
        m_SetupParms.dwMode |= SETUP_MODE_SCERT;
        if (!csValue.empty())
            m_SetupParms.csCertFileName = csValue;
    }
    if (!bDecided)
    {
        m_SetupParms.dwMode |= SETUP_MODE_INSTALL;
        m_SetupParms.csLogFileName = IsNative64Bit() ? LOG_INSTALL64 : LOG_INSTALL;
    }

    if (m_SetupParms.dwMode & (SETUP_MODE_INSTALL | SETUP_MODE_UNINSTALL))
        ApplySingleInstanceRule();
    return csRest;
}

void CSetupApp::ApplySingleInstanceRule()
{
    // A copy started by another instance of this program finds the spawn semaphore held by its starter.
    CScopedKernelHandle spawn(CreateSemaphoreA(nullptr, 0, 1, "DVX_SPAWN_SETUP_APP"));
    if (spawn && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        m_SpawnSemaphore = std::move(spawn);
        return;
    }
    spawn.Reset();

    // Held until the process ends: that is what keeps a second instance out.
    m_InstanceSemaphore.Reset(CreateSemaphoreA(nullptr, 0, 4, "DVX_SEMAPHORE"));
    if (m_InstanceSemaphore && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        m_csModeError = "\nERROR : Another Setup.exe instance is Already running\n";
        m_csCmdLineInfo += m_csModeError;
        m_nISResultCode = IS_RESULT_ANOTHER_INSTANCE;
        m_SetupParms.dwMode = 0;
    }
}

void CSetupApp::GetSetupConfigInfo(const std::string& csCmdLine)
{
    // Pass 1's reason for refusing the run stays: it is what the trace log is written for.
    m_csCmdLineInfo = "CSetupApp::GetSetupConfigInfo : csCmdLine = " + csCmdLine + "\n" + m_csModeError;
    std::string csRest = csCmdLine;

    if (m_SetupParms.dwMode & SETUP_MODE_UNINSTALL)
        ReadUninstallSelectors(csRest);
    if (m_SetupParms.dwMode & SETUP_MODE_INSTALL)
        ReadInstallOptions(csRest);
    else
        DropInstallOnlyIniSwitches(csRest);
    if (!(m_SetupParms.dwMode & SETUP_MODE_SELF_DELETE))
        ReadUserInterfaceOptions(csRest);
    ReadLogSwitch(csRest);

    csRest = Trim(csRest);
    if (!(m_SetupParms.dwMode & SETUP_MODE_SELF_DELETE) && !csRest.empty())
    {
        m_csCmdLineInfo += "ERROR : csTemp = " + csRest + "\n";
        m_nISResultCode = IS_RESULT_UNKNOWN_TEXT;
        m_SetupParms.dwMode = 0;
    }
}

void CSetupApp::ReadUninstallSelectors(std::string& csRest)
{
    struct Selector
    {
        const char* pszName;
        std::string* pcsField;
    };
    const Selector selectors[] = {{"C", &m_SetupParms.csUninstallClass},
                                  {"B", &m_SetupParms.csUninstallDevice},
                                  {"I", &m_SetupParms.csUninstallINF}};
    for (const Selector& selector : selectors)
    {
        std::string csValue;
        if (FindSwitch(csRest, selector.pszName, SWITCH_VALUE_OR_ALL, csValue))
        {
            *selector.pcsField = csValue;
            if (selector.pcsField == &m_SetupParms.csUninstallINF && csValue.find(".INF") != std::string::npos)
                m_SetupParms.dwSetupConfig |= SETUP_CFG_UNINSTALL_BY_INF_FILE;
        }
        else
            *selector.pcsField = "ALL";
    }
}

void CSetupApp::ReadInstallOptions(std::string& csRest)
{
    const int MAX_SECONDS = 268435455;
    SETUP_PARMS& parms = m_SetupParms;
    std::string csValue;
    if (FindFlag(csRest, "DCERT"))
        parms.dwSetupConfig |= SETUP_CFG_NO_CERT;
    if (FindSwitch(csRest, "T", MAX_SECONDS, csValue))
    {
        // Seconds up to 0xFFFFFFF pass the check, but not all fit 32 bits as milliseconds: the longest
        // finite wait stands for the rest.
        unsigned long long ullMs = std::strtoull(csValue.c_str(), nullptr, 10) * 1000ULL;
        parms.dwWaitTimeout = ullMs < INFINITE ? static_cast<DWORD>(ullMs) : INFINITE - 1;
    }
    if (FindSwitch(csRest, "D", MAX_SECONDS, csValue))
        parms.dwUserDefineEnumDeviceToInstall = static_cast<DWORD>(std::strtoul(csValue.c_str(), nullptr, 10));
    if (FindFlag(csRest, "GS"))
        parms.dwSetupConfig |= SETUP_CFG_SUCCESS_RESULT_ONLY;
    if (FindFlag(csRest, "GDSO"))
        parms.dwSetupConfig |= SETUP_CFG_SUCCESS_RESULT_ONLY;
    if (FindFlag(csRest, "NE"))
        parms.dwSetupConfig |= SETUP_CFG_NO_HARDWARE;
    if (FindFlag(csRest, "NOHW"))
        parms.dwSetupConfig |= SETUP_CFG_NO_HARDWARE;
    if (FindFlag(csRest, "PRE"))
        parms.dwSetupConfig |= SETUP_CFG_PRE;
    if (FindSwitch(csRest, "IPATH", SWITCH_VALUE_REQUIRED, csValue))
        parms.csForcedInstallPath = csValue;
    if (FindSwitch(csRest, "F2", SWITCH_VALUE_OPTIONAL, csValue))
    {
        parms.dwSetupConfig |= SETUP_CFG_IS_LOG;
        if (!csValue.empty())
            parms.csISLogFile = csValue;
    }
    if (FindFlag(csRest, "GDSU"))
        parms.dwMode |= SETUP_MODE_NO_STATUS_UPGRADE;
    if (FindSwitch(csRest, "PPATH", SWITCH_VALUE_REQUIRED, csValue))
    {
        std::string csPath;
        for (char c : csValue)
        {
            if (c != '"')
                csPath += c;
        }
        parms.csPackagePath = csPath;
    }
    if (FindFlag(csRest, "FCTI"))
        parms.dwSetupConfig |= SETUP_CFG_FCTI;
    if (FindFlag(csRest, "REBOOTED_FROM_NO_ENUM_INSTALL"))
    {
        parms.dwSetupConfig |= SETUP_CFG_REBOOTED_FROM_NO_ENUM;
        parms.csLogFileName = LOG_NO_ENUM_INSTALL;
    }
    if (FindFlag(csRest, "UBI"))
        parms.dwSetupConfig |= SETUP_CFG_UBI;
}

void CSetupApp::DropInstallOnlyIniSwitches(std::string& csRest)
{
    // The configuration INI adds these for every run; outside an install they mean nothing and must not
    // be left over, or every uninstall of such a package would end with nothing done.
    for (const char* pszSwitch : {"GDSU", "GS", "GDSO"})
        FindFlag(csRest, pszSwitch);
}

void CSetupApp::ReadUserInterfaceOptions(std::string& csRest)
{
    SETUP_PARMS& parms = m_SetupParms;
    std::string csValue;
    // An empty "K" is a bad value like any other: it stays on the line and is reported as left over.
    if (FindSwitch(csRest, "K", SWITCH_VALUE_REQUIRED, csValue))
        m_csStopProcessList = csValue;

    struct ModeFlag
    {
        const char* pszName;
        DWORD dwBits;
    };
    static const ModeFlag modeFlags[] = {
        {"S1", SETUP_MODE_NO_SPLASH},      {"S2", SETUP_MODE_NO_INITIAL_PROGBAR},
        {"S3", SETUP_MODE_NO_INITIAL_DLG}, {"S4", SETUP_MODE_NO_INSTALL_PROGBAR},
        {"S5", SETUP_MODE_NO_FINAL_DLG},   {"S6", SETUP_MODE_SILENT_AFTER_REBOOT},
    };
    for (const ModeFlag& flag : modeFlags)
    {
        if (FindFlag(csRest, flag.pszName))
            parms.dwMode |= flag.dwBits;
    }
    if (FindFlag(csRest, "S"))
        parms.dwSetupConfig |= SETUP_CFG_SILENT;
    if (FindFlag(csRest, "G"))
        parms.dwSetupConfig &= ~SETUP_CFG_SILENT;
    if (FindFlag(csRest, "PB0"))
        parms.dwMode |= SETUP_MODE_STANDARD_PROGBAR;
    if (FindFlag(csRest, "PB1"))
        parms.dwMode |= SETUP_MODE_BUSY_PROGBAR;
    if (FindFlag(csRest, "PREVIEW"))
        parms.dwSetupConfig |= SETUP_CFG_PREVIEW;
    if (FindFlag(csRest, "NR"))
        parms.dwSetupConfig |= SETUP_CFG_NO_REBOOT;
    if (FindFlag(csRest, "FR") || FindFlag(csRest, "R"))
        parms.dwSetupConfig |= SETUP_CFG_FORCE_REBOOT;
    if (FindFlag(csRest, "USS"))
        parms.dwSetupConfig |= SETUP_CFG_USS;
    if (FindFlag(csRest, "UDF"))
        parms.dwSetupConfig |= SETUP_CFG_UDF;
}

void CSetupApp::ReadLogSwitch(std::string& csRest)
{
    std::string csValue;
    if (!FindSwitch(csRest, "L", SWITCH_VALUE_OR_ALL, csValue))
        return;
    m_SetupParms.dwSetupConfig |= SETUP_CFG_LOG;
    CreateTraceLog();
    if (EqualsNoCase(csValue, "ALL"))
        GetTraceLog()->SetLogFile(m_SetupParms.csLogFileName.c_str(), FALSE);
    else
        GetTraceLog()->SetLogFile(csValue.c_str(), TRUE);
}
