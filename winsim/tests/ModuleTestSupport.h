// Helpers shared by the module (loader) tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "FileTestSupport.h"
#include "windows.h"

namespace module_test
{

// The plugin built from samples/plugins/patch_sample.
inline constexpr const char* kSamplePlugin = "patch_sample";

// Writes an image descriptor onto the machine's drive.
inline void WriteImage(const std::string& path, const std::string& program, const std::string& kind = "dll",
                       const std::string& machine = "x86")
{
    file_test::WriteText(path, "WINSIM-IMAGE 1\r\nKind=" + kind + "\r\nProgram=" + program + "\r\nMachine=" + machine +
                                   "\r\nFileVersion=1.0.0.0\r\n");
}

// GetModuleFileNameA of a module, or "<error N>".
inline std::string FileNameOf(HMODULE module)
{
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(buffer, length);
}

// LoadLibraryA expected to fail: returns its last error (0 if it loaded, then unloads again).
inline DWORD LoadError(const char* name, DWORD flags = 0)
{
    SetLastError(0xDEADBEEF);
    HMODULE module = LoadLibraryExA(name, nullptr, flags);
    if (module)
    {
        FreeLibrary(module);
        return 0;
    }
    return GetLastError();
}

inline DWORD ProcError(HMODULE module, const char* name)
{
    SetLastError(0xDEADBEEF);
    return GetProcAddress(module, name) ? 0 : GetLastError();
}

// A FARPROC as the function it is. g++ warns about a direct cast (as it does with the Windows SDK's
// FARPROC): the detour through void (*)() says the cast is meant.
template <typename Function>
Function As(FARPROC proc)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

inline const char* Ordinal(WORD ordinal)
{
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(ordinal));
}

} // namespace module_test
