#include "CDevNode.h"

#include <cstring>
#include <vector>

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "inf/InfRecords.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"

namespace
{

// Reads a value of an open key.
DWORD ReadValue(const CScopedRegKey& key, const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize)
{
    LONG lResult = RegQueryValueExA(key.Get(), pszValueName, nullptr, nullptr, pBuffer, pdwSize);
    if (lResult != ERROR_SUCCESS)
    {
        *pdwSize = 0;
        return 0;
    }
    return *pdwSize;
}

} // namespace

CDevNode::CDevNode()
{
    m_dwPlatform = GetOSType();
    m_bNT = IsNTPlatform();
}

CDevNode::CDevNode(const char* pszPNPID, BOOL bVerifyEnumDevice)
{
    Initialize(pszPNPID, bVerifyEnumDevice);
}

CDevNode::~CDevNode()
{
    // The set is released whether Initialize or a direct FindDevNode made it.
    ReleaseDeviceSet();
    CloseClassDeviceKey();
}

void CDevNode::ReleaseDeviceSet()
{
    if (!m_hDevInfo)
        return;
    if (KDeviceApi* pApi = GetDeviceApi())
        pApi->KSetupDiDestroyDriverInfoList(m_hDevInfo.Get(), &m_DevInfoData, SPDIT_CLASSDRIVER);
    m_hDevInfo.Reset();
}

void CDevNode::Initialize(const char* pszPNPID, BOOL bVerifyEnumDevice)
{
    CTraceScope trace("CDevNode::Initialize", "pszPNPID = %s, bVerifyEnumDevice = %d", pszPNPID ? pszPNPID : "",
                      bVerifyEnumDevice);
    m_dwPlatform = GetOSType();
    m_bNT = IsNTPlatform();
    if (!FindDevNode(pszPNPID, bVerifyEnumDevice))
        ReleaseDeviceSet();
    CloseClassDeviceKey();
    m_bInitialized = TRUE;
}

BOOL CDevNode::FindDevNode(const char* pszPNPID, BOOL bVerifyEnumDevice)
{
    CTraceScope trace("CDevNode::FindDevNode");
    TraceLine("CDevNode::FindDevNode : pszPNPID = %s\n", pszPNPID ? pszPNPID : "");
    ReleaseDeviceSet();
    m_DevInfoData = {};
    m_DevInfoData.cbSize = sizeof(SP_DEVINFO_DATA);
    KDeviceApi* pApi = GetDeviceApi();
    // No SETUPAPI gives 0, a failed call -1: either way there is no set to walk.
    if (pApi)
        m_hDevInfo.Reset(pApi->KSetupDiGetClassDevs(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!m_hDevInfo)
        return trace.Return(FALSE);

    std::string csTarget = ToUpper(pszPNPID ? pszPNPID : "");
    BOOL bFound = FALSE;
    DWORD dwFailures = 0;
    for (DWORD dwIndex = 0; !bFound; ++dwIndex)
    {
        if (!pApi->KSetupDiEnumDeviceInfo(m_hDevInfo.Get(), dwIndex, &m_DevInfoData))
        {
            DWORD dwError = GetLastError();
            if (dwError == ERROR_NO_MORE_ITEMS || dwError == ERROR_INVALID_HANDLE || ++dwFailures >= MAX_ENUM_FAILURES)
                break;
            continue;
        }
        dwFailures = 0;
        for (const std::string& csCandidate : ReadHardwareIDs())
        {
            std::string csUpper = ToUpper(csCandidate);
            if (csUpper.find(csTarget) == std::string::npos)
                continue;
            if (!bVerifyEnumDevice ||
                (csUpper.find("PCI") == std::string::npos && csUpper.find("USB") == std::string::npos) ||
                IsEnumDevice())
            {
                bFound = TRUE;
                break;
            }
        }
    }
    // Without a match the entry holds whatever device was enumerated last: drop the set rather than answer
    // for that device.
    if (!bFound)
        ReleaseDeviceSet();
    TraceLine("CDevNode::FindDevNode : bRetVal = %d\n", bFound);
    return trace.Return(bFound);
}

CStringList CDevNode::ReadHardwareIDs()
{
    CStringList ids;
    KDeviceApi* pApi = GetDeviceApi();
    DWORD dwRequired = 0;
    pApi->KSetupDiGetDeviceRegistryProperty(m_hDevInfo.Get(), &m_DevInfoData, SPDRP_HARDWAREID, nullptr, nullptr, 0,
                                            &dwRequired);
    if (dwRequired == 0)
        return ids;
    // Five spare bytes keep even an unterminated value terminated.
    std::vector<char> buffer(dwRequired + 5, '\0');
    if (!pApi->KSetupDiGetDeviceRegistryProperty(m_hDevInfo.Get(), &m_DevInfoData, SPDRP_HARDWAREID, nullptr,
                                                 reinterpret_cast<BYTE*>(buffer.data()), dwRequired, nullptr))
        return ids;
    if (m_bNT)
    {
        for (const char* p = buffer.data(); *p && ids.size() < MAX_INF_LIST_ENTRIES; p += std::strlen(p) + 1)
            ids.push_back(p);
    }
    else
    {
        std::string csText = buffer.data();
        for (size_t nStart = 0; ids.size() < MAX_INF_LIST_ENTRIES;)
        {
            size_t nComma = csText.find(',', nStart);
            ids.push_back(csText.substr(nStart, nComma == std::string::npos ? std::string::npos : nComma - nStart));
            if (nComma == std::string::npos)
                break;
            nStart = nComma + 1;
        }
    }
    return ids;
}

BOOL CDevNode::IsEnumDevice()
{
    CTraceScope trace("CDevNode::IsEnumDevice");
    BOOL bRetVal = TRUE;
    if (!m_bNT)
    {
        // A class that cannot be read counts as a known class: the child checks decide.
        char szClass[MAX_PATH] = {0};
        DWORD dwSize = sizeof(szClass);
        GetDeviceRegistryProperty(SPDRP_CLASS, reinterpret_cast<BYTE*>(szClass), &dwSize);
        if (!EqualsNoCase(szClass, "UNKNOWN"))
        {
            char szValue[MAX_PATH];
            DWORD dwValue = sizeof(szValue);
            bRetVal = ReadDriverSubKeyValue("Child0000", "HardwareID", reinterpret_cast<BYTE*>(szValue), &dwValue) != 0;
            if (!bRetVal)
            {
                dwValue = sizeof(szValue);
                bRetVal = ReadDeviceKeyValue("ChildID", reinterpret_cast<BYTE*>(szValue), &dwValue);
            }
        }
    }
    TraceLine("CDevNode::IsEnumDevice : bRetVal = %d\n", bRetVal);
    return trace.Return(bRetVal);
}

BOOL CDevNode::GetDeviceRegistryProperty(DWORD dwProperty, BYTE* pBuffer, DWORD* pdwSize)
{
    if (!IsBound() || !pdwSize)
        return FALSE;
    KDeviceApi* pApi = GetDeviceApi();
    return pApi && pApi->KSetupDiGetDeviceRegistryProperty(m_hDevInfo.Get(), &m_DevInfoData, dwProperty, nullptr,
                                                           pBuffer, *pdwSize, pdwSize);
}

CScopedRegKey CDevNode::OpenDeviceKey(DWORD dwKeyType, REGSAM samDesired)
{
    KDeviceApi* pApi = GetDeviceApi();
    if (!IsBound() || !pApi)
        return CScopedRegKey();
    return CScopedRegKey(
        pApi->KSetupDiOpenDevRegKey(m_hDevInfo.Get(), &m_DevInfoData, DICS_FLAG_GLOBAL, 0, dwKeyType, samDesired));
}

BOOL CDevNode::ReadDeviceKeyValue(const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize)
{
    CScopedRegKey key = OpenDeviceKey(DIREG_DEV, KEY_READ);
    if (!key || !pdwSize)
        return FALSE;
    return ReadValue(key, pszValueName, pBuffer, pdwSize) != 0;
}

DWORD CDevNode::ReadDriverKeyValue(const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize)
{
    if (!pdwSize)
        return 0;
    CScopedRegKey key = OpenDeviceKey(DIREG_DRV, KEY_READ);
    if (!key)
    {
        *pdwSize = 0;
        return 0;
    }
    return ReadValue(key, pszValueName, pBuffer, pdwSize);
}

DWORD CDevNode::ReadDriverSubKeyValue(const char* pszSubKey, const char* pszValueName, BYTE* pBuffer, DWORD* pdwSize)
{
    if (!pdwSize)
        return 0;
    CScopedRegKey key = OpenDeviceKey(DIREG_DRV, KEY_READ);
    CScopedRegKey subKey;
    if (!key || RegOpenKeyExA(key.Get(), pszSubKey, 0, KEY_READ, subKey.Receive()) != ERROR_SUCCESS)
    {
        *pdwSize = 0;
        return 0;
    }
    return ReadValue(subKey, pszValueName, pBuffer, pdwSize);
}

BOOL CDevNode::WriteDriverKeyValue(const char* pszValueName, DWORD dwType, const BYTE* pData, DWORD dwSize)
{
    CScopedRegKey key = OpenDeviceKey(DIREG_DRV, KEY_ALL_ACCESS);
    if (!key)
        return FALSE;
    return RegSetValueExA(key.Get(), pszValueName, 0, dwType, pData, dwSize) == ERROR_SUCCESS;
}

BOOL CDevNode::WriteDriverSubKeyValue(const char* pszSubKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                                      DWORD dwSize)
{
    CScopedRegKey key = OpenDeviceKey(DIREG_DRV, KEY_READ);
    if (!key)
        return FALSE;
    CScopedRegKey subKey;
    if (RegOpenKeyExA(key.Get(), pszSubKey, 0, KEY_ALL_ACCESS, subKey.Receive()) != ERROR_SUCCESS)
        return FALSE;
    key.Reset();
    return RegSetValueExA(subKey.Get(), pszValueName, 0, dwType, pData, dwSize) == ERROR_SUCCESS;
}

BOOL CDevNode::RemoveDevice()
{
    KDeviceApi* pApi = GetDeviceApi();
    return IsBound() && pApi && pApi->KSetupDiCallClassInstaller(DIF_REMOVE, m_hDevInfo.Get(), &m_DevInfoData);
}

BOOL CDevNode::ChangeState(BOOL bEnable)
{
    KDeviceApi* pApi = GetDeviceApi();
    if (!IsBound() || !pApi)
        return FALSE;
    SP_PROPCHANGE_PARAMS params = {};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = bEnable ? DICS_ENABLE : DICS_DISABLE;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;
    return pApi->KSetupDiSetClassInstallParams(m_hDevInfo.Get(), &m_DevInfoData, &params.ClassInstallHeader,
                                               sizeof(params)) &&
           pApi->KSetupDiChangeState(m_hDevInfo.Get(), &m_DevInfoData);
}

BOOL CDevNode::CheckDeviceState(BOOL bEnable)
{
    KDeviceApi* pApi = GetDeviceApi();
    if (!IsBound() || !pApi)
        return !bEnable;
    SP_DEVINFO_LIST_DETAIL_DATA_A detail = {};
    detail.cbSize = sizeof(detail);
    if (!pApi->KSetupDiGetDeviceInfoListDetail(m_hDevInfo.Get(), &detail))
        return !bEnable;
    ULONG ulStatus = 0;
    ULONG ulProblem = 0;
    if (pApi->KCM_Get_DevNode_Status_Ex(&ulStatus, &ulProblem, m_DevInfoData.DevInst, 0, detail.RemoteMachineHandle) !=
        CR_SUCCESS)
        return !bEnable;
    BOOL bEnabled = (ulStatus & DN_HAS_PROBLEM) == 0;
    return bEnabled == (bEnable ? TRUE : FALSE);
}

HKEY CDevNode::RegOpenClassDeviceKey()
{
    CTraceScope trace("CDevNode::RegOpenClassDeviceKey");
    CloseClassDeviceKey();
    m_hClassDeviceKey = OpenDeviceKey(DIREG_DRV, KEY_ALL_ACCESS);
    // Callers test the key against INVALID_HANDLE_VALUE, as SetupAPI reports it.
    HKEY hKey = m_hClassDeviceKey ? m_hClassDeviceKey.Get() : reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    TraceLine("m_hClassDeviceKey = %d\n", static_cast<int>(reinterpret_cast<INT_PTR>(hKey)));
    return hKey;
}

void CDevNode::CloseClassDeviceKey()
{
    m_hClassDeviceKey.Reset();
}

size_t CDevNode::GetHardwareIDs(CStringList& list)
{
    if (!IsBound())
        return list.size();
    for (const std::string& csID : ReadHardwareIDs())
        AddBounded(list, csID);
    return list.size();
}

BOOL CDevNode::GetDeviceInstanceId(char* pszInstanceId)
{
    KDeviceApi* pApi = GetDeviceApi();
    return IsBound() && pApi && pszInstanceId &&
           pApi->KSetupDiGetDeviceInstanceId(m_hDevInfo.Get(), &m_DevInfoData, pszInstanceId, MAX_PATH, nullptr);
}

BOOL CDevNode::HasDriverKey()
{
    char szDriver[MAX_PATH] = {0};
    DWORD dwSize = sizeof(szDriver);
    return GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szDriver), &dwSize);
}
