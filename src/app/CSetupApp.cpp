// The application object: construction with the setup parameters' initial values, and its end.
#include "app/CSetupApp.h"

#include "common/PlatformInfo.h"

CSetupApp::CSetupApp(const char* pszCommandLine) : m_csCommandLine(pszCommandLine ? pszCommandLine : "")
{
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    m_csDefaultISLogFile = csFolder + "SETUP.LOG";
    m_SetupParms.csISLogFile = m_csDefaultISLogFile;
    m_SetupParms.csEncodedDIFxFileName = IsNative64Bit() ? "DIFAPI64.DLL" : "DIFAPI32.DLL";
    m_SetupParms.pnISResultCode = &m_nISResultCode;
}

CSetupApp::~CSetupApp()
{
    if (m_hInstanceSemaphore)
        CloseHandle(m_hInstanceSemaphore);
    if (m_hSpawnSemaphore)
        CloseHandle(m_hSpawnSemaphore);
}
