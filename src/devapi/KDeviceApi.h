// The one door to the platform's device installation services. Every function is looked up by name at
// the moment of the call, so the program starts on systems where some of them do not exist; a missing
// library or export gives the wrapper's fixed "not available" result, which callers treat as a failure.
#pragma once

#include <string>

#include "platform/CCurrentInstance.h"
#include "platform/CScopedHandle.h"
#include "platform/win32.h"

class KDeviceApi : public CCurrentInstance<KDeviceApi>
{
public:
    KDeviceApi();
    ~KDeviceApi() = default;
    KDeviceApi(const KDeviceApi&) = delete;
    KDeviceApi& operator=(const KDeviceApi&) = delete;

    BOOL LoadSetupApi();
    BOOL LoadCfgMgr();
    BOOL LoadKernel();

    // SETUPAPI: device information sets.
    HDEVINFO KSetupDiGetClassDevs(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags);
    BOOL KSetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData);
    BOOL KSetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
    BOOL KSetupDiGetDeviceRegistryProperty(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                           PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                           PDWORD RequiredSize);
    BOOL KSetupDiSetDeviceRegistryProperty(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                           const BYTE* PropertyBuffer, DWORD PropertyBufferSize);
    BOOL KSetupDiGetDeviceInstanceId(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, PSTR DeviceInstanceId,
                                     DWORD DeviceInstanceIdSize, PDWORD RequiredSize);
    BOOL KSetupDiGetDeviceInfoListDetail(HDEVINFO DeviceInfoSet,
                                         PSP_DEVINFO_LIST_DETAIL_DATA_A DeviceInfoSetDetailData);
    HKEY KSetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope, DWORD HwProfile,
                               DWORD KeyType, REGSAM samDesired);
    BOOL KSetupDiDeleteDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope, DWORD HwProfile,
                                 DWORD KeyType);
    BOOL KSetupDiSetClassInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                       PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize);
    BOOL KSetupDiChangeState(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData);
    BOOL KSetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                    PSP_DEVINFO_DATA DeviceInfoData);
    BOOL KSetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
    BOOL KSetupDiRegisterDeviceInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Flags,
                                    PVOID CompareProc, PVOID CompareContext, PSP_DEVINFO_DATA DupDeviceInfoData);
    BOOL KSetupDiSetSelectedDriver(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                   PSP_DRVINFO_DATA_A DriverInfoData);
    BOOL KSetupDiSetSelectedDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData);
    BOOL KSetupDiSetDeviceInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        PSP_DEVINSTALL_PARAMS_A DeviceInstallParams);
    BOOL KSetupDiGetDeviceInstallParams(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        PSP_DEVINSTALL_PARAMS_A DeviceInstallParams);
    BOOL KSetupDiEnumDriverInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                                DWORD MemberIndex, PSP_DRVINFO_DATA_A DriverInfoData);
    BOOL KSetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
    BOOL KSetupDiOpenDeviceInfo(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND hwndParent, DWORD OpenFlags,
                                PSP_DEVINFO_DATA DeviceInfoData);
    BOOL KSetupDiCreateDeviceInfo(HDEVINFO DeviceInfoSet, PCSTR DeviceName, const GUID* ClassGuid,
                                  PCSTR DeviceDescription, HWND hwndParent, DWORD CreationFlags,
                                  PSP_DEVINFO_DATA DeviceInfoData);
    HDEVINFO KSetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent);
    BOOL KSetupDiClassGuidsFromName(PCSTR ClassName, LPGUID ClassGuidList, DWORD ClassGuidListSize,
                                    PDWORD RequiredSize);

    // SETUPAPI: INF files, copies, cabinets, restart.
    BOOL KSetupCopyOEMInf(PCSTR SourceInfFileName, PCSTR OEMSourceMediaLocation, DWORD OEMSourceMediaType,
                          DWORD CopyStyle, PSTR DestinationInfFileName, DWORD DestinationInfFileNameSize,
                          PDWORD RequiredSize, PSTR* DestinationInfFileNameComponent);
    INT KSetupPromptReboot(HSPFILEQ FileQueue, HWND Owner, BOOL ScanOnly);
    BOOL KSetupIterateCabinet(PCSTR CabinetFile, DWORD Reserved, PSP_FILE_CALLBACK_A MsgHandler, PVOID Context);
    HINF KSetupOpenInfFile(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine);
    void KSetupCloseInfFile(HINF InfHandle);
    BOOL KSetupFindFirstLine(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context);
    BOOL KSetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut);
    BOOL KSetupGetStringField(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                              PDWORD RequiredSize);
    BOOL KSetupGetBinaryField(PINFCONTEXT Context, DWORD FieldIndex, PBYTE ReturnBuffer, DWORD ReturnBufferSize,
                              LPDWORD RequiredSize);
    BOOL KSetupGetTargetPath(HINF InfHandle, PINFCONTEXT InfContext, PCSTR Section, PSTR ReturnBuffer,
                             DWORD ReturnBufferSize, PDWORD RequiredSize);
    BOOL KSetupGetSourceFileLocation(HINF InfHandle, PINFCONTEXT InfContext, PCSTR FileName, PUINT SourceId,
                                     PSTR ReturnBuffer, DWORD ReturnBufferSize, PDWORD RequiredSize);
    BOOL KSetupInstallFromInfSection(HWND Owner, HINF InfHandle, PCSTR SectionName, UINT Flags, HKEY RelativeKeyRoot,
                                     PCSTR SourceRootPath, UINT CopyFlags, PSP_FILE_CALLBACK_A MsgHandler,
                                     PVOID Context, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData);
    PVOID KSetupInitDefaultQueueCallback(HWND OwnerWindow);

    // CFGMGR32.
    CONFIGRET KCM_Locate_DevInst(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags);
    CONFIGRET KCM_Reenumerate_DevInst(DEVINST dnDevInst, ULONG ulFlags);
    CONFIGRET KCM_Get_DevNode_Status_Ex(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst, ULONG ulFlags,
                                        HMACHINE hMachine);
    DWORD KCMP_WaitNoPendingInstallEvents(DWORD dwTimeout);

    // KERNEL32 toolhelp: process and module snapshots.
    HANDLE KCreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID);
    BOOL KProcess32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe);
    BOOL KProcess32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe);
    BOOL KModule32First(HANDLE hSnapshot, LPMODULEENTRY32 lpme);

    // NEWDEV, loaded and released around each call.
    BOOL KUpdateDriverForPlugAndPlayDevices(HWND hwndParent, LPCSTR HardwareId, LPCSTR FullInfPath, DWORD InstallFlags,
                                            PBOOL bRebootRequired);

private:
    CScopedLibrary m_SetupApi;
    CScopedLibrary m_CfgMgr;
    CScopedLibrary m_Kernel;
};

// The process's device layer: the one its owner (the application object, or a tool or test) has created;
// null before that.
inline KDeviceApi* GetDeviceApi()
{
    return KDeviceApi::Current();
}

// The symbolic name of a platform error code for trace lines; "UNKNOWN ERROR" for codes not in the table.
void GetErrorCodeName(DWORD dwCode, std::string& csName);
