#include "CDIFxInstall.h"

#include <cstring>

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "devapi/KDeviceApi.h"
#include "install/CQuietPeriod.h"
#include "platform/CScopedHandle.h"
#include "workarounds/CInstallWA2.h"
#include "common/TimedPause.h"

namespace
{

typedef DWORD(WINAPI* PFN_DRIVERPACKAGEINSTALLA)(LPCSTR, DWORD, PVOID, BOOL*);
typedef DWORD(WINAPI* PFN_DRIVERPACKAGEPREINSTALLA)(LPCSTR, DWORD);

const char* const SYSTEM_LIBRARY = "DIFXAPI.DLL";

BOOL ReenumerateRoot()
{
    KDeviceApi* pApi = GetDeviceApi();
    DEVINST dnRoot = 0;
    if (!pApi || pApi->KCM_Locate_DevInst(&dnRoot, nullptr, 0) != CR_SUCCESS)
        return FALSE;
    return pApi->KCM_Reenumerate_DevInst(dnRoot, 0) == CR_SUCCESS;
}

} // namespace

CDIFxInstall::CDIFxInstall() : m_csDIFxFileName(SYSTEM_LIBRARY) {}

void CDIFxInstall::Initialize(const std::string& csEncodedDIFxFileName)
{
    CTraceScope trace("CDIFxInstall::Initialize");
    TraceLine("CDIFxInstall ::Initialize : csEncodedDIFxFileName = %s\n", csEncodedDIFxFileName.c_str());
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    const std::string csLocal = csFolder + csEncodedDIFxFileName;
    TraceLine("szLocalDifxPath = %s\n", csLocal.c_str());
    if (!csEncodedDIFxFileName.empty() && CFileUtility::IsFile(csLocal))
        m_csDIFxFileName = csEncodedDIFxFileName;
    TraceLine("CDIFxInstall::Initialize : m_csDIFxFileName = %s\n", m_csDIFxFileName.c_str());
}

BOOL CDIFxInstall::IsDifxCase(char* pszPath)
{
    CTraceScope trace("CDIFxInstall::IsDifxCase");
    TraceLine("CDIFxInstall ::IsDifxCase\n");
    BOOL bRetVal = FALSE;
    const DWORD dwOSType = GetOSType();
    if (dwOSType == OS_WINVISTA || dwOSType == OS_WINVISTA64)
    {
        char szWindows[MAX_PATH] = {0};
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        const std::string csSystem = std::string(szWindows) + "\\SYSTEM32\\" + SYSTEM_LIBRARY;
        TraceLine("szSystemDifxPath = %s\n", csSystem.c_str());
        std::string csFound;
        if (CFileUtility::IsFile(csSystem))
            csFound = csSystem;
        else
        {
            std::string csFolder;
            GetExeFolder(csFolder, FALSE);
            const std::string csLocal = csFolder + m_csDIFxFileName;
            TraceLine("szLocalDifxPath = %s\n", csLocal.c_str());
            if (CFileUtility::IsFile(csLocal))
                csFound = csLocal;
        }
        if (!csFound.empty() && csFound.size() < MAX_PATH)
        {
            if (pszPath)
                std::memcpy(pszPath, csFound.c_str(), csFound.size() + 1);
            bRetVal = TRUE;
        }
    }
    TraceLine("CDIFxInstall::IsDifxCase : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

BOOL CDIFxInstall::CallLibrary(const char* pszExport, const char* pszEnumFileName, BOOL* pbRebootRequired)
{
    char szPath[MAX_PATH] = {0};
    if (!IsDifxCase(szPath))
        return FALSE;
    CScopedLibrary hLibrary(LoadLibraryA(szPath));
    if (!hLibrary)
    {
        TraceLine("FAILED : DIFXAPI.DLL not found\n");
        return FALSE;
    }
    BOOL bRetVal = FALSE;
    FARPROC pfn = GetProcAddress(hLibrary.Get(), pszExport);
    if (pfn)
    {
        DWORD dwResult = 0;
        if (std::strcmp(pszExport, "DriverPackageInstallA") == 0)
        {
            BOOL bReboot = FALSE;
            dwResult = reinterpret_cast<PFN_DRIVERPACKAGEINSTALLA>(reinterpret_cast<void (*)()>(pfn))(
                pszEnumFileName, PACKAGE_FLAGS, nullptr, &bReboot);
            if (dwResult == 0 && pbRebootRequired)
                *pbRebootRequired = bReboot;
        }
        else
            dwResult = reinterpret_cast<PFN_DRIVERPACKAGEPREINSTALLA>(reinterpret_cast<void (*)()>(pfn))(
                pszEnumFileName, PACKAGE_FLAGS);
        if (dwResult != 0)
        {
            std::string csErrorCode;
            GetErrorCodeName(dwResult, csErrorCode);
            // The pre-install reports its failures under the install's name too.
            TraceLine("FAILED : DriverPackageInstallA call Failed : csErrorCode = %s\n", csErrorCode.c_str());
        }
        else
            bRetVal = TRUE;
    }
    return bRetVal;
}

BOOL CDIFxInstall::InstallViaDifxApi(const char* pszEnumFileName, BOOL* pbRebootRequired)
{
    CTraceScope trace("CDIFxInstall::InstallViaDifxApi");
    TraceLine("CDIFxInstall :: InstallViaDifxApi : pszEnumFileName = %s\n", pszEnumFileName);
    const BOOL bRetVal = CallLibrary("DriverPackageInstallA", pszEnumFileName, pbRebootRequired);
    TraceLine("CDIFxInstall :: InstallViaDifxApi : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

BOOL CDIFxInstall::PreInstallViaDifxApi(const char* pszEnumFileName, BOOL bDoSystemEnum, BOOL* pbRebootRequired)
{
    CTraceScope trace("CDIFxInstall::PreInstallViaDifxApi");
    (void)pbRebootRequired;
    TraceLine("pszEnumFileName = %s, bDoSystemEnum = %d\n", pszEnumFileName, bDoSystemEnum);
    const BOOL bRetVal = CallLibrary("DriverPackagePreinstallA", pszEnumFileName, nullptr);
    if (bRetVal && bDoSystemEnum)
    {
        BOOL bPending = FALSE;
        for (DWORD dwPoll = 0; dwPoll < PREINSTALL_POLLS && !bPending; ++dwPoll)
        {
            PauseOnEvent(nullptr, QUIET_POLL_MS);
            bPending = CQuietPeriod::InstallEventsPending();
        }
        // Plug and Play did not pick the package up by itself: make it look.
        if (!bPending)
            ReenumerateRoot();
    }
    TraceLine("CDIFxInstall :: PreInstallViaDifxApi : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

void CDIFxInstall::WaitForQuietPnP()
{
    CQuietPeriod quiet(QUIET_LIMIT_MS);
    DWORD dwWaited = 0;
    for (;;)
    {
        PauseOnEvent("InstallHDAudioBusQFEWait", QUIET_POLL_MS);
        dwWaited += QUIET_POLL_MS;
        if (quiet.Poll(CQuietPeriod::InstallEventsPending(), QUIET_POLL_MS))
            return;
        // A manager that never goes quiet must not hold the install for ever.
        if (dwWaited >= m_dwWaitLimit)
        {
            TraceLine("FAILED : PNP Manager still busy after %u ms : going on\n", static_cast<unsigned>(dwWaited));
            return;
        }
    }
}

BOOL CDIFxInstall::InstallViaDifxApiWithDeviceNotEnumerated(const char* pszEnumFileName, BOOL* pbRebootRequired)
{
    CTraceScope trace("CDIFxInstall::InstallViaDifxApiWithDeviceNotEnumerated");
    TraceLine("CDIFxInstall :: InstallViaDifxApiWithDeviceNotEnumerated : pszEnumFileName = %s\n", pszEnumFileName);
    BOOL bRetVal = FALSE;
    if (IsDifxCase(nullptr))
    {
        CInstallWA2 closer;
        closer.StartClosePNPWindowThread();
        ReenumerateRoot();
        WaitForQuietPnP();
        closer.EndClosePNPWindowThread();
        bRetVal = InstallViaDifxApi(pszEnumFileName, pbRebootRequired);
    }
    TraceLine("CDIFxInstall :: InstallViaDifxApiWithDeviceNotEnumerated : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}
