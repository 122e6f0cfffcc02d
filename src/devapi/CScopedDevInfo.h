// A device information set owned for one scope, released through the device layer that made it.
#pragma once

#include "devapi/KDeviceApi.h"
#include "platform/CScopedHandle.h"

struct DevInfoTraits
{
    typedef HDEVINFO Handle;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h)
    {
        if (KDeviceApi* pApi = GetDeviceApi())
            pApi->KSetupDiDestroyDeviceInfoList(h);
    }
};

typedef CScopedHandle<DevInfoTraits> CScopedDevInfo;
