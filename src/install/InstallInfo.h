// The result table the wizard shows before and after an install: one row per device description.
#pragma once

#include "platform/win32.h"

const DWORD INSTALL_INFO_ROWS = 100;
const DWORD INSTALL_INFO_TEXT = 260;

// eDeviceStatus values.
const DWORD INSTALL_INFO_WILL_INSTALL = 1;
const DWORD INSTALL_INFO_WILL_UPGRADE = 2;
const DWORD INSTALL_INFO_WILL_UNINSTALL = 3;
const DWORD INSTALL_INFO_INSTALLED = 4;
const DWORD INSTALL_INFO_FAILED = 5;
const DWORD INSTALL_INFO_UNINSTALLED = 6;
const DWORD INSTALL_INFO_UNINSTALL_FAILED = 7;

// eInstallInfo values of CInstall::GetInstallInfo.
const int INSTALL_INFO_BEFORE = 0;
const int INSTALL_INFO_AFTER = 1;

struct INSTALL_INFO_ROW
{
    char szDeviceDesc[INSTALL_INFO_TEXT];
    DWORD eDeviceStatus;
};

struct INSTALL_INFO
{
    DWORD dwCnt;
    INSTALL_INFO_ROW rows[INSTALL_INFO_ROWS];
};
