// The bridge to the maker's optional hardware-detection library (DVXDLL.DLL, DVXDLL64.DLL on 64-bit
// Windows), loaded from the program's folder on first use and kept until the object goes. Without the
// library or one of its exports each question has a fixed answer that callers treat as "no".
#pragma once

#include <string>

#include "platform/StringList.h"
#include "platform/win32.h"
#include "platform/CScopedHandle.h"

class CDVXDLL
{
public:
    CDVXDLL() = default;
    virtual ~CDVXDLL();
    CDVXDLL(const CDVXDLL&) = delete;
    CDVXDLL& operator=(const CDVXDLL&) = delete;

    // Whether the device is present. Without the library the answer is bSetTRUEIfNoDVXDLL; a generic ID
    // (no "&SUBSYS") yields to a more specific ID of pAllIDs whose hardware is present.
    BOOL TestIfHardwareExists(const char* pszDeviceID, BOOL bReadPhysicalHW, BOOL bSetTRUEIfNoDVXDLL,
                              const CStringList* pAllIDs, const char* pszFolder);
    int IsPCIClassDevicePluggedIn(DWORD dwClass, const char* pszFolder = nullptr);
    int IsNvlsACLinkDevice(const char* pszDeviceID, const char* pszFolder = nullptr);

protected:
    // Loads the library if it is not loaded (a failed load is tried again next time).
    BOOL LoadDVXDLL(const char* pszFolder);
    void FreeDVXDLL();

private:
    FARPROC Export(const char* pszName);

    CScopedLibrary m_hDVXDLL;
};
