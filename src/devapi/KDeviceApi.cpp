#include "KDeviceApi.h"

namespace
{

// Looks the export up now and calls it with the caller's arguments, or gives the fixed result.
template <typename R, typename... Args>
R CallExport(HMODULE hModule, const char* pszName, R notAvailable, Args... args)
{
    FARPROC pfn = hModule ? GetProcAddress(hModule, pszName) : nullptr;
    if (!pfn)
        return notAvailable;
    using Function = R(WINAPI*)(Args...);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pfn))(args...);
}

BOOL LoadInto(CScopedLibrary& library, const char* pszName)
{
    if (!library)
        library.Reset(LoadLibraryA(pszName));
    return library.IsValid();
}

} // namespace

KDeviceApi::KDeviceApi()
{
    LoadSetupApi();
    LoadCfgMgr();
    LoadKernel();
}

BOOL KDeviceApi::LoadSetupApi()
{
    return LoadInto(m_SetupApi, "SETUPAPI.DLL");
}

BOOL KDeviceApi::LoadCfgMgr()
{
    return LoadInto(m_CfgMgr, "CFGMGR32.DLL");
}

BOOL KDeviceApi::LoadKernel()
{
    return LoadInto(m_Kernel, "KERNEL32.DLL");
}

#define SETUPAPI_CALL(R, NAME, FAIL, ...)                                                                              \
    (LoadSetupApi() ? CallExport<R>(m_SetupApi.Get(), NAME, FAIL, __VA_ARGS__) : (FAIL))

HDEVINFO KDeviceApi::KSetupDiGetClassDevs(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags)
{
    return SETUPAPI_CALL(HDEVINFO, "SetupDiGetClassDevsA", static_cast<HDEVINFO>(nullptr), ClassGuid, Enumerator,
                         hwndParent, Flags);
}

BOOL KDeviceApi::KSetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiEnumDeviceInfo", FALSE, DeviceInfoSet, MemberIndex, DeviceInfoData);
}

BOOL KDeviceApi::KSetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    return SETUPAPI_CALL(BOOL, "SetupDiDestroyDeviceInfoList", FALSE, DeviceInfoSet);
}

BOOL KDeviceApi::KSetupDiGetDeviceRegistryProperty(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                   DWORD Property, PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                                   DWORD PropertyBufferSize, PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupDiGetDeviceRegistryPropertyA", FALSE, DeviceInfoSet, DeviceInfoData, Property,
                         PropertyRegDataType, PropertyBuffer, PropertyBufferSize, RequiredSize);
}

BOOL KDeviceApi::KSetupDiSetDeviceRegistryProperty(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                   DWORD Property, const BYTE* PropertyBuffer, DWORD PropertyBufferSize)
{
    return SETUPAPI_CALL(BOOL, "SetupDiSetDeviceRegistryPropertyA", FALSE, DeviceInfoSet, DeviceInfoData, Property,
                         PropertyBuffer, PropertyBufferSize);
}

BOOL KDeviceApi::KSetupDiGetDeviceInstanceId(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                             PSTR DeviceInstanceId, DWORD DeviceInstanceIdSize, PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupDiGetDeviceInstanceIdA", FALSE, DeviceInfoSet, DeviceInfoData, DeviceInstanceId,
                         DeviceInstanceIdSize, RequiredSize);
}

BOOL KDeviceApi::KSetupDiGetDeviceInfoListDetail(HDEVINFO DeviceInfoSet,
                                                 PSP_DEVINFO_LIST_DETAIL_DATA_A DeviceInfoSetDetailData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiGetDeviceInfoListDetailA", FALSE, DeviceInfoSet, DeviceInfoSetDetailData);
}

HKEY KDeviceApi::KSetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope,
                                       DWORD HwProfile, DWORD KeyType, REGSAM samDesired)
{
    HKEY hInvalid = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    return SETUPAPI_CALL(HKEY, "SetupDiOpenDevRegKey", hInvalid, DeviceInfoSet, DeviceInfoData, Scope, HwProfile,
                         KeyType, samDesired);
}

BOOL KDeviceApi::KSetupDiDeleteDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope,
                                         DWORD HwProfile, DWORD KeyType)
{
    return SETUPAPI_CALL(BOOL, "SetupDiDeleteDevRegKey", FALSE, DeviceInfoSet, DeviceInfoData, Scope, HwProfile,
                         KeyType);
}

BOOL KDeviceApi::KSetupDiSetClassInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                               PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize)
{
    return SETUPAPI_CALL(BOOL, "SetupDiSetClassInstallParamsA", FALSE, DeviceInfoSet, DeviceInfoData,
                         ClassInstallParams, ClassInstallParamsSize);
}

BOOL KDeviceApi::KSetupDiChangeState(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiChangeState", FALSE, DeviceInfoSet, DeviceInfoData);
}

BOOL KDeviceApi::KSetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                            PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiCallClassInstaller", FALSE, InstallFunction, DeviceInfoSet, DeviceInfoData);
}

BOOL KDeviceApi::KSetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                               DWORD DriverType)
{
    return SETUPAPI_CALL(BOOL, "SetupDiDestroyDriverInfoList", FALSE, DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL KDeviceApi::KSetupDiRegisterDeviceInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Flags,
                                            PVOID CompareProc, PVOID CompareContext, PSP_DEVINFO_DATA DupDeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiRegisterDeviceInfo", FALSE, DeviceInfoSet, DeviceInfoData, Flags, CompareProc,
                         CompareContext, DupDeviceInfoData);
}

BOOL KDeviceApi::KSetupDiSetSelectedDriver(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                           PSP_DRVINFO_DATA_A DriverInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiSetSelectedDriverA", FALSE, DeviceInfoSet, DeviceInfoData, DriverInfoData);
}

BOOL KDeviceApi::KSetupDiSetSelectedDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiSetSelectedDevice", FALSE, DeviceInfoSet, DeviceInfoData);
}

BOOL KDeviceApi::KSetupDiSetDeviceInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    return SETUPAPI_CALL(BOOL, "SetupDiSetDeviceInstallParamsA", FALSE, DeviceInfoSet, DeviceInfoData,
                         DeviceInstallParams);
}

BOOL KDeviceApi::KSetupDiGetDeviceInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    return SETUPAPI_CALL(BOOL, "SetupDiGetDeviceInstallParamsA", FALSE, DeviceInfoSet, DeviceInfoData,
                         DeviceInstallParams);
}

BOOL KDeviceApi::KSetupDiEnumDriverInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                                        DWORD MemberIndex, PSP_DRVINFO_DATA_A DriverInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiEnumDriverInfoA", FALSE, DeviceInfoSet, DeviceInfoData, DriverType, MemberIndex,
                         DriverInfoData);
}

BOOL KDeviceApi::KSetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    return SETUPAPI_CALL(BOOL, "SetupDiBuildDriverInfoList", FALSE, DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL KDeviceApi::KSetupDiOpenDeviceInfo(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND hwndParent,
                                        DWORD OpenFlags, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiOpenDeviceInfoA", FALSE, DeviceInfoSet, DeviceInstanceId, hwndParent, OpenFlags,
                         DeviceInfoData);
}

BOOL KDeviceApi::KSetupDiCreateDeviceInfo(HDEVINFO DeviceInfoSet, PCSTR DeviceName, const GUID* ClassGuid,
                                          PCSTR DeviceDescription, HWND hwndParent, DWORD CreationFlags,
                                          PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupDiCreateDeviceInfoA", FALSE, DeviceInfoSet, DeviceName, ClassGuid,
                         DeviceDescription, hwndParent, CreationFlags, DeviceInfoData);
}

HDEVINFO KDeviceApi::KSetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent)
{
    return SETUPAPI_CALL(HDEVINFO, "SetupDiCreateDeviceInfoList", static_cast<HDEVINFO>(nullptr), ClassGuid,
                         hwndParent);
}

BOOL KDeviceApi::KSetupDiClassGuidsFromName(PCSTR ClassName, LPGUID ClassGuidList, DWORD ClassGuidListSize,
                                            PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupDiClassGuidsFromNameA", FALSE, ClassName, ClassGuidList, ClassGuidListSize,
                         RequiredSize);
}

BOOL KDeviceApi::KSetupCopyOEMInf(PCSTR SourceInfFileName, PCSTR OEMSourceMediaLocation, DWORD OEMSourceMediaType,
                                  DWORD CopyStyle, PSTR DestinationInfFileName, DWORD DestinationInfFileNameSize,
                                  PDWORD RequiredSize, PSTR* DestinationInfFileNameComponent)
{
    return SETUPAPI_CALL(BOOL, "SetupCopyOEMInfA", FALSE, SourceInfFileName, OEMSourceMediaLocation, OEMSourceMediaType,
                         CopyStyle, DestinationInfFileName, DestinationInfFileNameSize, RequiredSize,
                         DestinationInfFileNameComponent);
}

INT KDeviceApi::KSetupPromptReboot(HSPFILEQ FileQueue, HWND Owner, BOOL ScanOnly)
{
    return SETUPAPI_CALL(INT, "SetupPromptReboot", 0, FileQueue, Owner, ScanOnly);
}

BOOL KDeviceApi::KSetupIterateCabinet(PCSTR CabinetFile, DWORD Reserved, PSP_FILE_CALLBACK_A MsgHandler, PVOID Context)
{
    return SETUPAPI_CALL(BOOL, "SetupIterateCabinetA", FALSE, CabinetFile, Reserved, MsgHandler, Context);
}

HINF KDeviceApi::KSetupOpenInfFile(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine)
{
    return SETUPAPI_CALL(HINF, "SetupOpenInfFileA", static_cast<HINF>(nullptr), FileName, InfClass, InfStyle,
                         ErrorLine);
}

void KDeviceApi::KSetupCloseInfFile(HINF InfHandle)
{
    if (!LoadSetupApi())
        return;
    FARPROC pfn = GetProcAddress(m_SetupApi.Get(), "SetupCloseInfFile");
    if (pfn)
        reinterpret_cast<void(WINAPI*)(HINF)>(reinterpret_cast<void (*)()>(pfn))(InfHandle);
}

BOOL KDeviceApi::KSetupFindFirstLine(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context)
{
    return SETUPAPI_CALL(BOOL, "SetupFindFirstLineA", FALSE, InfHandle, Section, Key, Context);
}

BOOL KDeviceApi::KSetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut)
{
    return SETUPAPI_CALL(BOOL, "SetupFindNextLine", FALSE, ContextIn, ContextOut);
}

BOOL KDeviceApi::KSetupGetStringField(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                      PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupGetStringFieldA", FALSE, Context, FieldIndex, ReturnBuffer, ReturnBufferSize,
                         RequiredSize);
}

BOOL KDeviceApi::KSetupGetBinaryField(PINFCONTEXT Context, DWORD FieldIndex, PBYTE ReturnBuffer, DWORD ReturnBufferSize,
                                      LPDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupGetBinaryField", FALSE, Context, FieldIndex, ReturnBuffer, ReturnBufferSize,
                         RequiredSize);
}

BOOL KDeviceApi::KSetupGetTargetPath(HINF InfHandle, PINFCONTEXT InfContext, PCSTR Section, PSTR ReturnBuffer,
                                     DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupGetTargetPathA", FALSE, InfHandle, InfContext, Section, ReturnBuffer,
                         ReturnBufferSize, RequiredSize);
}

BOOL KDeviceApi::KSetupGetSourceFileLocation(HINF InfHandle, PINFCONTEXT InfContext, PCSTR FileName, PUINT SourceId,
                                             PSTR ReturnBuffer, DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    return SETUPAPI_CALL(BOOL, "SetupGetSourceFileLocationA", FALSE, InfHandle, InfContext, FileName, SourceId,
                         ReturnBuffer, ReturnBufferSize, RequiredSize);
}

BOOL KDeviceApi::KSetupInstallFromInfSection(HWND Owner, HINF InfHandle, PCSTR SectionName, UINT Flags,
                                             HKEY RelativeKeyRoot, PCSTR SourceRootPath, UINT CopyFlags,
                                             PSP_FILE_CALLBACK_A MsgHandler, PVOID Context, HDEVINFO DeviceInfoSet,
                                             PSP_DEVINFO_DATA DeviceInfoData)
{
    return SETUPAPI_CALL(BOOL, "SetupInstallFromInfSectionA", FALSE, Owner, InfHandle, SectionName, Flags,
                         RelativeKeyRoot, SourceRootPath, CopyFlags, MsgHandler, Context, DeviceInfoSet,
                         DeviceInfoData);
}

PVOID KDeviceApi::KSetupInitDefaultQueueCallback(HWND OwnerWindow)
{
    return SETUPAPI_CALL(PVOID, "SetupInitDefaultQueueCallback", static_cast<PVOID>(nullptr), OwnerWindow);
}

#undef SETUPAPI_CALL

// A missing configuration-manager function gives 0, which is CR_SUCCESS: a system without CFGMGR32
// behaves as though every call succeeded and no install events were ever pending.
CONFIGRET KDeviceApi::KCM_Locate_DevInst(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags)
{
    if (!LoadCfgMgr())
        return 0;
    return CallExport<CONFIGRET>(m_CfgMgr.Get(), "CM_Locate_DevNodeA", 0, pdnDevInst, pDeviceID, ulFlags);
}

CONFIGRET KDeviceApi::KCM_Reenumerate_DevInst(DEVINST dnDevInst, ULONG ulFlags)
{
    if (!LoadCfgMgr())
        return 0;
    return CallExport<CONFIGRET>(m_CfgMgr.Get(), "CM_Reenumerate_DevNode", 0, dnDevInst, ulFlags);
}

CONFIGRET KDeviceApi::KCM_Get_DevNode_Status_Ex(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                                ULONG ulFlags, HMACHINE hMachine)
{
    if (!LoadCfgMgr())
        return 0;
    return CallExport<CONFIGRET>(m_CfgMgr.Get(), "CM_Get_DevNode_Status_Ex", 0, pulStatus, pulProblemNumber, dnDevInst,
                                 ulFlags, hMachine);
}

DWORD KDeviceApi::KCMP_WaitNoPendingInstallEvents(DWORD dwTimeout)
{
    if (!LoadCfgMgr())
        return 0;
    return CallExport<DWORD>(m_CfgMgr.Get(), "CMP_WaitNoPendingInstallEvents", 0, dwTimeout);
}

HANDLE KDeviceApi::KCreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID)
{
    if (!LoadKernel())
        return INVALID_HANDLE_VALUE;
    return CallExport<HANDLE>(m_Kernel.Get(), "CreateToolhelp32Snapshot", INVALID_HANDLE_VALUE, dwFlags, th32ProcessID);
}

BOOL KDeviceApi::KProcess32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    return LoadKernel() ? CallExport<BOOL>(m_Kernel.Get(), "Process32First", FALSE, hSnapshot, lppe) : FALSE;
}

BOOL KDeviceApi::KProcess32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    return LoadKernel() ? CallExport<BOOL>(m_Kernel.Get(), "Process32Next", FALSE, hSnapshot, lppe) : FALSE;
}

BOOL KDeviceApi::KModule32First(HANDLE hSnapshot, LPMODULEENTRY32 lpme)
{
    return LoadKernel() ? CallExport<BOOL>(m_Kernel.Get(), "Module32First", FALSE, hSnapshot, lpme) : FALSE;
}

BOOL KDeviceApi::KUpdateDriverForPlugAndPlayDevices(HWND hwndParent, LPCSTR HardwareId, LPCSTR FullInfPath,
                                                    DWORD InstallFlags, PBOOL bRebootRequired)
{
    CScopedLibrary newDev(LoadLibraryA("NEWDEV.DLL"));
    if (!newDev)
        return FALSE;
    return CallExport<BOOL>(newDev.Get(), "UpdateDriverForPlugAndPlayDevicesA", FALSE, hwndParent, HardwareId,
                            FullInfPath, InstallFlags, bRebootRequired);
}

// The driver package library's own codes; its header is not part of every SDK.
#ifndef ERROR_NO_DEVICE_ID
#define ERROR_NO_DEVICE_ID 0xE0000301L
#endif
#ifndef ERROR_MISSING_FILE
#define ERROR_MISSING_FILE 0xE0000303L
#endif
#ifndef ERROR_INVALID_CATALOG_DATA
#define ERROR_INVALID_CATALOG_DATA 0xE0000304L
#endif

void GetErrorCodeName(DWORD dwCode, std::string& csName)
{
    struct ErrorName
    {
        DWORD dwCode;
        const char* pszName;
    };
// Each entry names the code by the platform's own constant, so the table cannot drift from the headers.
#define ERROR_NAME(code)                                                                                               \
    {                                                                                                                  \
        static_cast<DWORD>(code), #code                                                                                \
    }
    static const ErrorName names[] = {
        ERROR_NAME(ERROR_SUCCESS),
        ERROR_NAME(ERROR_INVALID_FUNCTION),
        ERROR_NAME(ERROR_FILE_NOT_FOUND),
        ERROR_NAME(ERROR_ACCESS_DENIED),
        ERROR_NAME(ERROR_BAD_ENVIRONMENT),
        ERROR_NAME(ERROR_OUTOFMEMORY),
        ERROR_NAME(ERROR_SHARING_VIOLATION),
        ERROR_NAME(ERROR_CANNOT_MAKE),
        ERROR_NAME(ERROR_INVALID_PARAMETER),
        ERROR_NAME(ERROR_INVALID_NAME),
        ERROR_NAME(ERROR_ALREADY_EXISTS),
        ERROR_NAME(ERROR_FILENAME_EXCED_RANGE),
        ERROR_NAME(ERROR_NO_MORE_ITEMS),
        ERROR_NAME(ERROR_INSTALL_FAILURE),
        ERROR_NAME(ERROR_UNSUPPORTED_TYPE),
        ERROR_NAME(ERROR_CANT_ACCESS_FILE),
        ERROR_NAME(CRYPT_E_FILE_ERROR),
        ERROR_NAME(TRUST_E_NOSIGNATURE),
        ERROR_NAME(CERT_E_EXPIRED),
        ERROR_NAME(CERT_E_WRONG_USAGE),
        ERROR_NAME(ERROR_NO_SUCH_DEVINST),
        ERROR_NAME(ERROR_IN_WOW64),
        ERROR_NAME(ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH),
        ERROR_NAME(ERROR_NO_DEVICE_ID),
        ERROR_NAME(ERROR_MISSING_FILE),
        ERROR_NAME(ERROR_INVALID_CATALOG_DATA),
    };
#undef ERROR_NAME
    for (const ErrorName& entry : names)
    {
        if (entry.dwCode == dwCode)
        {
            csName = entry.pszName;
            return;
        }
    }
    csName = "UNKNOWN ERROR";
}
