// The one door from product code to the machine: the Win32 API. On Windows these are the SDK headers;
// in the Linux build, winsim's headers of the same names.
#pragma once

// windows.h first: the other SDK headers build on it.
#include <windows.h>

#include <aclapi.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <commctrl.h>
#include <winioctl.h>
#include <usbioctl.h>
