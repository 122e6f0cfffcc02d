// The INI flags word of a device INI: what its [Version], flags section and install section ask for.
#pragma once

#include "platform/win32.h"

const DWORD INI_FLAG_REBOOT = 0x1;
const DWORD INI_FLAG_SAVE_INI = 0x2;
const DWORD INI_FLAG_RESET_DEVICE = 0x4;
const DWORD INI_FLAG_INSTALL_APP = 0x8;
const DWORD INI_FLAG_PREINSTALL = 0x10;
const DWORD INI_FLAG_DVX_INI_FILE = 0x20;
const DWORD INI_FLAG_APP_HAD_ARP_ENTRY = 0x40;
const DWORD INI_FLAG_CTY_PARMS = 0x100;
const DWORD INI_FLAG_OVERRIDE_DVEMODEM = 0x1000000;
const DWORD INI_FLAG_WAVE_DRIVER_DELREG = 0x2000000;
const DWORD INI_FLAG_DRIVER_DESC_ADDREG = 0x4000000;
const DWORD INI_FLAG_FORCE_COMPORT = 0x8000000;

// Flags of an InstallApp line (field 3).
const DWORD INSTALL_APP_REGISTER_WITH_DEVICE = 0x1;
const DWORD INSTALL_APP_HIDE_ARP_ENTRY = 0x2;
const DWORD INSTALL_APP_NO_WAIT = 0x4;
const DWORD INSTALL_APP_WAIT_FOR_AUDIO = 0x8;

// What KINIFile::InstallSingleINIFile and DoInstallAppSectionOnly return.
const int INI_INSTALL_DONE = 0;
const int INI_INSTALL_NOT_DONE = 1;

// The device's class as the INI processing tells it apart.
const DWORD INI_CLASS_MODEM = 1;
const DWORD INI_CLASS_OTHER = 2;

// Where applications register for Add/Remove Programs, natively and for 32-bit programs on x64.
const char* const UNINSTALL_ROOT = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const UNINSTALL_ROOT_WOW64 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
