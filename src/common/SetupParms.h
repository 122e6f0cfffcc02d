// The setup parameters: what the command line (and the configuration INI) asked for, and the run's
// outcome. One record per process, owned by the application object; every step reads it by pointer.
#pragma once

#include <string>

#include "platform/win32.h"

// Run-mode flags (dwMode).
const DWORD SETUP_MODE_INSTALL = 0x1;
const DWORD SETUP_MODE_UNINSTALL = 0x2;
const DWORD SETUP_MODE_SELF_DELETE = 0x4;
const DWORD SETUP_MODE_CLOSE_ARP = 0x8;
const DWORD SETUP_MODE_DEVINI = 0x10;
const DWORD SETUP_MODE_UNINSTALL_ALL = 0x40;
const DWORD SETUP_MODE_SAVE = 0x80;
const DWORD SETUP_MODE_RESTORE = 0x100;
const DWORD SETUP_MODE_NO_STATUS_UPGRADE = 0x200;
const DWORD SETUP_MODE_CLEAN_UP = 0x400;
const DWORD SETUP_MODE_STANDARD_PROGBAR = 0x800;
const DWORD SETUP_MODE_BUSY_PROGBAR = 0x1000;
const DWORD SETUP_MODE_NO_SPLASH = 0x2000;
const DWORD SETUP_MODE_NO_INITIAL_PROGBAR = 0x4000;
const DWORD SETUP_MODE_NO_INITIAL_DLG = 0x8000;
const DWORD SETUP_MODE_NO_INSTALL_PROGBAR = 0x10000;
const DWORD SETUP_MODE_NO_FINAL_DLG = 0x20000;
const DWORD SETUP_MODE_SILENT_AFTER_REBOOT = 0x40000;
const DWORD SETUP_MODE_UNINSTALL_ANY_INF = 0x80000;
const DWORD SETUP_MODE_SCERT = 0x100000;

// Configuration and outcome flags (dwSetupConfig).
const DWORD SETUP_CFG_PRE = 0x20;
const DWORD SETUP_CFG_NO_HARDWARE = 0x40;
const DWORD SETUP_CFG_USS = 0x80;
const DWORD SETUP_CFG_UDF = 0x100;
const DWORD SETUP_CFG_FAILED_INSTALL_CLEANUP = 0x400;
const DWORD SETUP_CFG_UBI = 0x800;
const DWORD SETUP_CFG_LOG = 0x1000;
const DWORD SETUP_CFG_SKIP_INSTALL_WAIT = 0x2000;
const DWORD SETUP_CFG_UNINSTALL_FROM_INSTALL = 0x4000;
const DWORD SETUP_CFG_LAST_DEVICE = 0x8000;
const DWORD SETUP_CFG_IS_LOG = 0x20000;
const DWORD SETUP_CFG_NO_CERT = 0x40000;
const DWORD SETUP_CFG_FCTI = 0x80000;
const DWORD SETUP_CFG_REQUEST_USER_TO_PLUGIN_USB_DEVICE = 0x100000;
const DWORD SETUP_CFG_REBOOT_REQUIRED = 0x200000;
const DWORD SETUP_CFG_FORCE_REBOOT = 0x400000;
const DWORD SETUP_CFG_UNINSTALL_BY_INF_FILE = 0x800000;
const DWORD SETUP_CFG_REBOOTED_FROM_NO_ENUM = 0x1000000;
const DWORD SETUP_CFG_CLOSE_ARP_AT_EXIT = 0x2000000;
const DWORD SETUP_CFG_SELF_DELETE_CASE = 0x4000000;
const DWORD SETUP_CFG_QXPORT_IN_COPY_LIST = 0x8000000;
const DWORD SETUP_CFG_SUCCESS_RESULT_ONLY = 0x10000000;
const DWORD SETUP_CFG_PREVIEW = 0x20000000;
const DWORD SETUP_CFG_NO_REBOOT = 0x40000000;
const DWORD SETUP_CFG_SILENT = 0x80000000;

struct SETUP_PARMS
{
    std::string csDevIniDeviceID;
    std::string csDevIniFileName;
    std::string csISLogFile;
    std::string csUninstallClass;
    std::string csUninstallDevice;
    std::string csUninstallINF;
    std::string csDeviceName;
    std::string csRlmInstallPathAC97;
    std::string csRlpInstallPathAC97;
    std::string csHDAudioBusQFEName;
    std::string csHDAudioBusDriverName;
    std::string csPackagePath;
    std::string csForcedInstallPath;
    std::string csForcedInstallFriendlyName;
    std::string csLogFileName;
    std::string csCertFileName = "norvalis.cer";
    std::string csSetup64FileName = "SETUP64.EXE";
    std::string csEncodedDIFxFileName = "DIFAPI32.DLL";
    int nForcedInstallStatus = 3;
    HINSTANCE hInstance = nullptr;
    DWORD dwMode = 0;
    DWORD dwSetupConfig = 0;
    DWORD dwWaitTimeout = 180000;
    DWORD dwUserDefineEnumDeviceToInstall = 239;
    int nRetVal = 0;
    int* pnISResultCode = nullptr;
    void* pActiveEngine = nullptr;
};
