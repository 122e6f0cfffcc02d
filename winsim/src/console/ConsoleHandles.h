// The standard handles of a program run in a machine. As on Windows XP, console handles are pseudo
// handles whose low bits are 3 (3, 7, 11), so they never collide with the handle table's multiples of
// four; they write to the host's standard streams, which `winsim run` hands to the program.
#pragma once

#include <cstdint>

namespace winsim
{

class ConsoleHandles
{
public:
    // The handle for STD_INPUT_HANDLE/STD_OUTPUT_HANDLE/STD_ERROR_HANDLE, or null for another value.
    static void* Standard(uint32_t nStdHandle);
    static bool IsConsole(const void* handle);
    // Writes to the host stream behind the handle; 0 or a Win32 error code.
    static uint32_t Write(const void* handle, const void* buffer, uint32_t size, uint32_t& done);
    // Reads from the host's standard input; 0 or a Win32 error code (0 bytes at the end of the stream).
    static uint32_t Read(const void* handle, void* buffer, uint32_t size, uint32_t& done);
};

} // namespace winsim
