// What the configuration INIs say about the one device setup will install.
#pragma once

#include <string>

#include "platform/win32.h"

// nHomolFileType values.
const int HOMOL_FILE_GENERATE_INI = 0;
const int HOMOL_FILE_COPY_TO_SYSTEM = 1;

struct DEVICE_INI_INSTALL_DATA
{
    BOOL bDeviceINIInstallData = FALSE;
    std::string csDeviceID;
    std::string csInstallFriendlyName;
    std::string csCabFileName;
    std::string csCabFileDestPath;
    std::string csHomolFileName;
    int nHomolFileType = HOMOL_FILE_GENERATE_INI;
    std::string csDeviceInstallPath;
    std::string csNWInstallSetupExe;
    std::string csOCPInstallSetupExe;
    std::string csInstallAppFile;
};
