// Window services shared by the steps that close other programs' windows.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// String uID of a system module (loaded as a library for the call), or the fallback.
std::string LoadModuleString(const char* pszModule, UINT uID, const char* pszFallback);

// Top-level windows whose title equals (bContains FALSE) or contains (TRUE) the text, ignoring case, in
// the order the platform enumerates them. An empty text matches nothing.
std::vector<HWND> FindTopLevelWindows(const std::string& csTitle, BOOL bContains);

// How long a window whose process was stopped may take to go away before the program moves on.
const DWORD WINDOW_GONE_MAX_MS = 10000;

// Waits until a window no longer exists, at most dwMaxMs, then gives the focus back to hFocus if that
// window still exists. True if the window went away in time.
BOOL WaitForWindowToGo(HWND hWnd, HWND hFocus, DWORD dwMaxMs);
