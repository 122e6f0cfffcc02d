#include "modem/CModemInfo.h"

#include "common/CTraceScope.h"
#include "common/IniFlags.h"
#include "modem/CModemNames.h"
#include "modem/CModemPort.h"
#include "modem/CModemWaveRemoval.h"
#include "platform/StringUtil.h"

const char* const CModemInfo::UNKNOWN = "NVLS_UNKNOWN";

void CModemInfo::Bind(CDevNode* pDevNode)
{
    m_pDevNode = pDevNode;
    m_dwPortOpened = 0;
    m_csDescription.clear();
    m_csWaveID.clear();
}

std::string CModemInfo::ReadDriverString(const char* pszSubKey, const char* pszValue)
{
    if (!m_pDevNode)
        return std::string();
    char szValue[MAX_PATH] = {0};
    DWORD dwSize = MAX_PATH - 1;
    BYTE* pBuffer = reinterpret_cast<BYTE*>(szValue);
    DWORD dwRead = pszSubKey ? m_pDevNode->ReadDriverSubKeyValue(pszSubKey, pszValue, pBuffer, &dwSize)
                             : m_pDevNode->ReadDriverKeyValue(pszValue, pBuffer, &dwSize);
    if (dwRead == 0)
        return std::string();
    szValue[MAX_PATH - 1] = '\0';
    return szValue;
}

BOOL CModemInfo::ResetModemPort(DWORD dwINIFlags)
{
    CTraceScope trace("CModemInfo::ResetModemPort");
    if (!(dwINIFlags & INI_FLAG_CTY_PARMS) || !m_pDevNode)
        return trace.Return(FALSE);
    // Once per node: the modem has taken its parameters the first time, whatever the outcome.
    if (m_dwPortOpened)
        return trace.Return(TRUE);
    std::string csPort = ReadDriverString(nullptr, "AttachedTo");
    TraceLine("AttachedTo = %s\n", csPort.c_str());
    if (csPort.empty())
        return trace.Return(FALSE);
    m_dwPortOpened = 1;
    return trace.Return(CModemPort::Reset(csPort));
}

void CModemInfo::RememberDescription(DWORD dwINIFlags)
{
    if (!(dwINIFlags & INI_FLAG_DRIVER_DESC_ADDREG))
        return;
    m_csDescription = ReadDriverString(nullptr, "DriverDesc");
    if (m_csDescription.empty())
        m_csDescription = UNKNOWN;
    TraceLine("CModemInfo::RememberDescription : %s\n", m_csDescription.c_str());
}

BOOL CModemInfo::CompareDescription(DWORD dwINIFlags)
{
    if (!(dwINIFlags & INI_FLAG_DRIVER_DESC_ADDREG) || m_csDescription.empty())
        return FALSE;
    std::string csNew = ReadDriverString(nullptr, "DriverDesc");
    if (csNew.empty() || csNew == m_csDescription)
        return FALSE;
    CTraceScope trace("CModemInfo::CompareDescription");
    TraceLine("Old = %s, New = %s\n", m_csDescription.c_str(), csNew.c_str());
    CModemNames names(*m_pDevNode);
    names.Refresh(csNew, m_csDescription);
    m_csDescription = csNew;
    return trace.Return(TRUE);
}

void CModemInfo::RememberWaveID(DWORD dwINIFlags)
{
    if (!(dwINIFlags & INI_FLAG_WAVE_DRIVER_DELREG))
        return;
    std::string csWave = ReadDriverString("WaveDriver", "WaveHardwareID");
    m_csWaveID = csWave.empty() ? std::string(UNKNOWN) : "MODEMWAVE\\" + csWave;
    TraceLine("CModemInfo::RememberWaveID : %s\n", m_csWaveID.c_str());
}

void CModemInfo::CheckWaveDevice(DWORD dwINIFlags)
{
    if (!(dwINIFlags & INI_FLAG_WAVE_DRIVER_DELREG) || m_csWaveID.empty() || m_csWaveID == UNKNOWN)
        return;
    if (!ReadDriverString("WaveDriver", "WaveHardwareID").empty())
        return;
    CTraceScope trace("CModemInfo::CheckWaveDevice");
    trace.Return(CModemWaveRemoval::Remove(m_csWaveID));
}
