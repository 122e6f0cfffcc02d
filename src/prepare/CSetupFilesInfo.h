// Completes device records with the INFs of their child and wave functions, and lists the files an install
// puts on the system: the files of the INFs' CopyFiles directives, the INFs, their catalogs and the
// package's DISK1 folder, each destination once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "inf/CInf.h"
#include "inf/InfRecords.h"
#include "platform/StringList.h"
#include "prepare/CDeviceDataList.h"

class CSetupFilesInfo
{
public:
    BOOL GetINFAssociatedFiles(CDeviceDataList& list);
    BOOL GetChildFileName(DEVICE_DATA& data);
    BOOL GetWaveFileName(DEVICE_DATA& data);
    // One record (SetupStatus 3, 7 or 8), its children and miscellaneous files, merged into the list.
    void GetCopyFileListFromINF(const DEVICE_DATA& data, CCopyFilesList& list);
    // Every record with SetupStatus 1, 3, 7 or 8.
    void GetCopyFileListFromINF(const CDeviceDataList& devices, CCopyFilesList& list);
    void GetMiscCopyFileList(const DEVICE_DATA& data, CCopyFilesList& list);

    // Appends each entry whose destination (case ignored) the list does not hold yet, 500 at most.
    static void MergeByDestination(const CCopyFilesList& collected, CCopyFilesList& list);

private:
    // An INF that may hold a related device, and its hardware IDs in upper case.
    struct CANDIDATE_INF
    {
        std::string csFileName;
        CStringList hardwareIDs;
    };
    // The INFs searched for a record's children (or its wave function), read once per folder pattern.
    const std::vector<CANDIDATE_INF>& Candidates(const DEVICE_DATA& data, bool bWave);
    const std::vector<CANDIDATE_INF>& CandidatesOf(const std::string& csPattern);

    // Every INF is opened once per object: a package's devices share few INFs, which would otherwise be
    // read again for every device and every question.
    CInf& Inf(const std::string& csFileName);
    // The wave hardware ID an INF declares (NT), read once per INF.
    const std::string& DeclaredWaveID(const std::string& csFileName);

    std::map<std::string, std::vector<CANDIDATE_INF>> m_candidates;
    std::map<std::string, std::unique_ptr<CInf>> m_infs;
    std::map<std::string, std::string> m_waveIDs;
};
