#include "CSetupFilesInfo.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "inf/CInf.h"
#include "platform/StringUtil.h"
#include "prepare/FileSearch.h"

namespace
{

const char* CATALOG_FOLDER = "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

bool IsUninstallRecord(const DEVICE_DATA& data)
{
    return data.SetupStatus == DEVICE_UNINSTALL_PENDING || data.SetupStatus == DEVICE_UNINSTALL_NOT_PRESENT;
}

std::string FileNamePart(const std::string& csPath)
{
    const size_t nSlash = csPath.find_last_of('\\');
    return nSlash == std::string::npos ? csPath : csPath.substr(nSlash + 1);
}

std::string WindowsFolder()
{
    char sz[MAX_PATH] = {0};
    UINT n = GetWindowsDirectoryA(sz, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(sz) : std::string();
}

// The device's INF or a child or wave INF, and its catalog when [Version] names one.
void AddInfAndCatalog(CInf& reader, const std::string& csInf, CCopyFilesList& list)
{
    const std::string csWindows = WindowsFolder();
    COPY_FILES_INFO inf;
    inf.kFileName = FileNamePart(csInf);
    inf.kSourceFile = csInf;
    inf.kDestinationFile = csWindows + "\\INF\\" + inf.kFileName;
    inf.dwFileType = INF_FILE_TYPE_INF;
    AddBounded(list, inf);

    std::string csCatalog;
    if (!reader.GetKeyValue("Version", "CatalogFile", csCatalog, 1))
        return;
    COPY_FILES_INFO catalog;
    catalog.kFileName = FileNamePart(csCatalog);
    catalog.kSourceFile = csCatalog;
    catalog.kDestinationFile = csWindows + (IsNTPlatform() ? "\\System32" : "") + CATALOG_FOLDER + catalog.kFileName;
    catalog.dwFileType = INF_FILE_TYPE_CATALOG;
    AddBounded(list, catalog);
}

} // namespace

CInf& CSetupFilesInfo::Inf(const std::string& csFileName)
{
    std::unique_ptr<CInf>& pInf = m_infs[ToUpper(csFileName)];
    if (!pInf)
    {
        pInf = std::make_unique<CInf>();
        pInf->Initialize(csFileName.c_str());
    }
    return *pInf;
}

const std::string& CSetupFilesInfo::DeclaredWaveID(const std::string& csFileName)
{
    auto found = m_waveIDs.find(ToUpper(csFileName));
    if (found != m_waveIDs.end())
        return found->second;
    std::string& csWaveID = m_waveIDs[ToUpper(csFileName)];
    Inf(csFileName).GetWaveHardwareID(csWaveID);
    return csWaveID;
}

const std::vector<CSetupFilesInfo::CANDIDATE_INF>& CSetupFilesInfo::CandidatesOf(const std::string& csPattern)
{
    auto found = m_candidates.find(ToUpper(csPattern));
    if (found != m_candidates.end())
        return found->second;
    std::vector<CANDIDATE_INF>& candidates = m_candidates[ToUpper(csPattern)];
    for (const std::string& csFile : FindFiles(csPattern))
    {
        CANDIDATE_INF candidate;
        candidate.csFileName = csFile;
        Inf(csFile).GetHardwareIDList(candidate.hardwareIDs);
        candidates.push_back(candidate);
    }
    return candidates;
}

const std::vector<CSetupFilesInfo::CANDIDATE_INF>& CSetupFilesInfo::Candidates(const DEVICE_DATA& data, bool bWave)
{
    if (!IsUninstallRecord(data))
        return CandidatesOf(data.csInstallPath + "\\*.INF");
    const std::string csInf = WindowsFolder() + "\\INF\\";
    if (IsNTPlatform())
        return CandidatesOf(csInf + (bWave ? "OTHER\\*.INF" : "OEM*.INF"));
    const std::vector<CANDIDATE_INF>& other = CandidatesOf(csInf + "OTHER\\*.INF");
    return other.empty() ? CandidatesOf(csInf + "*.INF") : other;
}

BOOL CSetupFilesInfo::GetChildFileName(DEVICE_DATA& data)
{
    CTraceScope trace("CSetupFilesInfo::GetChildFileName");
    CStringList childIDs;
    if (!Inf(data.csEnumFileName).GetChildHardwareIDList(data.csBusTypeAndDeviceID, MAX_CHILD_DEVICES, childIDs))
        return trace.Return(FALSE);

    const std::vector<CANDIDATE_INF>& candidates = Candidates(data, false);
    int nChildIndex = 0;
    while (nChildIndex < MAX_CHILD_DEVICES && !data.ChildDevice[nChildIndex].csChildFileName.empty())
        ++nChildIndex;
    CStringList done;
    for (const std::string& csID : childIDs)
    {
        const std::string csChild = ToUpper(csID);
        // The same child line answers several of the searches; it is one child.
        bool bSeen = false;
        for (const std::string& csDone : done)
            bSeen = bSeen || csDone == csChild;
        if (bSeen || nChildIndex >= MAX_CHILD_DEVICES)
            continue;
        done.push_back(csChild);
        const std::string csComposite = csChild + "#" + ToUpper(data.csBusType) + "#" + ToUpper(data.csDeviceID);
        const bool bChildHasSlash = csChild.find('\\') != std::string::npos;
        for (int nPass = 1; nPass <= 2; ++nPass)
        {
            const CANDIDATE_INF* pMatch = nullptr;
            const std::string* pMatchID = nullptr;
            for (const CANDIDATE_INF& candidate : candidates)
            {
                for (const std::string& csCandidate : candidate.hardwareIDs)
                {
                    const bool bHash = csCandidate.find('#') != std::string::npos;
                    const bool bMatch =
                        nPass == 1 ? bHash && csCandidate.find(csComposite) != std::string::npos
                                   : csCandidate == csChild ||
                                         (!bChildHasSlash && !bHash && csCandidate.find(csChild) != std::string::npos);
                    if (bMatch)
                    {
                        pMatch = &candidate;
                        pMatchID = &csCandidate;
                        break;
                    }
                }
                if (pMatch)
                    break;
            }
            if (!pMatch)
                continue;
            CHILD_DEVICE& child = data.ChildDevice[nChildIndex];
            child.csChildFileName = pMatch->csFileName;
            child.csChildBusTypeAndDeviceID = *pMatchID;
            TraceLine("nChildIndex = %d, csChildFileName = %s, csChildBusTypeAndDeviceID = %s\n", nChildIndex,
                      child.csChildFileName.c_str(), child.csChildBusTypeAndDeviceID.c_str());
            ++nChildIndex;
            break;
        }
    }
    return trace.Return(!data.ChildDevice[0].csChildFileName.empty());
}

BOOL CSetupFilesInfo::GetWaveFileName(DEVICE_DATA& data)
{
    CTraceScope trace("CSetupFilesInfo::GetWaveFileName");
    std::string csDescription;
    if (!data.ChildDevice[0].csChildFileName.empty())
    {
        std::string csChildID;
        if (Inf(data.csEnumFileName).GetChildHardwareIDForModel(data.csBusTypeAndDeviceID, csChildID))
            Inf(data.ChildDevice[0].csChildFileName).GetModelLineField(csChildID, csDescription);
    }
    else
        Inf(data.csEnumFileName).GetModelLineField(data.csBusTypeAndDeviceID, csDescription);
    if (csDescription.empty())
        return trace.Return(FALSE);

    // The wave function's hardware ID carries the description, blanks as "_".
    for (char& c : csDescription)
    {
        if (c == ' ')
            c = '_';
    }
    MakeUpper(csDescription);
    for (const CANDIDATE_INF& candidate : Candidates(data, true))
    {
        for (const std::string& csID : candidate.hardwareIDs)
        {
            if (csID.find(csDescription) == std::string::npos)
                continue;
            data.csWaveFileName = candidate.csFileName;
            data.csWaveBusTypeAndDeviceID = csID;
            TraceLine("csWaveFileName = %s, csWaveBusTypeAndDeviceID = %s\n", data.csWaveFileName.c_str(),
                      data.csWaveBusTypeAndDeviceID.c_str());
            return trace.Return(TRUE);
        }
    }
    return trace.Return(FALSE);
}

BOOL CSetupFilesInfo::GetINFAssociatedFiles(CDeviceDataList& list)
{
    CTraceScope trace("CSetupFilesInfo::GetINFAssociatedFiles");
    m_candidates.clear();
    m_infs.clear();
    m_waveIDs.clear();
    const BOOL bNT = IsNTPlatform();
    for (size_t n = 0; n < list.GetCount(); ++n)
    {
        DEVICE_DATA data = list.GetAt(n);
        if (GetChildFileName(data) && !bNT)
        {
            // On Windows 9x the child function names the device.
            CInf& child = Inf(data.ChildDevice[0].csChildFileName);
            child.GetModelLineField(data.ChildDevice[0].csChildBusTypeAndDeviceID, data.csDeviceDesc);
            child.GetKeyValue("Version", "Class", data.csClassType, 1);
        }
        data.csWaveBusTypeAndDeviceID = bNT ? DeclaredWaveID(data.csEnumFileName) : std::string();
        if (data.csWaveBusTypeAndDeviceID.empty())
            GetWaveFileName(data);
        list.SetAt(n, data);
    }
    return trace.Return(TRUE);
}

void CSetupFilesInfo::GetMiscCopyFileList(const DEVICE_DATA& data, CCopyFilesList& list)
{
    CTraceScope trace("CSetupFilesInfo::GetMiscCopyFileList");
    AddInfAndCatalog(Inf(data.csEnumFileName), data.csEnumFileName, list);
    for (const CHILD_DEVICE& child : data.ChildDevice)
    {
        if (!child.csChildFileName.empty())
            AddInfAndCatalog(Inf(child.csChildFileName), child.csChildFileName, list);
    }
    if (!data.csWaveFileName.empty())
        AddInfAndCatalog(Inf(data.csWaveFileName), data.csWaveFileName, list);
    if (IsNTPlatform() && !IsUninstallRecord(data))
    {
        COPY_FILES_INFO disk;
        disk.kFileName = "DISK1";
        disk.kSourceFile = data.csInstallPath + "\\DISK1";
        disk.kDestinationFile = "UNKNOWN";
        AddBounded(list, disk);
    }
}

void CSetupFilesInfo::GetCopyFileListFromINF(const DEVICE_DATA& data, CCopyFilesList& list)
{
    CTraceScope trace("CSetupFilesInfo::GetCopyFileListFromINF");
    if (data.SetupStatus != DEVICE_INSTALL_PENDING && !IsUninstallRecord(data))
        return;
    CCopyFilesList collected;
    Inf(data.csEnumFileName).GetCopyFilesList(data.csBusTypeAndDeviceID, collected);
    for (const CHILD_DEVICE& child : data.ChildDevice)
    {
        if (!child.csChildFileName.empty())
            Inf(child.csChildFileName).GetCopyFilesList(child.csChildBusTypeAndDeviceID, collected);
    }
    GetMiscCopyFileList(data, collected);
    MergeByDestination(collected, list);
}

void CSetupFilesInfo::GetCopyFileListFromINF(const CDeviceDataList& devices, CCopyFilesList& list)
{
    CTraceScope trace("CSetupFilesInfo::GetCopyFileListFromINF");
    for (const DEVICE_DATA& data : devices)
    {
        if (data.SetupStatus != DEVICE_UPGRADE_PENDING && data.SetupStatus != DEVICE_INSTALL_PENDING &&
            !IsUninstallRecord(data))
            continue;
        // Merged record by record: the same as merging everything at the end, without a long list between.
        CCopyFilesList collected;
        Inf(data.csEnumFileName).GetCopyFilesList(data.csBusTypeAndDeviceID, collected);
        for (const CHILD_DEVICE& child : data.ChildDevice)
        {
            if (!child.csChildFileName.empty())
                Inf(child.csChildFileName).GetAllCopyFilesList(collected);
        }
        if (!data.csWaveFileName.empty())
            Inf(data.csWaveFileName).GetAllCopyFilesList(collected);
        GetMiscCopyFileList(data, collected);
        MergeByDestination(collected, list);
    }
}

void CSetupFilesInfo::MergeByDestination(const CCopyFilesList& collected, CCopyFilesList& list)
{
    for (const COPY_FILES_INFO& entry : collected)
    {
        bool bHeld = false;
        for (const COPY_FILES_INFO& held : list)
            bHeld = bHeld || EqualsNoCase(held.kDestinationFile, entry.kDestinationFile);
        if (!bHeld && !AddBounded(list, entry))
            return;
    }
}
