#include "CloseAddRemovePrograms.h"

#include <string>
#include <vector>

#include "common/CTraceScope.h"
#include "common/WindowTools.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

BOOL CloseAddRemovePrograms()
{
    CTraceScope trace("CloseAddRemovePrograms");
    std::string csTitle = LoadModuleString("APPWIZ.CPL", 56, "Add Or Remove Programs");

    BOOL bClosed = FALSE;
    for (HWND hWnd : FindTopLevelWindows(csTitle, FALSE))
    {
        HWND hFocus = GetFocus();
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == 0 || dwPid == GetCurrentProcessId())
            continue;
        CScopedKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, dwPid));
        if (!process)
        {
            TraceLine("FAILED OpenProcess : dwPid = %lu\n", static_cast<unsigned long>(dwPid));
            continue;
        }
        if (TerminateProcess(process.Get(), 0))
            bClosed = TRUE;
        process.Reset();
        if (!WaitForWindowToGo(hWnd, hFocus, WINDOW_GONE_MAX_MS))
            TraceLine("ERROR : the window \"%s\" is still there\n", csTitle.c_str());
    }
    return trace.Return(bClosed);
}
