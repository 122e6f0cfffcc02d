// Driver package install through the platform's driver install frameworks library (Vista only): finds the
// library in the system folder or as the copy the package ships under another name, loads it for each call
// and installs or pre-installs one INF as a whole driver package. Elsewhere it declines and the install
// falls back to its other ways.
#pragma once

#include <string>

#include "platform/win32.h"

class CDIFxInstall
{
public:
    CDIFxInstall();

    void Initialize(const std::string& csEncodedDIFxFileName);
    // The bound of the quiet wait before a package install: the run's install time limit.
    void SetWaitLimit(DWORD dwWaitTimeout) { m_dwWaitLimit = dwWaitTimeout; }
    // pszPath (MAX_PATH characters, may be null) receives the library's full path.
    BOOL IsDifxCase(char* pszPath);
    BOOL InstallViaDifxApi(const char* pszEnumFileName, BOOL* pbRebootRequired);
    BOOL PreInstallViaDifxApi(const char* pszEnumFileName, BOOL bDoSystemEnum, BOOL* pbRebootRequired);
    BOOL InstallViaDifxApiWithDeviceNotEnumerated(const char* pszEnumFileName, BOOL* pbRebootRequired);

    const std::string& GetDIFxFileName() const { return m_csDIFxFileName; }

    // Flags of both calls: DRIVER_PACKAGE_FORCE | DRIVER_PACKAGE_LEGACY_MODE.
    static constexpr DWORD PACKAGE_FLAGS = 0x14;
    static constexpr DWORD QUIET_POLL_MS = 1000;
    static constexpr DWORD QUIET_LIMIT_MS = 2000;
    // The quiet wait gives up after the install time limit, by default that of the setup parameters.
    static constexpr DWORD DEFAULT_WAIT_LIMIT_MS = 180000;
    static constexpr DWORD PREINSTALL_POLLS = 3;

private:
    // Calls one export of the library; FALSE when the library or export is missing or the call failed.
    BOOL CallLibrary(const char* pszExport, const char* pszEnumFileName, BOOL* pbRebootRequired);
    void WaitForQuietPnP();

    std::string m_csDIFxFileName;
    DWORD m_dwWaitLimit = DEFAULT_WAIT_LIMIT_MS;
};
