// KERNEL32 DeviceIoControl on the devices winsim's drivers answer: USB host controllers and hubs.
#include <memory>

#include "core/Runtime.h"
#include "devices/UsbNodeFile.h"
#include "faults/FaultPoint.h"
#include "windows.h"
#include "winioctl.h"

using namespace winsim;

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                            LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                            struct _OVERLAPPED* lpOverlapped)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (lpOverlapped)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto node = std::dynamic_pointer_cast<UsbNodeFile>(rt->Handles().Lookup(hDevice));
    if (!node)
    {
        // Files and other objects have no driver that answers here.
        SetLastError(rt->Handles().Lookup(hDevice) ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    uint32_t returned = 0;
    const uint32_t error =
        node->Control(*rt, dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize, returned);
    if (lpBytesReturned)
        *lpBytesReturned = returned;
    if (error)
    {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
