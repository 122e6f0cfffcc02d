#include "CloseAddRemovePrograms.h"

#include <string>
#include <vector>

#include "app/CTraceScope.h"
#include "app/WindowTools.h"
#include "platform/StringUtil.h"

namespace
{

// How long a stopped window may take to go away before the program moves on.
const DWORD kWindowGoneMaxMs = 10000;

struct TitleSearch
{
    std::string csTitle;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowsTitled(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<TitleSearch*>(lParam);
    char szText[MAX_PATH] = {0};
    GetWindowTextA(hWnd, szText, MAX_PATH);
    if (EqualsNoCase(szText, pSearch->csTitle))
        pSearch->found.push_back(hWnd);
    return TRUE;
}

} // namespace

BOOL CloseAddRemovePrograms()
{
    CTraceScope trace("CloseAddRemovePrograms");
    TitleSearch search;
    search.csTitle = LoadModuleString("APPWIZ.CPL", 56, "Add Or Remove Programs");
    // An empty title would match every untitled window.
    if (search.csTitle.empty())
        return trace.Return(FALSE);
    EnumWindows(CollectWindowsTitled, reinterpret_cast<LPARAM>(&search));

    BOOL bClosed = FALSE;
    for (HWND hWnd : search.found)
    {
        HWND hFocus = GetFocus();
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == 0 || dwPid == GetCurrentProcessId())
            continue;
        HANDLE hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, dwPid);
        if (!hProcess)
        {
            TraceLine("FAILED OpenProcess : dwPid = %lu\n", static_cast<unsigned long>(dwPid));
            continue;
        }
        if (TerminateProcess(hProcess, 0))
            bClosed = TRUE;
        CloseHandle(hProcess);
        if (!WaitForWindowToGo(hWnd, hFocus, kWindowGoneMaxMs))
            TraceLine("ERROR : the window \"%s\" is still there\n", search.csTitle.c_str());
    }
    return trace.Return(bClosed);
}
