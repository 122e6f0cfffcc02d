#include "CCabFile.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringList.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

const char* const CCabFile::EXTRACT_FOLDER_NAME = "DVX_CAB_EXTRACT";

namespace
{

// The entries of a folder pattern but "." and "..", as full paths.
CStringList ListEntries(const std::string& csFolder, const char* pszPattern)
{
    CStringList entries;
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA((csFolder + pszPattern).c_str(), &data));
    if (!find)
        return entries;
    do
    {
        std::string csName = data.cFileName;
        if (csName != "." && csName != "..")
            entries.push_back(csFolder + csName);
    } while (FindNextFileA(find.Get(), &data));
    find.Reset();
    return entries;
}

} // namespace

CCabFile::~CCabFile()
{
    CleanUpCabinetFiles();
}

UINT CALLBACK CCabFile::ExtractCallback(PVOID pContext, UINT uNotification, UINT_PTR uParam1, UINT_PTR)
{
    if (uNotification != SPFILENOTIFY_FILEINCABINET)
        return 0;
    auto* pInfo = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(uParam1);
    const char* pszFolder = static_cast<const char*>(pContext);
    if (!pInfo || !pszFolder || !pInfo->NameInCabinet)
        return FILEOP_SKIP;
    // A target that does not fit the platform's buffer is skipped rather than cut to another name.
    std::string csTarget = std::string(pszFolder) + pInfo->NameInCabinet;
    if (csTarget.size() >= sizeof(pInfo->FullTargetName))
        return FILEOP_SKIP;
    FormatBounded(pInfo->FullTargetName, sizeof(pInfo->FullTargetName), "%s", csTarget.c_str());
    return FILEOP_DOIT;
}

BOOL CCabFile::IsCabinetFileInstall(std::string& csExtractPath)
{
    CTraceScope trace("CCabFile::IsCabinetFileInstall");
    BOOL bRetVal = FALSE;
    std::string csFolder;
    std::string csCabinet;
    bool bHasInf = false;
    if (GetExeFolder(csFolder, FALSE))
    {
        for (const std::string& csEntry : ListEntries(csFolder, "*.*"))
        {
            std::string csUpper = ToUpper(csEntry);
            if (csUpper.find(".CAB") != std::string::npos)
                csCabinet = csUpper;
            if (csUpper.find(".INF") != std::string::npos)
                bHasInf = true;
        }
    }
    std::string csTemp;
    KDeviceApi* pApi = GetDeviceApi();
    if (!csCabinet.empty() && !bHasInf && pApi && GetWindowsTempFolder(csTemp, TRUE))
    {
        m_szExtractPath = csTemp + EXTRACT_FOLDER_NAME;
        CreateDirectoryA(m_szExtractPath.c_str(), nullptr);
        m_szExtractPath += "\\";
        if (m_szExtractPath.size() < MAX_PATH && pApi->KSetupIterateCabinet(csCabinet.c_str(), 0, ExtractCallback,
                                                                            const_cast<char*>(m_szExtractPath.c_str())))
        {
            TraceLine("Target Path = %s\n", m_szExtractPath.c_str());
            csExtractPath = m_szExtractPath;
            bRetVal = TRUE;
        }
    }
    m_bExtracted = bRetVal;
    TraceLine("CCabFile :: IsCabinetFileInstall : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

BOOL CCabFile::ExtractCabFile(const char* pszCabinet, const char* pszTargetFolder)
{
    CTraceScope trace("CCabFile::ExtractCabFile");
    KDeviceApi* pApi = GetDeviceApi();
    BOOL bRetVal = pApi && pszCabinet && pszTargetFolder &&
                   pApi->KSetupIterateCabinet(pszCabinet, 0, ExtractCallback, const_cast<char*>(pszTargetFolder));
    TraceLine("CCabFile :: ExtractCabFile : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

void CCabFile::CleanUpCabinetFiles()
{
    if (!m_bExtracted)
        return;
    CTraceScope trace("CCabFile::CleanUpCabinetFiles");
    for (const std::string& csEntry : ListEntries(m_szExtractPath, "*.*"))
    {
        BOOL bDeleted = DeleteFileA(csEntry.c_str());
        TraceLine("Delete File : %s - %d\n", csEntry.c_str(), bDeleted ? 1 : 0);
    }
    if (!m_szExtractPath.empty() && m_szExtractPath.back() == '\\')
        m_szExtractPath.pop_back();
    RemoveDirectoryA(m_szExtractPath.c_str());
    m_bExtracted = FALSE;
}
