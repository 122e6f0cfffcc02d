// The command line: the switch parser and its two passes.
#include <cstdlib>

#include "app/CSetupApp.h"
#include "common/CTraceLog.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"

namespace
{

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

// An occurrence that spells a longer switch (for "-USS" the search for "U", for "-S1" the search for "S")
// is that longer switch, not the shorter one with a value.
bool SpellsLongerSwitch(const std::string& csText, size_t nNameStart, const std::string& csName)
{
    for (size_t i = 0; i < CSetupApp::SWITCH_COUNT; ++i)
    {
        std::string csKnown = CSetupApp::SWITCH_TABLE[i].pszName;
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

    bool bDecided = ApplySwitchGroup(csRest, SwitchGroup::Mode, TRUE);
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
    {
        // A selector that is not given means "any".
        m_SetupParms.csUninstallClass = m_SetupParms.csUninstallDevice = m_SetupParms.csUninstallINF = "ALL";
        ApplySwitchGroup(csRest, SwitchGroup::UninstallSelector, FALSE);
    }
    if (m_SetupParms.dwMode & SETUP_MODE_INSTALL)
        ApplySwitchGroup(csRest, SwitchGroup::Install, FALSE);
    else
        DropInstallOnlyIniSwitches(csRest);
    if (!(m_SetupParms.dwMode & SETUP_MODE_SELF_DELETE))
        ApplySwitchGroup(csRest, SwitchGroup::UserInterface, FALSE);
    ApplySwitchGroup(csRest, SwitchGroup::Log, FALSE);

    csRest = Trim(csRest);
    if (!(m_SetupParms.dwMode & SETUP_MODE_SELF_DELETE) && !csRest.empty())
    {
        m_csCmdLineInfo += "ERROR : csTemp = " + csRest + "\n";
        // A refused second instance reads none of its mode's switches: what they leave over is no reason
        // to hide from a silent caller that another setup is running.
        if (m_nISResultCode != IS_RESULT_ANOTHER_INSTANCE)
            m_nISResultCode = IS_RESULT_UNKNOWN_TEXT;
        m_SetupParms.dwMode = 0;
    }
}
