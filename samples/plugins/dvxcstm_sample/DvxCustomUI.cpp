// A sample custom UI library ("DVXCSTM.DLL") for the setup program. It replaces the install's progress
// window and both install screens, and leaves the preparation and every uninstall screen to the program.
// What it did goes to CUSTOMUI.TXT in the program's folder, one line per call, so tests and the demo can
// see it:
//   InstallProgBar: waits (checking every 250 ms) until the percent it was given reaches 100, noting each
//                   new tens value it sees, then "InstallProgBar done 100".
//   BeginInstallDlg: notes the table's row count and returns 1 (go on), or 0 when the program's folder
//                   holds CANCEL.TXT.
//   EndInstallDlg:  notes each row: description and status.
// One source for both builds: the Win32 API only, exports undecorated (the Windows build links with
// --kill-at).
#include <windows.h>

#include <cstdio>
#include <string>

#ifdef _WIN32
#define CUSTOM_UI_EXPORT extern "C" __declspec(dllexport)
#else
#define CUSTOM_UI_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace
{

// The result table the program hands over: a count, then 100 rows of description and status.
struct InstallRow
{
    char szDeviceDesc[260];
    DWORD eDeviceStatus;
};
struct InstallTable
{
    DWORD dwCnt;
    InstallRow rows[100];
};

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder(path, length);
    const size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

void Note(const std::string& line)
{
    HANDLE file = CreateFileA((ProgramFolder() + "CUSTOMUI.TXT").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Another thread raises the percent: read it as the atomic it is.
LONG ReadPercent(LONG* pnPercent)
{
    return __atomic_load_n(pnPercent, __ATOMIC_SEQ_CST);
}

} // namespace

CUSTOM_UI_EXPORT void WINAPI InstallProgBar(LONG* pnPercent)
{
    if (!pnPercent)
        return;
    LONG nShown = -1;
    for (;;)
    {
        const LONG nPercent = ReadPercent(pnPercent);
        if (nShown < 0 || nPercent / 10 != nShown / 10)
        {
            nShown = nPercent;
            Note("InstallProgBar " + std::to_string(nPercent));
        }
        if (nPercent >= 100)
            break;
        Sleep(250);
    }
    Note("InstallProgBar done " + std::to_string(ReadPercent(pnPercent)));
}

CUSTOM_UI_EXPORT int WINAPI BeginInstallDlg(void* pInstallInfo)
{
    const auto* table = static_cast<const InstallTable*>(pInstallInfo);
    const DWORD count = table ? (table->dwCnt > 100 ? 100 : table->dwCnt) : 0;
    Note("BeginInstallDlg rows " + std::to_string(count));
    const bool cancel = GetFileAttributesA((ProgramFolder() + "CANCEL.TXT").c_str()) != INVALID_FILE_ATTRIBUTES;
    return cancel ? 0 : 1;
}

CUSTOM_UI_EXPORT void WINAPI EndInstallDlg(void* pInstallInfo)
{
    const auto* table = static_cast<const InstallTable*>(pInstallInfo);
    if (!table)
        return;
    const DWORD count = table->dwCnt > 100 ? 100 : table->dwCnt;
    for (DWORD i = 0; i < count; ++i)
    {
        char description[261];
        std::snprintf(description, sizeof(description), "%.260s", table->rows[i].szDeviceDesc);
        Note(std::string("EndInstallDlg ") + description + " = " + std::to_string(table->rows[i].eDeviceStatus));
    }
}
