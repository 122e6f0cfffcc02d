// DIFxAPI: driver packages in the driver store.
#pragma once

#include "windows.h"

#define DRIVER_PACKAGE_REPAIR 0x00000001
#define DRIVER_PACKAGE_SILENT 0x00000002
#define DRIVER_PACKAGE_FORCE 0x00000004
#define DRIVER_PACKAGE_ONLY_IF_DEVICE_PRESENT 0x00000008
#define DRIVER_PACKAGE_LEGACY_MODE 0x00000010
#define DRIVER_PACKAGE_DELETE_FILES 0x00000020

typedef struct
{
    LPCSTR pApplicationId;
    LPCSTR pDisplayName;
    LPCSTR pProductName;
    LPCSTR pMfgName;
} INSTALLERINFO_A, *PINSTALLERINFO_A;

extern "C" DWORD WINAPI DriverPackagePreinstallA(LPCSTR DriverPackageInfPath, DWORD Flags);
extern "C" DWORD WINAPI DriverPackageInstallA(LPCSTR DriverPackageInfPath, DWORD Flags, PINSTALLERINFO_A pInstallerInfo,
                                              BOOL* pNeedReboot);
extern "C" DWORD WINAPI DriverPackageUninstallA(LPCSTR DriverPackageInfPath, DWORD Flags,
                                                PINSTALLERINFO_A pInstallerInfo, BOOL* pNeedReboot);
