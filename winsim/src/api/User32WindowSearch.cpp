// USER32 EnumWindows and FindWindowA: the top-level windows of the machine, highest in the z order first.
#include <string>
#include <vector>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/NameCase.h"
#include "processes/ProcessTable.h"
#include "user/WindowTable.h"
#include "windows.h"

using namespace winsim;

namespace
{

std::vector<WindowRow> TopLevelWindows(Runtime& rt)
{
    ProcessTable::Of(rt).PruneWindows();
    return WindowTable(rt.GetMachine().GetStore()).TopLevel();
}

} // namespace

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpEnumFunc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The list is taken first: the callback may create, destroy or look at windows itself. A window
    // destroyed meanwhile is skipped.
    WindowTable windows(rt->GetMachine().GetStore());
    for (const WindowRow& window : TopLevelWindows(*rt))
    {
        WindowRow still;
        if (!windows.Find(window.hwnd, still))
            continue;
        FaultPoint::Callback programCode;
        if (!lpEnumFunc(reinterpret_cast<HWND>(static_cast<uintptr_t>(window.hwnd)), lParam))
            return FALSE;
    }
    return TRUE;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    // A class given as an atom is known by its number ("#32770").
    std::string className;
    if (lpClassName)
    {
        const auto value = reinterpret_cast<uintptr_t>(lpClassName);
        className = (value >> 16) == 0 ? "#" + std::to_string(value) : std::string(lpClassName);
    }
    // NULL matches any class or title; names compare without regard to case.
    for (const WindowRow& window : TopLevelWindows(*rt))
    {
        if (lpClassName && !NameCase::Equal(window.className, className))
            continue;
        if (lpWindowName && !NameCase::Equal(window.title, lpWindowName))
            continue;
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(window.hwnd));
    }
    return nullptr;
}
