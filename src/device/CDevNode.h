// One present device, found by a piece of its hardware ID: its registry properties, its hardware and driver
// keys, removal, enable and disable, and whether it runs without a problem. Every operation on a node that
// found no device returns its failure value at once.
#pragma once

#include <string>

#include "devapi/CScopedDevInfo.h"
#include "platform/CScopedHandle.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class CDevNode
{
public:
    CDevNode();
    CDevNode(const char* pszPNPID, BOOL bVerifyEnumDevice);
    ~CDevNode();
    CDevNode(const CDevNode&) = delete;
    CDevNode& operator=(const CDevNode&) = delete;

    void Initialize(const char* pszPNPID, BOOL bVerifyEnumDevice);
    BOOL FindDevNode(const char* pszPNPID, BOOL bVerifyEnumDevice);
    BOOL IsEnumDevice();
    BOOL IsBound() const { return m_hDevInfo.IsValid(); }

    BOOL GetDeviceRegistryProperty(DWORD dwProperty, BYTE* pBuffer, DWORD* pdwSize);
    BOOL ReadDeviceKeyValue(const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize);
    DWORD ReadDriverKeyValue(const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize);
    DWORD ReadDriverSubKeyValue(const char* pszSubKey, const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize);
    BOOL WriteDriverKeyValue(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD dwSize);
    BOOL WriteDriverSubKeyValue(const char* pszSubKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                                DWORD dwSize);
    BOOL RemoveDevice();
    BOOL ChangeState(BOOL bEnable);
    BOOL CheckDeviceState(BOOL bEnable);
    HKEY RegOpenClassDeviceKey();
    void CloseClassDeviceKey();
    size_t GetHardwareIDs(CStringList& list);
    // The buffer holds MAX_PATH characters.
    BOOL GetDeviceInstanceId(char* pszInstanceId);
    BOOL HasDriverKey();

    // An enumeration that fails this many times in a row, for reasons other than its end, is given up.
    static const DWORD MAX_ENUM_FAILURES = 64;

private:
    // The device's hardware IDs: a multi-string on NT, comma-separated pieces on Windows 9x.
    CStringList ReadHardwareIDs();
    CScopedRegKey OpenDeviceKey(DWORD dwKeyType, REGSAM samDesired);
    void ReleaseDeviceSet();

    DWORD m_dwPlatform = 0;
    BOOL m_bNT = FALSE;
    CScopedDevInfo m_hDevInfo;
    SP_DEVINFO_DATA m_DevInfoData = {};
    BOOL m_bInitialized = FALSE;
    CScopedRegKey m_hClassDeviceKey;
};
