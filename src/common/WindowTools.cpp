#include "WindowTools.h"

#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

namespace
{

const DWORD POLL_MS = 100;

struct TitleSearch
{
    std::string csTitle;
    BOOL bContains;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMatchingWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<TitleSearch*>(lParam);
    char szText[MAX_PATH] = {0};
    GetWindowTextA(hWnd, szText, MAX_PATH);
    bool bMatch = pSearch->bContains ? FindNoCase(szText, pSearch->csTitle) != std::string::npos
                                     : EqualsNoCase(szText, pSearch->csTitle);
    if (bMatch)
        pSearch->found.push_back(hWnd);
    return TRUE;
}

} // namespace

std::vector<HWND> FindTopLevelWindows(const std::string& csTitle, BOOL bContains)
{
    TitleSearch search{csTitle, bContains, {}};
    if (!csTitle.empty())
        EnumWindows(CollectMatchingWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string LoadModuleString(const char* pszModule, UINT uID, const char* pszFallback)
{
    std::string csText = pszFallback ? pszFallback : "";
    CScopedLibrary module(LoadLibraryA(pszModule));
    if (!module)
        return csText;
    char szText[MAX_PATH] = {0};
    if (LoadStringA(module.Get(), uID, szText, MAX_PATH) > 0)
        csText = szText;
    return csText;
}

BOOL WaitForWindowToGo(HWND hWnd, HWND hFocus, DWORD dwMaxMs)
{
    DWORD dwStart = GetTickCount();
    while (IsWindow(hWnd))
    {
        if (GetTickCount() - dwStart >= dwMaxMs)
            return FALSE;
        Sleep(POLL_MS);
    }
    if (hFocus && IsWindow(hFocus))
        SetFocus(hFocus);
    return TRUE;
}
