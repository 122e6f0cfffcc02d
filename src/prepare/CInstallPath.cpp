#include "CInstallPath.h"

#include "common/CFileUtility.h"
#include "common/CTraceLog.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

namespace
{

// The switches that install from a private copy of the package: FCTI, PRE, NE/NOHW.
const DWORD COPY_PACKAGE_CONFIG = SETUP_CFG_FCTI | SETUP_CFG_PRE | SETUP_CFG_NO_HARDWARE;

// 100-nanosecond intervals between 1 January 1601 and 1 January 1970.
const unsigned long long UNIX_EPOCH_IN100NS = 116444736000000000ULL;

} // namespace

size_t CInstallPath::GetInstallPaths(const SETUP_PARMS& parms, CStringList& cslInstallPaths)
{
    CTraceScope trace("CInstallPath::GetInstallPaths");
    cslInstallPaths.clear();
    if (parms.dwMode & SETUP_MODE_RESTORE)
    {
        // The drivers saved by an earlier run; taken as they are, without looking for INFs.
        std::string csTemp;
        GetWindowsTempFolder(csTemp, TRUE);
        cslInstallPaths.push_back(csTemp + "PREV\\");
        DisplayCStringList("m_cslInstallPaths", cslInstallPaths);
        return cslInstallPaths.size();
    }

    std::string csLocal;
    GetExeFolder(csLocal, FALSE);
    CStringList roots;
    if (!parms.csForcedInstallPath.empty())
    {
        if (parms.csForcedInstallPath.find(':') == std::string::npos)
            roots.push_back(csLocal + parms.csForcedInstallPath + "\\");
        else
            roots.push_back(parms.csForcedInstallPath + "\\");
    }
    else if (parms.csRlmInstallPathAC97.empty() && parms.csRlpInstallPathAC97.empty())
    {
        std::string csExtracted;
        if (IsCabinetFileInstall(csExtracted))
        {
            roots.push_back(csExtracted);
        }
        else if (parms.dwSetupConfig & COPY_PACKAGE_CONFIG)
        {
            SetupTempInstallPath();
            roots.push_back(m_csTempInstallPath + "\\");
        }
        else
        {
            roots.push_back(csLocal);
        }
    }
    else
    {
        // Paths are searched as folder + pattern, so each root ends in a backslash.
        for (const std::string* pcsPath : {&parms.csRlmInstallPathAC97, &parms.csRlpInstallPathAC97})
        {
            if (!pcsPath->empty())
                roots.push_back(pcsPath->back() == '\\' ? *pcsPath : *pcsPath + "\\");
        }
    }
    DisplayCStringList("cslInstallRootPaths", roots);

    CStringList candidates;
    GetPossibleInstallPaths(roots, candidates);
    ValidateInstallPaths(candidates, cslInstallPaths);
    DisplayCStringList("m_cslInstallPaths", cslInstallPaths);
    return cslInstallPaths.size();
}

void CInstallPath::GetPossibleInstallPaths(const CStringList& roots, CStringList& paths)
{
    CTraceScope trace("CInstallPath::GetPossibleInstallPaths");
    for (const std::string& csRoot : roots)
    {
        paths.push_back(csRoot);
        CheckForSubFolders(csRoot, paths);
    }
}

BOOL CInstallPath::CheckForSubFolders(const std::string& csPath, CStringList& paths)
{
    CTraceScope trace("CInstallPath::CheckForSubFolders");
    size_t nBefore = paths.size();
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA((csPath + "*.*").c_str(), &data));
    if (find)
    {
        do
        {
            std::string csName = data.cFileName;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || csName == "." || csName == "..")
                continue;
            std::string csFolder = ToUpper(csPath + csName + "\\");
            TraceLine("Found Sub Folder = %s\n", csFolder.c_str());
            paths.push_back(csFolder);
        } while (FindNextFileA(find.Get(), &data));
        find.Reset();
    }
    return trace.Return(paths.size() > nBefore);
}

void CInstallPath::ValidateInstallPaths(const CStringList& candidates, CStringList& paths)
{
    CTraceScope trace("CInstallPath::ValidateInstallPaths");
    for (const std::string& csCandidate : candidates)
    {
        WIN32_FIND_DATAA data;
        CScopedFindHandle find(FindFirstFileA((csCandidate + "*.INF").c_str(), &data));
        if (!find)
            continue;
        find.Reset();
        paths.push_back(csCandidate);
    }
}

void CInstallPath::SetupTempInstallPath()
{
    CTraceScope trace("CInstallPath::SetupTempInstallPath");
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    unsigned long long ull100ns = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    unsigned long long ullMs = (ull100ns - UNIX_EPOCH_IN100NS) / 10000ULL;
    auto dwSeconds = static_cast<unsigned>(ullMs / 1000ULL);
    auto dwMilliseconds = static_cast<unsigned>(ullMs % 1000ULL);

    std::string csTemp;
    GetWindowsTempFolder(csTemp, TRUE);
    m_csTempInstallPath = Format("%sSETUP%X%X", csTemp.c_str(), dwSeconds, dwMilliseconds);
    CreateDirectoryA(m_csTempInstallPath.c_str(), nullptr);
    TraceLine("m_csTempInstallPath = %s\n", m_csTempInstallPath.c_str());

    std::string csLocal;
    GetExeFolder(csLocal, TRUE);
    TraceLine("szLocalPath = %s\n", csLocal.c_str());
    if (!CFileUtility::CopyFolder(csLocal, m_csTempInstallPath, nullptr))
        TraceLine("Failed to Copy Folder\n");
}
