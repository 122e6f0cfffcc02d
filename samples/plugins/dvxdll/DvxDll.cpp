// A sample hardware-detection library for the setup program (DVXDLL.DLL, DVXDLL64.DLL on 64-bit Windows;
// the winsim plugin dvxdll). It answers from the operating system's list of present devices (SetupAPI):
//   IsDevicePluggedIn(id, readPhysical)  1 when a present device has a hardware or compatible ID that
//                                        contains id (case ignored), else 0; readPhysical changes nothing
//                                        here, the device list is all this library reads
//   IsPCIClassDevicePluggedIn(class)     1 when a present PCI device has the class code (0x07: "CC_07",
//                                        0x0780: "CC_0780")
//   IsNvlsACLinkDevice(id)               the AC'97 modem family of a present device: the number that the
//                                        [ACLink] section of DVXDLL.INI in the program's folder gives a
//                                        piece of its ID ("VEN_F0E1&DEV_2F20=1"); 0 when none does
// It uses only the Win32 API, as a DLL does.
#include <windows.h>

#include <setupapi.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#define DVX_EXPORT extern "C" __declspec(dllexport)
#else
#define DVX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The strings of a device's multi-string property, upper-cased.
void AddIDs(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, std::vector<std::string>& ids)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0)
        return;
    std::vector<char> buffer(size + 2, '\0');
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                           size, nullptr))
        return;
    for (size_t at = 0; at < size && buffer[at]; at += std::string(buffer.data() + at).size() + 1)
        ids.push_back(Upper(buffer.data() + at));
}

// The hardware and compatible IDs of every present device, one list per device. A setup run asks about
// hundreds of IDs in a row: the list is read again only when it is a second old.
const std::vector<std::vector<std::string>>& PresentDevices()
{
    static std::vector<std::vector<std::string>> devices;
    static DWORD readAt = 0;
    static bool read = false;
    const DWORD now = GetTickCount();
    if (read && now - readAt < 1000)
        return devices;
    devices.clear();
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return devices;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index)
    {
        std::vector<std::string> ids;
        AddIDs(set, device, SPDRP_HARDWAREID, ids);
        AddIDs(set, device, SPDRP_COMPATIBLEIDS, ids);
        devices.push_back(ids);
    }
    SetupDiDestroyDeviceInfoList(set);
    read = true;
    readAt = now;
    return devices;
}

// Calls found(ids) for every present device until it returns true; true when it did.
template <typename Found>
bool AnyPresentDevice(Found found)
{
    for (const std::vector<std::string>& ids : PresentDevices())
    {
        if (found(ids))
            return true;
    }
    return false;
}

bool IsPresent(const std::string& id)
{
    const std::string wanted = Upper(id);
    return !wanted.empty() && AnyPresentDevice(
                                  [&](const std::vector<std::string>& ids)
                                  {
                                      for (const std::string& present : ids)
                                          if (present.find(wanted) != std::string::npos)
                                              return true;
                                      return false;
                                  });
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder(path, length);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

} // namespace

DVX_EXPORT int WINAPI IsDevicePluggedIn(const char* deviceId, BOOL /*readPhysical*/)
{
    return deviceId && IsPresent(deviceId) ? 1 : 0;
}

DVX_EXPORT int WINAPI IsPCIClassDevicePluggedIn(DWORD classCode)
{
    char code[16];
    std::snprintf(code, sizeof(code), classCode > 0xFF ? "&CC_%04X" : "&CC_%02X", static_cast<unsigned>(classCode));
    return AnyPresentDevice(
               [&](const std::vector<std::string>& ids)
               {
                   for (const std::string& id : ids)
                       if (id.compare(0, 4, "PCI\\") == 0 && id.find(code) != std::string::npos)
                           return true;
                   return false;
               })
               ? 1
               : 0;
}

DVX_EXPORT int WINAPI IsNvlsACLinkDevice(const char* deviceId)
{
    if (!deviceId || !IsPresent(deviceId))
        return 0;
    const std::string ini = ProgramFolder() + "DVXDLL.INI";
    std::vector<char> keys(4096, '\0');
    DWORD got =
        GetPrivateProfileStringA("ACLink", nullptr, "", keys.data(), static_cast<DWORD>(keys.size()), ini.c_str());
    const std::string device = Upper(deviceId);
    for (DWORD at = 0; at < got && keys[at]; at += static_cast<DWORD>(std::string(keys.data() + at).size()) + 1)
    {
        const std::string key = keys.data() + at;
        if (device.find(Upper(key)) != std::string::npos)
            return static_cast<int>(GetPrivateProfileIntA("ACLink", key.c_str(), 0, ini.c_str()));
    }
    return 0;
}
