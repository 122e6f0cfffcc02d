// Helpers shared by the device tree tests: the xp-sp2 profile's devices, and short ways to list sets, read
// properties, locate devnodes and change device states.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "windows.h"
#include "cfgmgr32.h"
#include "setupapi.h"

namespace device_test
{

inline constexpr GUID kModemClass = {0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr GUID kMediaClass = {0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr GUID kNullGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// xp-sp2's devices.
inline constexpr const char* kController = "PCI\\VEN_F0E2&DEV_0A10&SUBSYS_0A10F0E2&REV_02\\3&267A616A&0&D8";
inline constexpr const char* kHdaModem =
    "HDAUDIO\\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001&REV_1001\\4&1C3B2A0E&0&0102";
inline constexpr const char* kWave = "HDAMDM\\WAVE_F0E1_2F20\\5&2A6C0D11&0&0";
inline constexpr const char* kCodec = "HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001&REV_1001\\4&1C3B2A0E&0&0001";
inline constexpr const char* kSoftModem = "PCI\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\\4&1A2B3C4D&0&58F0";
inline constexpr const char* kUsbController = "PCI\\VEN_F0E2&DEV_0B20&SUBSYS_0B20F0E2&REV_01\\3&267A616A&0&EF";
inline constexpr const char* kRootHub = "USB\\ROOT_HUB20\\4&2D4C1B3A&0";
inline constexpr const char* kUsbModem = "USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&1";
inline constexpr const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";

inline bool SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

inline std::vector<std::string> InstanceIds(HDEVINFO set)
{
    std::vector<std::string> ids;
    SP_DEVINFO_DATA data = {sizeof(data)};
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i)
    {
        char id[MAX_DEVICE_ID_LEN];
        EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set, &data, id, sizeof(id), nullptr)) << GetLastError();
        ids.push_back(id);
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    return ids;
}

inline std::vector<std::string> ListDevices(const GUID* classGuid, const char* enumerator, DWORD flags)
{
    HDEVINFO set = SetupDiGetClassDevsA(classGuid, enumerator, nullptr, flags);
    EXPECT_NE(INVALID_HANDLE_VALUE, set) << GetLastError();
    std::vector<std::string> ids = InstanceIds(set);
    SetupDiDestroyDeviceInfoList(set);
    return ids;
}

// A set with one device in it, opened by its instance ID.
class OneDevice
{
public:
    explicit OneDevice(const std::string& instance)
    {
        set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
        data.cbSize = sizeof(data);
        found = SetupDiOpenDeviceInfoA(set, instance.c_str(), nullptr, 0, &data) != FALSE;
        EXPECT_TRUE(found) << instance << " error " << GetLastError();
    }
    ~OneDevice() { SetupDiDestroyDeviceInfoList(set); }
    OneDevice(const OneDevice&) = delete;
    OneDevice& operator=(const OneDevice&) = delete;

    // A string property; "<error N>" when the call fails.
    std::string Text(DWORD property)
    {
        char buffer[1024];
        DWORD type = 0;
        if (!SetupDiGetDeviceRegistryPropertyA(set, &data, property, &type, reinterpret_cast<BYTE*>(buffer),
                                               sizeof(buffer), nullptr))
            return "<error " + std::to_string(GetLastError()) + ">";
        return buffer;
    }

    // Sets DIF_PROPERTYCHANGE parameters and calls the class installer with them.
    BOOL Change(DWORD stateChange, DWORD scope = DICS_FLAG_GLOBAL)
    {
        SP_PROPCHANGE_PARAMS params = {};
        params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
        params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
        params.StateChange = stateChange;
        params.Scope = scope;
        EXPECT_TRUE(SetupDiSetClassInstallParamsA(set, &data, &params.ClassInstallHeader, sizeof(params)))
            << GetLastError();
        return SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &data);
    }

    HDEVINFO set = nullptr;
    SP_DEVINFO_DATA data = {};
    bool found = false;
};

struct NodeStatus
{
    CONFIGRET result = CR_FAILURE;
    ULONG status = 0;
    ULONG problem = 0;
};

inline DEVINST Locate(const std::string& instance, ULONG flags = CM_LOCATE_DEVNODE_NORMAL)
{
    DEVINST devinst = 0;
    std::string id = instance;
    return CM_Locate_DevNodeA(&devinst, id.data(), flags) == CR_SUCCESS ? devinst : 0;
}

inline NodeStatus StatusOf(const std::string& instance)
{
    NodeStatus node;
    DEVINST devinst = Locate(instance);
    if (!devinst)
    {
        node.result = CR_NO_SUCH_DEVNODE;
        return node;
    }
    node.result = CM_Get_DevNode_Status_Ex(&node.status, &node.problem, devinst, 0, nullptr);
    return node;
}

inline bool Started(const std::string& instance)
{
    const NodeStatus node = StatusOf(instance);
    return node.result == CR_SUCCESS && (node.status & DN_STARTED) && !(node.status & DN_HAS_PROBLEM);
}

// What the winsim command prints for a machine ("devices", "store"); empty where the command is not known
// (ctest sets WINSIM_BIN).
inline std::string WinsimCommand(const std::string& command, const std::string& machineDir)
{
    const char* bin = std::getenv("WINSIM_BIN");
    if (!bin)
        return {};
    std::string out;
    FILE* pipe = popen(("'" + std::string(bin) + "/winsim' " + command + " '" + machineDir + "'").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[1024];
    while (fgets(buffer, sizeof(buffer), pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

inline bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace device_test
