// An event, semaphore or mutex, made by the program: the operations of their API functions. Each returns
// ERROR_SUCCESS or the Win32 error code for the caller to set; an operation that does not fit the
// object's kind fails as Windows fails it, with ERROR_INVALID_HANDLE.
#pragma once

#include <cstdint>

#include "core/KernelObject.h"
#include "winerror.h"

namespace winsim
{

class SyncObject : public KernelObject
{
public:
    bool IsWaitable() const override { return true; }

    virtual uint32_t SetEventState(bool /*signaled*/) { return ERROR_INVALID_HANDLE; }
    // previous receives the count before the release when it succeeds.
    virtual uint32_t ReleaseSemaphore(int32_t /*count*/, int32_t* /*previous*/) { return ERROR_INVALID_HANDLE; }
    virtual uint32_t ReleaseMutex(uint32_t /*tid*/) { return ERROR_INVALID_HANDLE; }
};

} // namespace winsim
