// The Win32 subset winsim implements, under the header name the Windows SDK uses.
#pragma once

#include "winbase.h"
#include "windef.h"
#include "winerror.h"
#include "winnt.h"
#include "winreg.h"
