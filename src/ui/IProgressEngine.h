// What a progress phase runs on its worker thread: the install or the uninstall orchestration, reached
// through these small interfaces so that the windows do not depend on the engine. SETUP_PARMS.pActiveEngine
// holds an IInstallEngine* in install mode and an IUninstallEngine* otherwise.
#pragma once

#include "common/SetupParms.h"
#include "platform/win32.h"

class CProgBarNoDoModal;

class IInstallEngine
{
public:
    virtual ~IInstallEngine() = default;
    virtual BOOL SetupInstallEnviroment(CProgBarNoDoModal* pProgress) = 0;
    virtual BOOL Install(CProgBarNoDoModal* pProgress) = 0;
    virtual BOOL InstallNoEnum(CProgBarNoDoModal* pProgress) = 0;
    // Called from the progress counter thread once a second during the install.
    virtual void PollForPluggedInDevice() = 0;
};

class IUninstallEngine
{
public:
    virtual ~IUninstallEngine() = default;
    virtual BOOL SetupUninstallEnviroment(SETUP_PARMS* pSetupParms) = 0;
    virtual BOOL Uninstall(CProgBarNoDoModal* pProgress) = 0;
};
