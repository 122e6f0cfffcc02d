#include "CInfModels.h"

#include "platform/StringUtil.h"

void CInfModels::Clear()
{
    m_lines.clear();
    m_byFirstID.clear();
    m_lastByAnyID.clear();
    m_nLongestID = 0;
}

void CInfModels::Add(const INF_MODEL_LINE& line)
{
    const size_t nLine = m_lines.size();
    m_lines.push_back(line);
    if (!line.hardwareIDs.empty())
        m_byFirstID[ToUpper(line.hardwareIDs[0])].push_back(nLine);
    for (const std::string& csID : line.hardwareIDs)
    {
        if (csID.empty())
            continue;
        m_lastByAnyID[ToUpper(csID)] = nLine;
        if (csID.size() > m_nLongestID)
            m_nLongestID = csID.size();
    }
}

const std::vector<size_t>& CInfModels::LinesWithFirstID(const std::string& csHardwareID) const
{
    static const std::vector<size_t> NONE;
    auto found = m_byFirstID.find(ToUpper(csHardwareID));
    return found == m_byFirstID.end() ? NONE : found->second;
}

bool CInfModels::LastLineWithPrefixOf(const std::string& csDeviceID, size_t& nLine) const
{
    // Every prefix of the device ID that is as long as some hardware ID at most.
    const std::string csDevice = ToUpper(csDeviceID);
    bool bFound = false;
    for (size_t nLength = 1; nLength <= csDevice.size() && nLength <= m_nLongestID; ++nLength)
    {
        auto found = m_lastByAnyID.find(csDevice.substr(0, nLength));
        if (found != m_lastByAnyID.end() && (!bFound || found->second > nLine))
        {
            nLine = found->second;
            bFound = true;
        }
    }
    return bFound;
}
