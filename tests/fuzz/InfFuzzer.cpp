// libFuzzer target: arbitrary bytes as an INF file on a winsim machine, read by winsim's INF engine and
// asked every question setup asks of an INF. Nothing may crash, hang or read outside a buffer.
//
// By default the input stays in memory (winsim::SetMemoryInf): SetupOpenInfFileA reads it without a file
// and the registry pass of an install is left out, so nothing goes through the machine's journalled store
// and the fuzzer runs thousands of inputs a second. INF_FUZZ_FILES=1 writes each input to the machine's
// drive and runs the registry pass too, as a real run would (tens of inputs a second).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "inf/CInf.h"
#include "devapi/KDeviceApi.h"
#include "platform/win32.h"
#include "winsim/winsim.h"

namespace
{

const char* kInfPath = "C:\\FUZZ\\FUZZ.INF";
const char* kScratchKey = "Software\\Fuzz";
std::string g_machineDir;
KDeviceApi* g_pDeviceApi = nullptr;
bool g_bFiles = false;

void RemoveMachine()
{
    delete g_pDeviceApi;
    g_pDeviceApi = nullptr;
    winsim::Detach(0);
    std::system(("rm -rf '" + g_machineDir + "'").c_str());
}

bool WriteInf(const uint8_t* data, size_t size)
{
    HANDLE hFile = CreateFileA(kInfPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    BOOL bOk = WriteFile(hFile, data, static_cast<DWORD>(size), &dwWritten, nullptr);
    CloseHandle(hFile);
    return bOk && dwWritten == size;
}

// Every line of a section through the engine's field readers, with small and exact buffers.
void WalkSection(HINF hInf, const char* pszSection)
{
    INFCONTEXT context;
    int nLines = 0;
    for (BOOL bLine = SetupFindFirstLineA(hInf, pszSection, nullptr, &context); bLine && nLines < 2000;
         bLine = SetupFindNextLine(&context, &context), ++nLines)
    {
        char szText[64];
        DWORD dwRequired = 0;
        SetupGetLineTextA(&context, nullptr, nullptr, nullptr, szText, sizeof(szText), &dwRequired);
        DWORD dwFields = SetupGetFieldCount(&context);
        for (DWORD i = 0; i <= dwFields + 1 && i < 64; ++i)
        {
            char szSmall[8];
            SetupGetStringFieldA(&context, i, szSmall, sizeof(szSmall), &dwRequired);
            INT nValue = 0;
            SetupGetIntField(&context, i, &nValue);
        }
        BYTE binary[16];
        SetupGetBinaryField(&context, 1, binary, sizeof(binary), &dwRequired);
        char szPath[MAX_PATH];
        SetupGetTargetPathA(hInf, &context, nullptr, szPath, sizeof(szPath), &dwRequired);
    }
}

void AskEverything()
{
    CInf inf;
    if (!inf.Initialize(kInfPath))
        return;
    inf.HasValidModelHardwareID();
    CStringList ids;
    inf.GetHardwareIDList(ids);
    for (const std::string& csID : ids)
    {
        std::string csOut;
        inf.FindHardwareID(csID, &csOut);
        inf.GetInstallSectionForID(csID, csOut);
        inf.GetModelLineField(csID, csOut);
        inf.GetChildHardwareIDForModel(csID, csOut);
        CStringList children;
        inf.GetChildHardwareIDList(csID, 3, children);
        CCopyFilesList files;
        inf.GetCopyFilesList(csID, files);
        inf.IncludesKernelStreaming(csID);
        inf.FindAddRegValue(csID, "WaveDriver", "WaveHardwareID", csOut);
    }
    CCopyFilesList allFiles;
    inf.GetAllCopyFilesList(allFiles);
    CAddRegList addReg;
    inf.GetAddRegList("ALL", "HKR", addReg);
    inf.GetRegEntries("TASKS", "HKR", CInf::REG_ENTRIES_ADDREG | CInf::REG_ENTRIES_DELREG, addReg);
    CStringList kill;
    inf.GetKillAppsList(kill);
    std::string csValue;
    inf.GetWaveHardwareID(csValue);
    inf.GetKeyValue("Version", "Signature", csValue, 1);
    inf.GetNthKeyField("Manufacturer", "", 0, 1, 1, csValue);
    BYTE data[8];
    inf.GetAddRegBinaryValue("TASKS", "", "Properties", data, sizeof(data));
    CVistaWaveRTRegList waveRT;
    inf.GetINIVistaWaveRTRegData("VistaWaveRTEdit1", waveRT);

    HINF hInf = SetupOpenInfFileA(kInfPath, nullptr, INF_STYLE_WIN4, nullptr);
    if (hInf != INVALID_HANDLE_VALUE)
    {
        for (const char* pszSection :
             {"Version", "Manufacturer", "Strings", "DestinationDirs", "SourceDisksFiles", "TASKS"})
            WalkSection(hInf, pszSection);
        SetupCloseInfFile(hInf);
    }
    if (!g_bFiles)
        return;

    // The registry pass of an install, under a scratch key that is emptied afterwards.
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) ==
        ERROR_SUCCESS)
    {
        HINF hInf = SetupOpenInfFileA(kInfPath, nullptr, INF_STYLE_WIN4, nullptr);
        if (hInf != INVALID_HANDLE_VALUE)
        {
            SetupInstallFromInfSectionA(nullptr, hInf, "TASKS", SPINST_REGISTRY, hKey, nullptr, 0, nullptr, nullptr,
                                        nullptr, nullptr);
            SetupCloseInfFile(hInf);
        }
        RegCloseKey(hKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* pszFiles = std::getenv("INF_FUZZ_FILES");
    g_bFiles = pszFiles && *pszFiles == '1';
    g_machineDir = "/dev/shm/drvsetup-inf-fuzz-" + std::to_string(getpid());
    std::string error;
    if (!winsim::CreateMachine(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2", g_machineDir, error))
    {
        std::fprintf(stderr, "inf_fuzzer: %s\n", error.c_str());
        std::exit(1);
    }
    winsim::AttachOptions options;
    options.machineDir = g_machineDir;
    options.imagePath = "C:\\FUZZ\\INFFUZZ.EXE";
    if (!winsim::Attach(options, error) || !CreateDirectoryA("C:\\FUZZ", nullptr))
    {
        std::fprintf(stderr, "inf_fuzzer: %s\n", error.c_str());
        std::exit(1);
    }
    // The device layer that CInf reads INFs through, as the application object makes it for a run.
    g_pDeviceApi = new KDeviceApi;
    std::atexit(RemoveMachine);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 16))
        return 0;
    if (!g_bFiles)
        winsim::SetMemoryInf(kInfPath, std::string(reinterpret_cast<const char*>(data), size));
    else if (!WriteInf(data, size))
        return 0;
    AskEverything();
    return 0;
}
