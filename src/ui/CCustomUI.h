// The bridge to the package's optional custom UI library, "DVXCSTM.DLL" beside the program. Each export is
// looked up anew at every call; a missing library or export makes the call return FALSE without calling
// anything, and the caller shows its built-in screen instead. Every export takes one pointer and uses the
// platform's standard calling convention.
#pragma once

#include "platform/win32.h"

class CCustomUI
{
public:
    static constexpr const char* kLibraryName = "DVXCSTM.DLL";

    // The library from the program's folder, or null.
    static HMODULE LoadCustomUI();
    static void FreeCustomUI(HMODULE hCustomUI);

    // Progress functions: they return when *pnPercent has reached 100.
    static BOOL InitInstallProgBar(HMODULE hCustomUI, LONG* pnPercent);
    static BOOL InstallProgBar(HMODULE hCustomUI, LONG* pnPercent);
    static BOOL InitUninstallProgBar(HMODULE hCustomUI, LONG* pnPercent);
    static BOOL UninstallProgBar(HMODULE hCustomUI, LONG* pnPercent);
    // Confirmations: *pnResult is the library's answer (1 goes on).
    static BOOL BeginInstallDlg(HMODULE hCustomUI, void* pInstallInfo, int* pnResult);
    static BOOL BeginUninstallDlg(HMODULE hCustomUI, void* pInstallInfo, int* pnResult);
    static BOOL EndInstallDlg(HMODULE hCustomUI, void* pInstallInfo);
    static BOOL EndUninstallDlg(HMODULE hCustomUI, void* pInstallInfo);

private:
    static FARPROC Lookup(HMODULE hCustomUI, const char* pszExport);
    static BOOL CallProgress(HMODULE hCustomUI, const char* pszExport, LONG* pnPercent);
    static BOOL CallTable(HMODULE hCustomUI, const char* pszExport, void* pInstallInfo, int* pnResult);
};
