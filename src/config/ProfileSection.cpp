#include "config/ProfileSection.h"

#include "common/CTraceScope.h"
#include "platform/StringUtil.h"

namespace
{

// The value up to the first ";" that no open double quote protects.
std::string CutComment(const std::string& csValue)
{
    bool bQuoted = false;
    for (size_t i = 0; i < csValue.size(); ++i)
    {
        if (csValue[i] == '"')
            bQuoted = !bQuoted;
        else if (csValue[i] == ';' && !bQuoted)
            return csValue.substr(0, i);
    }
    return csValue;
}

std::string WithoutTabs(const std::string& csValue)
{
    std::string csResult;
    csResult.reserve(csValue.size());
    for (char c : csValue)
    {
        if (c != '\t')
            csResult += c;
    }
    return csResult;
}

// Splits the multi-string GetPrivateProfileSectionA hands back into lines and keeps the entries.
void CollectEntries(const char* pszBuffer, DWORD dwChars, CIniEntryList& entries, bool bTrace)
{
    size_t nStart = 0;
    while (nStart < dwChars && entries.size() < MAX_INI_SECTION_ENTRIES)
    {
        size_t nEnd = nStart;
        while (nEnd < dwChars && pszBuffer[nEnd] != '\0')
            ++nEnd;
        INI_ENTRY entry;
        if (ParseSectionLine(std::string(pszBuffer + nStart, nEnd - nStart), entry))
        {
            if (bTrace)
            {
                TraceLine("INIData.ksParm0 = %s\n", entry.ksParm0.c_str());
                TraceLine("INIData.ksParm1 = %s\n", entry.ksParm1.c_str());
            }
            entries.push_back(entry);
        }
        nStart = nEnd + 1;
    }
}

BOOL ReadSection(const std::string& csFileName, const std::string& csSection, CIniEntryList& entries, bool bTrace)
{
    entries.clear();
    if (csFileName.empty() || csSection.empty())
        return FALSE;
    // Two more characters for the terminators the platform always writes, even when it cuts the section.
    char szBuffer[MAX_INI_SECTION_CHARS + 2] = {0};
    DWORD dwChars = GetPrivateProfileSectionA(csSection.c_str(), szBuffer, MAX_INI_SECTION_CHARS, csFileName.c_str());
    if (dwChars == 0)
        return FALSE;
    if (dwChars > MAX_INI_SECTION_CHARS)
        dwChars = MAX_INI_SECTION_CHARS;
    CollectEntries(szBuffer, dwChars, entries, bTrace);
    return TRUE;
}

} // namespace

BOOL ParseSectionLine(const std::string& csLine, INI_ENTRY& entry)
{
    size_t nEqual = csLine.find('=');
    if (nEqual == std::string::npos)
        return FALSE;
    entry.ksParm0 = Trim(csLine.substr(0, nEqual));
    entry.ksParm1 = Trim(WithoutTabs(CutComment(Trim(csLine.substr(nEqual + 1)))));
    return TRUE;
}

BOOL GetSectionEntries(const std::string& csFileName, const std::string& csSection, CIniEntryList& entries)
{
    return ReadSection(csFileName, csSection, entries, true);
}

BOOL GetSectionValue(const std::string& csFileName, const std::string& csSection, const std::string& csKey,
                     std::string& csValue)
{
    CIniEntryList entries;
    if (!ReadSection(csFileName, csSection, entries, false))
        return FALSE;
    for (const INI_ENTRY& entry : entries)
    {
        if (EqualsNoCase(entry.ksParm0, csKey))
        {
            csValue = entry.ksParm1;
            return TRUE;
        }
    }
    return FALSE;
}
