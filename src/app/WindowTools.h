// Window services shared by the steps that close other programs' windows.
#pragma once

#include <string>

#include "platform/win32.h"

// String uID of a system module (loaded as a library for the call), or the fallback.
std::string LoadModuleString(const char* pszModule, UINT uID, const char* pszFallback);

// Waits until a window no longer exists, at most dwMaxMs, then gives the focus back to hFocus if that
// window still exists. True if the window went away in time.
BOOL WaitForWindowToGo(HWND hWnd, HWND hFocus, DWORD dwMaxMs);
