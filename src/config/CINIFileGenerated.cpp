// The two device INIs setup writes for a device section: the country file made from the package's country
// parameters (with the unsupported regions to delete), and the application file for the companion
// applications; and their install after the driver's.
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "config/CINIFile.h"
#include "devapi/KDeviceApi.h"
#include "platform/CTextFile.h"
#include "platform/StringUtil.h"

namespace
{

const DWORD FOLDER_PAUSE_MS = 100;
const DWORD REGION_BYTES = 32;
// A REGIONLIST longer than this is not a region bit map.
const DWORD REGION_FIELD_BYTES = 1024;
const unsigned long long UNIX_EPOCH_SECONDS = 11644473600ULL;

// Seconds since 1970 and the milliseconds part of the current time.
void CurrentTime(DWORD& dwSeconds, DWORD& dwMilliseconds)
{
    FILETIME ft = {};
    GetSystemTimeAsFileTime(&ft);
    unsigned long long ullTicks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    unsigned long long ullMs = ullTicks / 10000ULL;
    dwSeconds = static_cast<DWORD>(ullMs / 1000ULL - UNIX_EPOCH_SECONDS);
    dwMilliseconds = static_cast<DWORD>(ullMs % 1000ULL);
}

// The region bit map of the generated country file. Bits the file does not give count as supported, so
// that nothing is deleted that the file did not name.
void ReadRegionBitMap(const std::string& csFile, BYTE bitMap[REGION_BYTES])
{
    for (DWORD i = 0; i < REGION_BYTES; ++i)
        bitMap[i] = 0xFF;
    KDeviceApi* pApi = GetDeviceApi();
    HINF hInf = pApi ? pApi->KSetupOpenInfFile(csFile.c_str(), nullptr, INF_STYLE_WIN4, nullptr) : nullptr;
    if (!hInf || hInf == INVALID_HANDLE_VALUE)
    {
        TraceLine("ERROR : cannot read the region list of %s\n", csFile.c_str());
        return;
    }
    INFCONTEXT context;
    for (BOOL bLine = pApi->KSetupFindFirstLine(hInf, "REGION", nullptr, &context); bLine;
         bLine = pApi->KSetupFindNextLine(&context, &context))
    {
        char szKey[MAX_PATH] = {0};
        char szValue[MAX_PATH] = {0};
        char szFlags[MAX_PATH] = {0};
        if (!pApi->KSetupGetStringField(&context, 2, szKey, MAX_PATH, nullptr) ||
            !pApi->KSetupGetStringField(&context, 3, szValue, MAX_PATH, nullptr) || !EqualsNoCase(szKey, "REGION") ||
            !EqualsNoCase(szValue, "REGIONLIST"))
            continue;
        pApi->KSetupGetStringField(&context, 4, szFlags, MAX_PATH, nullptr);
        if (Trim(szFlags) == "1")
        {
            BYTE data[REGION_FIELD_BYTES] = {0};
            DWORD dwSize = 0;
            if (pApi->KSetupGetBinaryField(&context, 5, data, REGION_FIELD_BYTES, &dwSize))
            {
                for (DWORD i = 0; i < REGION_BYTES && i < dwSize; ++i)
                    bitMap[i] = data[i];
            }
            else
                TraceLine("ERROR : REGIONLIST is not binary data\n");
        }
        else
        {
            char szData[MAX_PATH] = {0};
            if (pApi->KSetupGetStringField(&context, 5, szData, MAX_PATH, nullptr))
            {
                for (DWORD i = 0; i < REGION_BYTES && szData[i]; ++i)
                    bitMap[i] = static_cast<BYTE>(szData[i]);
            }
        }
        // Only the first REGIONLIST line counts.
        break;
    }
    pApi->KSetupCloseInfFile(hInf);
}

} // namespace

std::string CINIFile::MakeGeneratedFilePath(const std::string& csName)
{
    std::string csTemp;
    if (csName.empty() || csName.find("..") != std::string::npos || csName.find(':') != std::string::npos ||
        !GetWindowsTempFolder(csTemp, TRUE))
        return std::string();
    DWORD dwSeconds = 0;
    DWORD dwMilliseconds = 0;
    CurrentTime(dwSeconds, dwMilliseconds);
    std::string csPath = Format("%sSETUP%X%X\\%s", csTemp.c_str(), static_cast<unsigned>(dwSeconds),
                                static_cast<unsigned>(dwMilliseconds), csName.c_str());
    if (csPath.size() >= MAX_PATH)
    {
        TraceLine("ERROR : generated file path too long: %s\n", csPath.c_str());
        return std::string();
    }
    for (size_t nSlash = csPath.find('\\', csTemp.size()); nSlash != std::string::npos;
         nSlash = csPath.find('\\', nSlash + 1))
    {
        std::string csLevel = csPath.substr(0, nSlash);
        if (GetFileAttributesA(csLevel.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!CreateDirectoryA(csLevel.c_str(), nullptr))
            return std::string();
        Sleep(FOLDER_PAUSE_MS);
    }
    return csPath;
}

void CINIFile::DeleteGeneratedFile(const std::string& csPath)
{
    DeleteFileA(csPath.c_str());
    Sleep(FOLDER_PAUSE_MS);
    size_t nSlash = csPath.find_last_of('\\');
    if (nSlash != std::string::npos)
        RemoveDirectoryA(csPath.substr(0, nSlash).c_str());
}

BOOL CINIFile::SetupHomolFile(DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CINIFile::SetupHomolFile");
    if (!pData || pData->csHomolFileName.empty())
        return trace.Return(TRUE);
    if (pData->nHomolFileType != HOMOL_FILE_GENERATE_INI)
    {
        pData->csHomolFileName = m_szINIPath + pData->csHomolFileName;
        return trace.Return(TRUE);
    }
    std::string csOld = m_szINIPath + pData->csHomolFileName;
    std::string csNew = MakeGeneratedFilePath(pData->csHomolFileName);
    TraceLine("csOldFile = %s, csNewFile = %s\n", csOld.c_str(), csNew.c_str());
    CTextFile source;
    CTextFile target;
    if (csNew.empty() || !source.OpenRead(csOld.c_str()) || !target.Create(csNew.c_str()))
    {
        TraceLine("ERROR : cannot generate the country file from %s\n", csOld.c_str());
        if (!csNew.empty())
        {
            target.Close();
            DeleteGeneratedFile(csNew);
        }
        return trace.Return(FALSE);
    }
    target.Write("[Version]\nSignature = $CHICAGO$\nDEVTYPE_DVX_INI_FILE = 1\n\n[FLAGS]\nCTY_PARMS = 1\n\n"
                 "[TASKS]\nAddReg = REGION\nDelReg = UNSUPPORTED_REGIONS\n\n");
    std::string csLine;
    while (source.ReadLine(csLine, 4096))
        target.Write(csLine + "\n");
    target.Write("\n[UNSUPPORTED_REGIONS]\n");
    target.Close();
    pData->csHomolFileName = csNew;

    BYTE bitMap[REGION_BYTES];
    ReadRegionBitMap(csNew, bitMap);
    std::string csLines;
    for (DWORD i = 0; i < REGION_BYTES; ++i)
    {
        for (DWORD j = 0; j < 8; ++j)
        {
            if (!(bitMap[i] & (1u << j)))
                csLines += Format("HKR,REGION\\%04X\n", static_cast<unsigned>(i * 8 + j));
        }
    }
    if (!target.OpenWrite(csNew.c_str()) || !target.SeekToEnd() || !target.Write(csLines))
        return trace.Return(FALSE);
    return trace.Return(TRUE);
}

BOOL CINIFile::SetupInstallAppFile(DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CINIFile::SetupInstallAppFile");
    if (!pData)
        return trace.Return(FALSE);
    pData->csInstallAppFile = MakeGeneratedFilePath("InstApp.ini");
    CTextFile file;
    if (pData->csInstallAppFile.empty() || !file.Create(pData->csInstallAppFile.c_str()))
        return trace.Return(FALSE);
    file.Write("[Version]\nSignature = $CHICAGO$\nDEVTYPE_DVX_INI_FILE = 1\n\n[InstallApp]\n");
    BOOL bSilent = m_pSetupParms && (m_pSetupParms->dwSetupConfig & SETUP_CFG_SILENT);
    struct AppField
    {
        const std::string* pcsSetupExe;
        bool bTrimArgs;
        const char* pszTail;
    };
    const AppField fields[] = {
        {&pData->csNWInstallSetupExe, true, "1,CallHold,,CALLHOLD.EXE"},
        {&pData->csOCPInstallSetupExe, false, "1,Digital Line Detect,,DLG.EXE"},
    };
    for (const AppField& field : fields)
    {
        const std::string& csSetup = *field.pcsSetupExe;
        if (csSetup.empty())
            continue;
        std::string csProgram;
        std::string csArgs;
        size_t nExe = FindNoCase(csSetup, ".EXE");
        if (nExe != std::string::npos)
        {
            csProgram = Trim(csSetup.substr(0, nExe + 4));
            csArgs = csSetup.substr(nExe + 4);
            if (field.bTrimArgs)
                csArgs = Trim(csArgs);
        }
        if (bSilent && csArgs.find("-S") == std::string::npos && csArgs.find("-s") == std::string::npos &&
            csArgs.find("/S") == std::string::npos && csArgs.find("/s") == std::string::npos)
            csArgs += " -S";
        file.Write(Format("InstallApp = %s,%s,%s\n", csProgram.c_str(), csArgs.c_str(), field.pszTail));
    }
    TraceLine("pDeviceINIInstallData->csInstallAppFile = %s\n", pData->csInstallAppFile.c_str());
    return trace.Return(TRUE);
}

BOOL CINIFile::InstallMiscINIFiles(DEVICE_INI_INSTALL_DATA* pData)
{
    CTraceScope trace("CINIFile::InstallMiscINIFiles");
    if (!pData)
        return trace.Return(FALSE);
    Initialize(pData->csDeviceID.c_str());
    BOOL bRestart = FALSE;
    if (!pData->csHomolFileName.empty())
    {
        TraceLine("DeviceINIInstallData->csHomolFileName = %s\n", pData->csHomolFileName.c_str());
        if (pData->nHomolFileType == HOMOL_FILE_GENERATE_INI)
        {
            BOOL bOne = FALSE;
            KINIFile::InstallSingleINIFile(pData->csHomolFileName.c_str(), &bOne, TRUE);
            bRestart = bRestart || bOne;
            DeleteGeneratedFile(pData->csHomolFileName);
        }
        else if (pData->nHomolFileType == HOMOL_FILE_COPY_TO_SYSTEM)
        {
            size_t nSlash = pData->csHomolFileName.find_last_of('\\');
            std::string csName =
                nSlash == std::string::npos ? pData->csHomolFileName : pData->csHomolFileName.substr(nSlash + 1);
            char szSystem[MAX_PATH] = {0};
            if (GetSystemDirectoryA(szSystem, MAX_PATH))
                CopyFileA(pData->csHomolFileName.c_str(), (std::string(szSystem) + "\\" + csName).c_str(), FALSE);
            CDevNode devNode(pData->csDeviceID.c_str(), TRUE);
            DWORD dwCopy = 1;
            devNode.WriteDriverSubKeyValue("Region", "COPY_CTY", REG_BINARY, reinterpret_cast<const BYTE*>(&dwCopy),
                                           sizeof(dwCopy));
            devNode.WriteDriverKeyValue("CtyFileName", REG_SZ, reinterpret_cast<const BYTE*>(csName.c_str()),
                                        static_cast<DWORD>(csName.size() + 1));
        }
    }
    if (!pData->csInstallAppFile.empty())
    {
        BOOL bOne = FALSE;
        KINIFile::InstallSingleINIFile(pData->csInstallAppFile.c_str(), &bOne, TRUE);
        bRestart = bRestart || bOne;
        DeleteGeneratedFile(pData->csInstallAppFile);
    }
    TraceLine("CINIFile::InstallMiscINIFiles : bRebootRequired = %d\n", bRestart);
    return trace.Return(bRestart);
}
