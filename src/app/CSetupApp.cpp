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

CSetupApp::~CSetupApp() = default;

void CSetupApp::CreateTraceLog()
{
    if (!m_pTraceLog)
        m_pTraceLog = std::make_unique<CTraceLog>();
}

void CSetupApp::DeleteTraceLog()
{
    m_pTraceLog.reset();
}

void CSetupApp::CreateDeviceApi()
{
    if (!m_pDeviceApi)
        m_pDeviceApi = std::make_unique<KDeviceApi>();
}

void CSetupApp::DeleteDeviceApi()
{
    m_pDeviceApi.reset();
}
