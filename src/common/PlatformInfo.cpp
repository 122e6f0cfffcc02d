#include "PlatformInfo.h"

#include "platform/CRegistryKey.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

namespace
{

typedef void(WINAPI* PFN_GET_NATIVE_SYSTEM_INFO)(LPSYSTEM_INFO);

// GetNativeSystemInfo appeared with Windows XP: bound by name so the program still starts without it.
BOOL GetNativeArchitecture(WORD& wArchitecture)
{
    HMODULE hKernel = GetModuleHandleA("Kernel32.dll");
    if (!hKernel)
        return FALSE;
    auto pfn = reinterpret_cast<PFN_GET_NATIVE_SYSTEM_INFO>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "GetNativeSystemInfo")));
    if (!pfn)
        return FALSE;
    SYSTEM_INFO si = {};
    pfn(&si);
    wArchitecture = si.wProcessorArchitecture;
    return TRUE;
}

// Extended version data when the platform has it, else the plain structure.
BOOL GetVersionData(OSVERSIONINFOEXA& osvi, BOOL& bExtended)
{
    osvi = {};
    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    bExtended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&osvi));
    if (bExtended)
        return TRUE;
    osvi = {};
    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&osvi));
}

BOOL ValueNamesMillennium(const CRegistryKey& key, const char* pszValue)
{
    std::string csText;
    if (!key.ReadString(pszValue, csText))
        return FALSE;
    std::string csUpper = ToUpper(csText);
    return csUpper.find("MILLENNIUM") != std::string::npos || csUpper.find("ME") != std::string::npos;
}

} // namespace

BOOL IsNative64Bit()
{
    WORD wArchitecture = 0;
    return GetNativeArchitecture(wArchitecture) && wArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

BOOL GetNativeArchName(std::string& csName)
{
    csName.clear();
    WORD wArchitecture = 0;
    if (!GetNativeArchitecture(wArchitecture))
        return FALSE;
    if (wArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
        csName = "AMD64";
    else if (wArchitecture == PROCESSOR_ARCHITECTURE_INTEL)
        csName = "X86";
    return !csName.empty();
}

BOOL IsNTPlatform()
{
    OSVERSIONINFOEXA osvi;
    BOOL bExtended = FALSE;
    return GetVersionData(osvi, bExtended) && osvi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

BOOL IsWinME()
{
    CRegistryKey key(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    return ValueNamesMillennium(key, "Version") || ValueNamesMillennium(key, "ProductName");
}

BOOL IsWin98SE()
{
    CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\Updates", 0,
                      KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return FALSE;
    return RegQueryValueExA(key.Get(), "Windows 98 Second Edition", nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

DWORD GetOSType()
{
    OSVERSIONINFOEXA osvi;
    BOOL bExtended = FALSE;
    if (!GetVersionData(osvi, bExtended))
        return OS_NONE;
    if (osvi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
    {
        if (osvi.dwMajorVersion != 4)
            return OS_NONE;
        if (IsWinME())
            return OS_WINME;
        return IsWin98SE() ? OS_WIN98SE : OS_WIN98;
    }
    if (osvi.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return OS_NONE;
    if (osvi.dwMajorVersion <= 4)
        return OS_WINNT4;
    BOOL b64 = IsNative64Bit();
    if (osvi.dwMajorVersion == 5)
    {
        switch (osvi.dwMinorVersion)
        {
        case 0:
            return OS_WIN2K;
        case 1:
            return OS_WINXP;
        case 2:
            if (!b64)
                return OS_WIN2003SERVER;
            return bExtended && osvi.wProductType == VER_NT_WORKSTATION ? OS_WINXP64 : OS_WIN2003SERVER64;
        default:
            return OS_NONE;
        }
    }
    if (osvi.dwMajorVersion == 6 && osvi.dwMinorVersion == 0)
        return b64 ? OS_WINVISTA64 : OS_WINVISTA;
    return OS_NONE;
}

const char* GetOSTypeName(DWORD dwOSType)
{
    static const char* const names[] = {
        "OS_NONE",  "OS_WIN95",   "OS_WIN98",         "OS_WIN98SE",         "OS_WINME",    "OS_WINNT4",    "OS_WIN2K",
        "OS_WINXP", "OS_WINXP64", "OS_WIN2003SERVER", "OS_WIN2003SERVER64", "OS_WINVISTA", "OS_WINVISTA64"};
    return dwOSType < sizeof(names) / sizeof(names[0]) ? names[dwOSType] : names[0];
}

BOOL GetPlatformDecoration(std::string& csDecoration)
{
    csDecoration.clear();
    OSVERSIONINFOEXA osvi;
    BOOL bExtended = FALSE;
    if (!GetVersionData(osvi, bExtended) || osvi.dwPlatformId != VER_PLATFORM_WIN32_NT || osvi.dwMajorVersion < 5)
        return FALSE;
    std::string csArch;
    GetNativeArchName(csArch);
    csDecoration = Format("NT%s.%d.%d.%d.%d", csArch.c_str(), static_cast<int>(osvi.dwMajorVersion),
                          static_cast<int>(osvi.dwMinorVersion), static_cast<int>(osvi.wProductType & 0xFF),
                          static_cast<int>(osvi.wSuiteMask & 0xFFFF));
    return TRUE;
}

std::string GetExePath()
{
    char szModule[MAX_PATH] = {0};
    DWORD dwLen = GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return {};
    return std::string(szModule, dwLen);
}

BOOL GetExeFolder(std::string& csFolder, BOOL bNoBackslash)
{
    csFolder = GetExePath();
    size_t nSlash = csFolder.find_last_of('\\');
    if (nSlash == std::string::npos)
    {
        csFolder.clear();
        return FALSE;
    }
    csFolder.erase(bNoBackslash ? nSlash : nSlash + 1);
    return TRUE;
}

BOOL GetWindowsTempFolder(std::string& csFolder, BOOL bCreate)
{
    char szWindows[MAX_PATH] = {0};
    UINT uLen = GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (uLen == 0 || uLen >= MAX_PATH)
    {
        csFolder.clear();
        return FALSE;
    }
    csFolder = std::string(szWindows, uLen) + "\\TEMP";
    if (bCreate)
        CreateDirectoryA(csFolder.c_str(), nullptr);
    csFolder += "\\";
    return TRUE;
}
