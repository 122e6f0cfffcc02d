// The Win32 subset winsim implements, under the header name the Windows SDK uses.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winnt.h"
#include "winbase.h"
#include "winreg.h"
#include "winuser.h"
#include "wingdi.h"
#include "winver.h"
#include "shellapi.h"
