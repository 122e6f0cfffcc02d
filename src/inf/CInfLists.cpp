// Lists read from an INF's install sections: copied files, registry entries, child and wave devices,
// applications to close.
#include <cstdlib>

#include "CInf.h"

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"

namespace
{

const char* EMPTY_FIELD = "EMPTY";
const DWORD PATH_CHARS = 500;

// Field 4 of a copy-list line: "0x..." is hexadecimal (its last four digits), anything else decimal.
DWORD ParseCopyFlags(const std::string& csFlags)
{
    std::string csUpper = ToUpper(csFlags);
    size_t nHex = csUpper.find("0X");
    if (nHex == std::string::npos)
        return static_cast<DWORD>(std::strtoul(csFlags.c_str(), nullptr, 10));
    std::string csDigits = csUpper.substr(nHex + 2);
    size_t nFirst = csDigits.find_first_not_of('0');
    csDigits = nFirst == std::string::npos ? std::string() : csDigits.substr(nFirst);
    if (csDigits.size() > 4)
        csDigits = csDigits.substr(csDigits.size() - 4);
    return static_cast<DWORD>(std::strtoul(csDigits.c_str(), nullptr, 16));
}

DWORD FileTypeOf(const std::string& csFileName)
{
    if (csFileName.find(".INF") != std::string::npos)
        return INF_FILE_TYPE_INF;
    if (csFileName.find(".CAT") != std::string::npos)
        return INF_FILE_TYPE_CATALOG;
    return INF_FILE_TYPE_OTHER;
}

} // namespace

void CInf::ReadCopyFilesSection(const std::string& csSection, CCopyFilesList& list)
{
    KDeviceApi* pApi = GetDeviceApi();
    for (const std::string& csCopyList : DirectiveValues(csSection, "CopyFiles"))
    {
        ForEachLine(
            csCopyList,
            [&](INFCONTEXT& context)
            {
                COPY_FILES_INFO info;
                if (!ReadField(context, 1, info.kFileName))
                    return false;
                char szSubFolder[PATH_CHARS] = {0};
                char szTarget[PATH_CHARS] = {0};
                UINT uSourceId = 0;
                if (!pApi->KSetupGetSourceFileLocation(m_hInf, nullptr, info.kFileName.c_str(), &uSourceId, szSubFolder,
                                                       PATH_CHARS, nullptr) ||
                    !pApi->KSetupGetTargetPath(m_hInf, nullptr, csCopyList.c_str(), szTarget, PATH_CHARS, nullptr))
                    return false;
                std::string csSub = szSubFolder;
                info.kSourceFile = m_szINFPath + "\\" + (csSub.empty() ? "" : csSub + "\\") + info.kFileName;
                info.kDestinationFile = std::string(szTarget) + "\\" + info.kFileName;
                std::string csFlags;
                if (ReadField(context, 4, csFlags) && !csFlags.empty())
                    info.dwCopyFlags = ParseCopyFlags(csFlags);
                info.dwFileType = FileTypeOf(info.kFileName);
                AddBounded(list, info);
                return false;
            });
    }
}

size_t CInf::GetCopyFilesList(const std::string& csHardwareID, CCopyFilesList& list)
{
    static const char* const PARTS[] = {"", ".Services", ".HW", ".CoInstallers"};
    for (size_t nLine : m_models.LinesWithFirstID(csHardwareID))
    {
        const INF_MODEL_LINE& line = m_models.Lines()[nLine];
        if (m_bNT)
        {
            size_t nBefore = list.size();
            ReadCopyFilesSection(line.csInstallSection + ".NT", list);
            if (list.size() > nBefore)
            {
                for (size_t i = 1; i < 4; ++i)
                    ReadCopyFilesSection(line.csInstallSection + ".NT" + PARTS[i], list);
                return list.size();
            }
        }
        for (const char* pszPart : PARTS)
            ReadCopyFilesSection(line.csInstallSection + pszPart, list);
    }
    return list.size();
}

size_t CInf::GetAllCopyFilesList(CCopyFilesList& list)
{
    static const char* const PARTS[] = {"", ".Services", ".HW", ".CoInstallers"};
    bool bNTSectionsSeen = false;
    for (const INF_MODEL_LINE& line : m_models.Lines())
    {
        if (m_bNT)
        {
            size_t nBefore = list.size();
            ReadCopyFilesSection(line.csInstallSection + ".NT", list);
            if (list.size() > nBefore)
            {
                bNTSectionsSeen = true;
                for (size_t i = 1; i < 4; ++i)
                    ReadCopyFilesSection(line.csInstallSection + ".NT" + PARTS[i], list);
                continue;
            }
        }
        if (bNTSectionsSeen)
            continue;
        for (const char* pszPart : PARTS)
            ReadCopyFilesSection(line.csInstallSection + pszPart, list);
    }
    return list.size();
}

void CInf::ReadAddRegOfSection(const std::string& csSection, const std::string& csRoot, CAddRegList& list)
{
    for (const std::string& csAddReg : DirectiveValues(csSection, "AddReg"))
    {
        ForEachLine(csAddReg,
                    [&](INFCONTEXT& context)
                    {
                        ADD_REG_INFO info;
                        if (!ReadField(context, 1, info.kRootKey) || !EqualsNoCase(info.kRootKey, csRoot))
                            return false;
                        ReadField(context, 2, info.kRegKey);
                        ReadField(context, 3, info.kValueName);
                        ReadField(context, 4, info.kFlags);
                        ReadField(context, 5, info.kValueData);
                        AddBounded(list, info);
                        return false;
                    });
    }
}

size_t CInf::GetAddRegList(const std::string& csHardwareID, const std::string& csRoot, CAddRegList& list)
{
    static const char* const PARTS[] = {"", ".Services", ".HW", ".CoInstallers"};
    bool bAll = EqualsNoCase(csHardwareID, "ALL");
    std::vector<size_t> all;
    if (bAll)
    {
        for (size_t n = 0; n < m_models.Lines().size(); ++n)
            all.push_back(n);
    }
    for (size_t nLine : bAll ? all : m_models.LinesWithFirstID(csHardwareID))
    {
        const INF_MODEL_LINE& line = m_models.Lines()[nLine];
        bool bDecoratedGaveEntries = false;
        if (m_bNT)
        {
            size_t nBefore = list.size();
            ReadAddRegOfSection(line.csInstallSection + ".NT", csRoot, list);
            // Only the .NT section itself decides whether the undecorated ones are skipped.
            bDecoratedGaveEntries = list.size() > nBefore;
            for (size_t i = 1; i < 4; ++i)
                ReadAddRegOfSection(line.csInstallSection + ".NT" + PARTS[i], csRoot, list);
        }
        if (!bDecoratedGaveEntries)
        {
            for (const char* pszPart : PARTS)
                ReadAddRegOfSection(line.csInstallSection + pszPart, csRoot, list);
        }
        if (!bAll)
            break;
    }
    return list.size();
}

BOOL CInf::FindAddRegValue(const std::string& csHardwareID, const std::string& csSubKey, const std::string& csValueName,
                           std::string& csValue)
{
    CAddRegList entries;
    GetAddRegList(csHardwareID, "HKR", entries);
    std::string csWanted = ToUpper(csSubKey);
    for (const ADD_REG_INFO& entry : entries)
    {
        if (ToUpper(entry.kRegKey).find(csWanted) != std::string::npos && EqualsNoCase(entry.kValueName, csValueName))
        {
            csValue = entry.kValueData;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CInf::GetRegEntries(const std::string& csSection, const std::string& csRoot, DWORD dwFlags, CAddRegList& list)
{
    size_t nBefore = list.size();
    for (const char* pszDirective : {"AddReg", "DelReg"})
    {
        DWORD dwWanted = EqualsNoCase(pszDirective, "AddReg") ? REG_ENTRIES_ADDREG : REG_ENTRIES_DELREG;
        if (!(dwFlags & dwWanted))
            continue;
        for (const std::string& csRegSection : DirectiveValues(csSection, pszDirective))
        {
            ForEachLine(csRegSection,
                        [&](INFCONTEXT& context)
                        {
                            ADD_REG_INFO info;
                            std::string* fields[] = {&info.kRootKey, &info.kRegKey, &info.kValueName, &info.kFlags,
                                                     &info.kValueData};
                            for (DWORD i = 0; i < 5; ++i)
                            {
                                if (!ReadField(context, i + 1, *fields[i]) || fields[i]->empty())
                                    *fields[i] = EMPTY_FIELD;
                            }
                            if (EqualsNoCase(info.kRootKey, csRoot))
                                AddBounded(list, info);
                            return false;
                        });
        }
    }
    return list.size() > nBefore;
}

BOOL CInf::ChildIDInSection(const std::string& csSection, std::string& csChildID, const char* pszKey)
{
    for (const std::string& csAddReg : DirectiveValues(csSection, "AddReg"))
    {
        if (ForEachLine(csAddReg,
                        [&](INFCONTEXT& context)
                        {
                            std::string csKey;
                            std::string csName;
                            ReadField(context, 2, csKey);
                            ReadField(context, 3, csName);
                            bool bChild = ToUpper(csKey).find("CHILD0000") != std::string::npos &&
                                          ToUpper(csName).find("HARDWAREID") != std::string::npos;
                            if (!pszKey)
                                bChild = bChild || csName == "ChildID" || csName == "ChildDeviceId";
                            else
                                bChild = bChild || EqualsNoCase(csKey, pszKey);
                            return bChild && ReadField(context, 5, csChildID);
                        }))
            return TRUE;
    }
    return FALSE;
}

BOOL CInf::GetChildHardwareID(const std::string& csSection, std::string& csChildID, const char* pszKey)
{
    return ChildIDInSection(csSection, csChildID, pszKey);
}

BOOL CInf::GetChildHardwareIDForModel(const std::string& csHardwareID, std::string& csChildID)
{
    for (size_t nLine : m_models.LinesWithFirstID(csHardwareID))
    {
        const std::string& csSection = m_models.Lines()[nLine].csInstallSection;
        if (m_bNT && (ChildIDInSection(csSection + ".NT", csChildID, nullptr) ||
                      ChildIDInSection(csSection + ".NT.HW", csChildID, nullptr)))
            return TRUE;
        return ChildIDInSection(csSection, csChildID, nullptr) ||
               ChildIDInSection(csSection + ".HW", csChildID, nullptr);
    }
    return FALSE;
}

BOOL CInf::GetChildHardwareIDList(const std::string& csHardwareID, int nChildren, CStringList& list)
{
    for (size_t nLine : m_models.LinesWithFirstID(csHardwareID))
    {
        std::string csSection = DecoratedSection(m_models.Lines()[nLine].csInstallSection);
        for (const std::string& csTry : {csSection, csSection + ".HW"})
        {
            size_t nBefore = list.size();
            std::string csChild;
            if (ChildIDInSection(csTry, csChild, nullptr))
                AddBounded(list, csChild);
            for (int i = 1; i <= nChildren; ++i)
            {
                std::string csKey = Format("ENUM\\Device%d", i);
                if (ChildIDInSection(csTry, csChild, csKey.c_str()))
                    AddBounded(list, csChild);
            }
            if (list.size() > nBefore)
                break;
        }
    }
    return !list.empty();
}

BOOL CInf::GetWaveHardwareID(std::string& csWaveID)
{
    CAddRegList entries;
    GetAddRegList("ALL", "HKR", entries);
    if (!m_bNT)
    {
        bool bSerialWave = false;
        for (const ADD_REG_INFO& entry : entries)
            bSerialWave = bSerialWave || (EqualsNoCase(entry.kValueName, "Enumerator") &&
                                          EqualsNoCase(entry.kValueData, "serwave.vxd"));
        if (!bSerialWave)
            return FALSE;
    }
    for (const ADD_REG_INFO& entry : entries)
    {
        if (EqualsNoCase(entry.kRegKey, "WaveDriver") && EqualsNoCase(entry.kValueName, "WaveHardwareID"))
        {
            csWaveID = entry.kValueData;
            return TRUE;
        }
    }
    return FALSE;
}

size_t CInf::GetKillAppsList(CStringList& list)
{
    auto walk = [&](const std::string& csSection)
    {
        size_t nBefore = list.size();
        for (const std::string& csAddReg : DirectiveValues(csSection, "AddReg"))
        {
            ForEachLine(csAddReg,
                        [&](INFCONTEXT& context)
                        {
                            std::string csKey;
                            std::string csApp;
                            if (ReadField(context, 2, csKey) &&
                                ToUpper(csKey).find("\\INSTALLCONTROL\\KILLAPPSLIST") != std::string::npos &&
                                ReadField(context, 5, csApp))
                                AddBounded(list, csApp);
                            return false;
                        });
        }
        return list.size() > nBefore;
    };
    for (const INF_MODEL_LINE& line : m_models.Lines())
    {
        bool bDecorated = m_bNT && walk(DecoratedSection(line.csInstallSection));
        if (!bDecorated)
            walk(line.csInstallSection);
    }
    return list.size();
}

BOOL CInf::GetAddRegBinaryValue(const char* pszSection, const char* pszSubKey, const char* pszValueName, BYTE* pData,
                                DWORD cbData)
{
    KDeviceApi* pApi = GetDeviceApi();
    BOOL bRead = FALSE;
    for (const std::string& csAddReg : DirectiveValues(pszSection ? pszSection : "", "AddReg"))
    {
        if (ForEachLine(csAddReg,
                        [&](INFCONTEXT& context)
                        {
                            std::string csKey;
                            std::string csName;
                            if (!ReadField(context, 2, csKey) || !EqualsNoCase(csKey, pszSubKey ? pszSubKey : "") ||
                                !ReadField(context, 3, csName) ||
                                !EqualsNoCase(csName, pszValueName ? pszValueName : ""))
                                return false;
                            bRead = pApi->KSetupGetBinaryField(&context, 5, pData, cbData, nullptr);
                            return true;
                        }))
            return bRead;
    }
    return FALSE;
}

BOOL CInf::IsNvlsINF()
{
    CCopyFilesList files;
    GetAllCopyFilesList(files);
    for (const COPY_FILES_INFO& info : files)
    {
        std::string csUpper = ToUpper(info.kDestinationFile);
        if (csUpper.find(".SYS") == std::string::npos && csUpper.find(".VXD") == std::string::npos)
            continue;
        TraceLine("pCopyFilesInfo->kDestinationFile = %s\n", info.kDestinationFile.c_str());
        if (CFileUtility::IsNorvalisFile(info.kDestinationFile))
            return TRUE;
    }
    return FALSE;
}

BOOL CInf::GetINIVistaWaveRTRegData(const char* pszSection, CVistaWaveRTRegList& list)
{
    CTraceScope trace("CInf::GetINIVistaWaveRTRegData");
    size_t nBefore = list.size();
    ForEachLine(pszSection ? pszSection : "",
                [&](INFCONTEXT& context)
                {
                    VISTA_WAVERT_REG_INFO info;
                    std::string* fields[] = {&info.kFlag, &info.kValue, &info.kValueType, &info.kValueData};
                    for (DWORD i = 0; i < 4; ++i)
                    {
                        if (!ReadField(context, i + 1, *fields[i]) || Trim(*fields[i]).empty())
                            *fields[i] = EMPTY_FIELD;
                        else
                            *fields[i] = Trim(*fields[i]);
                    }
                    TraceLine("kFlag = %s, kValue = %s, kValueType = %s, kValueData = %s\n", info.kFlag.c_str(),
                              info.kValue.c_str(), info.kValueType.c_str(), info.kValueData.c_str());
                    AddBounded(list, info);
                    return false;
                });
    return trace.Return(list.size() > nBefore);
}
