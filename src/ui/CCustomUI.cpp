#include "CCustomUI.h"

#include <cstring>

#include "common/CTraceScope.h"
#include "platform/CScopedHandle.h"

namespace
{

typedef void(WINAPI* PFN_PROGRESS)(LONG* pnPercent);
typedef int(WINAPI* PFN_TABLE)(void* pInstallInfo);

} // namespace

HMODULE CCustomUI::LoadCustomUI()
{
    CTraceScope trace("CCustomUI::LoadCustomUI");
    char szPath[MAX_PATH];
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    if (nLength == 0 || nLength >= sizeof(szPath))
    {
        TraceLine("ERROR: GetModuleFileNameA failed, GetLastError = %lu\n", static_cast<unsigned long>(GetLastError()));
        trace.Return(FALSE);
        return nullptr;
    }
    char* pszSlash = std::strrchr(szPath, '\\');
    const size_t nFolder = pszSlash ? static_cast<size_t>(pszSlash - szPath) + 1 : 0;
    if (nFolder + std::strlen(LIBRARY_NAME) >= sizeof(szPath))
    {
        TraceLine("ERROR: the program's folder is too long for %s\n", LIBRARY_NAME);
        trace.Return(FALSE);
        return nullptr;
    }
    std::strcpy(szPath + nFolder, LIBRARY_NAME);
    HMODULE hCustomUI = LoadLibraryA(szPath);
    TraceLine("LoadLibraryA(%s) = %p\n", szPath, static_cast<void*>(hCustomUI));
    trace.Return(hCustomUI != nullptr);
    return hCustomUI;
}

void CCustomUI::FreeCustomUI(HMODULE hCustomUI)
{
    // The library LoadCustomUI handed out comes back to be released here.
    CScopedLibrary library(hCustomUI);
}

FARPROC CCustomUI::Lookup(HMODULE hCustomUI, const char* pszExport)
{
    if (!hCustomUI)
        return nullptr;
    FARPROC pfn = GetProcAddress(hCustomUI, pszExport);
    if (!pfn)
        TraceLine("CCustomUI : %s is not exported, the built-in screen is used\n", pszExport);
    return pfn;
}

BOOL CCustomUI::CallProgress(HMODULE hCustomUI, const char* pszExport, LONG* pnPercent)
{
    FARPROC pfn = Lookup(hCustomUI, pszExport);
    if (!pfn)
        return FALSE;
    TraceLine("CCustomUI : calling %s\n", pszExport);
    reinterpret_cast<PFN_PROGRESS>(reinterpret_cast<void*>(pfn))(pnPercent);
    return TRUE;
}

BOOL CCustomUI::CallTable(HMODULE hCustomUI, const char* pszExport, void* pInstallInfo, int* pnResult)
{
    FARPROC pfn = Lookup(hCustomUI, pszExport);
    if (!pfn)
        return FALSE;
    const int nResult = reinterpret_cast<PFN_TABLE>(reinterpret_cast<void*>(pfn))(pInstallInfo);
    TraceLine("CCustomUI : %s returned %d\n", pszExport, nResult);
    if (pnResult)
        *pnResult = nResult;
    return TRUE;
}

BOOL CCustomUI::InitInstallProgBar(HMODULE hCustomUI, LONG* pnPercent)
{
    return CallProgress(hCustomUI, "InitInstallProgBar", pnPercent);
}

BOOL CCustomUI::InstallProgBar(HMODULE hCustomUI, LONG* pnPercent)
{
    return CallProgress(hCustomUI, "InstallProgBar", pnPercent);
}

BOOL CCustomUI::InitUninstallProgBar(HMODULE hCustomUI, LONG* pnPercent)
{
    return CallProgress(hCustomUI, "InitUninstallProgBar", pnPercent);
}

BOOL CCustomUI::UninstallProgBar(HMODULE hCustomUI, LONG* pnPercent)
{
    return CallProgress(hCustomUI, "UninstallProgBar", pnPercent);
}

BOOL CCustomUI::BeginInstallDlg(HMODULE hCustomUI, void* pInstallInfo, int* pnResult)
{
    return CallTable(hCustomUI, "BeginInstallDlg", pInstallInfo, pnResult);
}

BOOL CCustomUI::BeginUninstallDlg(HMODULE hCustomUI, void* pInstallInfo, int* pnResult)
{
    return CallTable(hCustomUI, "BeginUninstallDlg", pInstallInfo, pnResult);
}

BOOL CCustomUI::EndInstallDlg(HMODULE hCustomUI, void* pInstallInfo)
{
    return CallTable(hCustomUI, "EndInstallDlg", pInstallInfo, nullptr);
}

BOOL CCustomUI::EndUninstallDlg(HMODULE hCustomUI, void* pInstallInfo)
{
    return CallTable(hCustomUI, "EndUninstallDlg", pInstallInfo, nullptr);
}
