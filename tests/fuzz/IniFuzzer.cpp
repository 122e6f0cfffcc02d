// libFuzzer target: arbitrary bytes as a configuration INI, a device INI, a country file and a response file
// on a winsim machine, read by the profile section reader and the INI layout reader the way setup reads
// them. Nothing may crash, hang, read outside a buffer or change the registry.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "config/CINIFile.h"
#include "config/ProfileSection.h"
#include "devapi/KDeviceApi.h"
#include "platform/win32.h"
#include "winsim/winsim.h"

namespace
{

const char* kFolder = "C:\\FUZZ";
const char* kIniPath = "C:\\FUZZ\\FUZZ.INI";
// A present device without a driver: the layout is read in full, but nothing can be installed on it.
const char* kDeviceID = "PCI\\VEN_F0E1&DEV_2F20";
std::string g_machineDir;
std::unique_ptr<KDeviceApi> g_pDeviceApi;

void RemoveMachine()
{
    g_pDeviceApi.reset();
    winsim::Detach(0);
    std::system(("rm -rf '" + g_machineDir + "'").c_str());
}

bool WriteIni(const uint8_t* data, size_t size)
{
    HANDLE hFile = CreateFileA(kIniPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    BOOL bOk = WriteFile(hFile, data, static_cast<DWORD>(size), &dwWritten, nullptr);
    CloseHandle(hFile);
    return bOk && dwWritten == size;
}

void DeleteGenerated(const std::string& csPath)
{
    if (csPath.empty() || csPath.find("\\TEMP\\SETUP") == std::string::npos)
        return;
    DeleteFileA(csPath.c_str());
    RemoveDirectoryA(csPath.substr(0, csPath.find_last_of('\\')).c_str());
}

void ReadAsResponseFile()
{
    CIniEntryList dialogs;
    if (!GetSectionEntries(kIniPath, "DlgOrder", dialogs))
        return;
    for (const INI_ENTRY& dialog : dialogs)
    {
        CIniEntryList entries;
        GetSectionEntries(kIniPath, dialog.ksParm1, entries);
    }
}

void ReadAsConfigurationIni()
{
    CINIFile ini(kFolder);
    std::string csCmdLine;
    SETUP_PARMS parms;
    ini.GetDVXSetupCfgParms(csCmdLine, &parms);
    ini.GetFileCfgParms(&parms);
    ini.IsOemSytleINIFileExist();
    CStringList ids;
    std::string csCopy;
    if (ini.GetDefinedDeviceIDS(ids, csCopy))
    {
        for (size_t i = 0; i < ids.size() && i < 8; ++i)
        {
            DEVICE_INI_INSTALL_DATA data;
            if (ini.GetDeviceSpecificInstallInfo(csCopy, ids[i], &parms, &data))
            {
                DeleteGenerated(data.csHomolFileName);
                DeleteGenerated(data.csInstallAppFile);
            }
        }
        CINIFile::DeleteNumberedCopy(csCopy);
    }
}

void ReadAsCountryFile()
{
    CINIFile ini(kFolder);
    DEVICE_INI_INSTALL_DATA data;
    data.csHomolFileName = "FUZZ.INI";
    ini.SetupHomolFile(&data);
    DeleteGenerated(data.csHomolFileName);
}

void ReadAsDeviceIni()
{
    CINIFile ini(kFolder);
    DWORD dwFlags = 1;
    ini.InstallSingleINIFile(kDeviceID, kIniPath, &dwFlags);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_machineDir = "/dev/shm/drvsetup-ini-fuzz-" + std::to_string(getpid());
    std::string error;
    if (!winsim::CreateMachine(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2", g_machineDir, error))
    {
        std::fprintf(stderr, "ini_fuzzer: %s\n", error.c_str());
        std::exit(1);
    }
    winsim::AttachOptions options;
    options.machineDir = g_machineDir;
    options.imagePath = "C:\\FUZZ\\INIFUZZ.EXE";
    if (!winsim::Attach(options, error) || !CreateDirectoryA(kFolder, nullptr))
    {
        std::fprintf(stderr, "ini_fuzzer: %s\n", error.c_str());
        std::exit(1);
    }
    g_pDeviceApi = std::make_unique<KDeviceApi>();
    std::atexit(RemoveMachine);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 14) || !WriteIni(data, size))
        return 0;
    ReadAsResponseFile();
    ReadAsConfigurationIni();
    ReadAsCountryFile();
    ReadAsDeviceIni();
    return 0;
}
