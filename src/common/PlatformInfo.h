// Where the program runs: the operating-system type, the NT-family and 64-bit tests, the program's own
// folder and the Windows temporary folder.
#pragma once

#include <string>

#include "platform/win32.h"

enum OS_TYPE
{
    OS_NONE = 0,
    OS_WIN95 = 1,
    OS_WIN98 = 2,
    OS_WIN98SE = 3,
    OS_WINME = 4,
    OS_WINNT4 = 5,
    OS_WIN2K = 6,
    OS_WINXP = 7,
    OS_WINXP64 = 8,
    OS_WIN2003SERVER = 9,
    OS_WIN2003SERVER64 = 10,
    OS_WINVISTA = 11,
    OS_WINVISTA64 = 12
};

DWORD GetOSType();
// The name the trace log writes for a type ("OS_WINXP"); "OS_NONE" for values outside the table.
const char* GetOSTypeName(DWORD dwOSType);
BOOL IsNTPlatform();
// True when GetNativeSystemInfo exists in Kernel32.dll and reports an x64 processor.
BOOL IsNative64Bit();
BOOL IsWinME();
BOOL IsWin98SE();
// "AMD64" or "X86"; FALSE (and an empty name) for any other architecture or without GetNativeSystemInfo.
BOOL GetNativeArchName(std::string& csName);
// The INF platform decoration "NT<arch>.<major>.<minor>.<product type>.<suite mask>"; FALSE below NT 5.0.
BOOL GetPlatformDecoration(std::string& csDecoration);

// The running program's full path (GetModuleFileNameA); empty if it cannot be read whole.
std::string GetExePath();
// The program's folder with a trailing backslash, or without it when bNoBackslash.
BOOL GetExeFolder(std::string& csFolder, BOOL bNoBackslash);
// The Windows folder + "\TEMP" + "\" (created when bCreate).
BOOL GetWindowsTempFolder(std::string& csFolder, BOOL bCreate);
