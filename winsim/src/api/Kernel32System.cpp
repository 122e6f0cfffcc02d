// KERNEL32 system information: GetVersionExA, GetVersion, GetSystemInfo, GetNativeSystemInfo, from the
// machine's identity. Every process is a 32-bit image for now: on an x64 machine it runs under WOW64.
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "windows.h"

using namespace winsim;

namespace
{

void FillSystemInfo(SYSTEM_INFO& info, bool native64)
{
    std::memset(&info, 0, sizeof(info));
    info.wProcessorArchitecture = native64 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
    info.dwPageSize = 4096;
    info.lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(0x00010000));
    info.lpMaximumApplicationAddress =
        reinterpret_cast<LPVOID>(static_cast<uintptr_t>(native64 ? 0x000007FFFFFEFFFFULL : 0x7FFEFFFFULL));
    info.dwActiveProcessorMask = 1;
    info.dwNumberOfProcessors = 1;
    info.dwProcessorType = native64 ? PROCESSOR_AMD_X8664 : PROCESSOR_INTEL_PENTIUM;
    info.dwAllocationGranularity = 0x10000;
    info.wProcessorLevel = 6;
    info.wProcessorRevision = 0x0F06;
}

} // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpVersionInformation)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const MachineIdentity& id = rt->Identity();
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    // Windows 9x knows only the short structure.
    const bool extended = size == sizeof(OSVERSIONINFOEXA) && id.IsNT();
    if (size != sizeof(OSVERSIONINFOA) && !extended)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(reinterpret_cast<char*>(lpVersionInformation) + sizeof(DWORD), 0, size - sizeof(DWORD));
    lpVersionInformation->dwMajorVersion = id.major;
    lpVersionInformation->dwMinorVersion = id.minor;
    lpVersionInformation->dwPlatformId = id.platformId;
    // On 9x the high word of the build number repeats the version: 4.10.2222 is 0x040A08AE.
    lpVersionInformation->dwBuildNumber =
        id.IsNT() ? id.build : ((id.major & 0xFF) << 24) | ((id.minor & 0xFF) << 16) | (id.build & 0xFFFF);
    std::strncpy(lpVersionInformation->szCSDVersion, id.servicePack.c_str(),
                 sizeof(lpVersionInformation->szCSDVersion) - 1);
    if (extended)
    {
        auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(lpVersionInformation);
        ex->wServicePackMajor = static_cast<WORD>(id.servicePackMajor);
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = static_cast<WORD>(id.suiteMask);
        ex->wProductType = static_cast<BYTE>(id.productType);
    }
    return TRUE;
}

DWORD WINAPI GetVersion(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    const MachineIdentity& id = rt->Identity();
    DWORD version = ((id.minor & 0xFF) << 8) | (id.major & 0xFF);
    // NT puts the build number in the high word; 9x sets the high bit (and reports no build).
    return id.IsNT() ? version | ((id.build & 0x7FFF) << 16) : version | 0xC0000000;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO lpSystemInfo)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (lpSystemInfo)
        FillSystemInfo(*lpSystemInfo, false);
}

void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (lpSystemInfo)
        FillSystemInfo(*lpSystemInfo, rt->Identity().Is64Bit());
}
