#include "WindowTools.h"

namespace
{
const DWORD kPollMs = 100;
}

std::string LoadModuleString(const char* pszModule, UINT uID, const char* pszFallback)
{
    std::string csText = pszFallback ? pszFallback : "";
    HMODULE hModule = LoadLibraryA(pszModule);
    if (!hModule)
        return csText;
    char szText[MAX_PATH] = {0};
    if (LoadStringA(hModule, uID, szText, MAX_PATH) > 0)
        csText = szText;
    FreeLibrary(hModule);
    return csText;
}

BOOL WaitForWindowToGo(HWND hWnd, HWND hFocus, DWORD dwMaxMs)
{
    DWORD dwStart = GetTickCount();
    while (IsWindow(hWnd))
    {
        if (GetTickCount() - dwStart >= dwMaxMs)
            return FALSE;
        Sleep(kPollMs);
    }
    if (hFocus && IsWindow(hFocus))
        SetFocus(hFocus);
    return TRUE;
}
