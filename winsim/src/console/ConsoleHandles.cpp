#include "ConsoleHandles.h"

#include <cerrno>
#include <unistd.h>

#include "windows.h"

namespace winsim
{

namespace
{

const uintptr_t kInput = 3;
const uintptr_t kOutput = 7;
const uintptr_t kError = 11;

int HostDescriptor(const void* handle)
{
    switch (reinterpret_cast<uintptr_t>(handle))
    {
    case kInput:
        return 0;
    case kOutput:
        return 1;
    case kError:
        return 2;
    default:
        return -1;
    }
}

} // namespace

void* ConsoleHandles::Standard(uint32_t nStdHandle)
{
    switch (nStdHandle)
    {
    case STD_INPUT_HANDLE:
        return reinterpret_cast<void*>(kInput);
    case STD_OUTPUT_HANDLE:
        return reinterpret_cast<void*>(kOutput);
    case STD_ERROR_HANDLE:
        return reinterpret_cast<void*>(kError);
    default:
        return nullptr;
    }
}

bool ConsoleHandles::IsConsole(const void* handle)
{
    return HostDescriptor(handle) >= 0;
}

uint32_t ConsoleHandles::Write(const void* handle, const void* buffer, uint32_t size, uint32_t& done)
{
    done = 0;
    int fd = HostDescriptor(handle);
    if (fd < 1)
        return ERROR_ACCESS_DENIED;
    const char* p = static_cast<const char*>(buffer);
    while (done < size)
    {
        ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ERROR_WRITE_FAULT;
        done += static_cast<uint32_t>(n);
    }
    return 0;
}

uint32_t ConsoleHandles::Read(const void* handle, void* buffer, uint32_t size, uint32_t& done)
{
    done = 0;
    if (HostDescriptor(handle) != 0)
        return ERROR_ACCESS_DENIED;
    ssize_t n;
    do
        n = ::read(0, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return ERROR_READ_FAULT;
    done = static_cast<uint32_t>(n);
    return 0;
}

} // namespace winsim
