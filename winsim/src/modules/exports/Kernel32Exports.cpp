// KERNEL32 exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddKernel32Exports(BuiltinModule& module)
{
    module.Export("CloseHandle", CloseHandle);
    module.Export("CopyFileA", CopyFileA);
    module.Export("CreateDirectoryA", CreateDirectoryA);
    module.Export("CreateEventA", CreateEventA);
    module.Export("CreateFileA", CreateFileA);
    module.Export("CreateMutexA", CreateMutexA);
    module.Export("CreateSemaphoreA", CreateSemaphoreA);
    module.Export("CreateThread", CreateThread);
    module.Export("DeleteFileA", DeleteFileA);
    module.Export("FileTimeToSystemTime", FileTimeToSystemTime);
    module.Export("FindClose", FindClose);
    module.Export("FindFirstFileA", FindFirstFileA);
    module.Export("FindNextFileA", FindNextFileA);
    module.Export("FlushFileBuffers", FlushFileBuffers);
    module.Export("FreeLibrary", FreeLibrary);
    module.Export("GetCommandLineA", GetCommandLineA);
    module.Export("GetCurrentDirectoryA", GetCurrentDirectoryA);
    module.Export("GetCurrentProcess", GetCurrentProcess);
    module.Export("GetCurrentProcessId", GetCurrentProcessId);
    module.Export("GetCurrentThreadId", GetCurrentThreadId);
    module.Export("GetEnvironmentVariableA", GetEnvironmentVariableA);
    module.Export("GetExitCodeThread", GetExitCodeThread);
    module.Export("GetFileAttributesA", GetFileAttributesA);
    module.Export("GetFileSize", GetFileSize);
    module.Export("GetFileTime", GetFileTime);
    module.Export("GetFullPathNameA", GetFullPathNameA);
    module.Export("GetLastError", GetLastError);
    module.Export("GetLocalTime", GetLocalTime);
    module.Export("GetModuleFileNameA", GetModuleFileNameA);
    module.Export("GetModuleHandleA", GetModuleHandleA);
    module.Export("GetNativeSystemInfo", GetNativeSystemInfo);
    module.Export("GetPrivateProfileIntA", GetPrivateProfileIntA);
    module.Export("GetPrivateProfileSectionA", GetPrivateProfileSectionA);
    module.Export("GetPrivateProfileStringA", GetPrivateProfileStringA);
    module.Export("GetProcAddress", GetProcAddress);
    module.Export("GetShortPathNameA", GetShortPathNameA);
    module.Export("GetSystemDirectoryA", GetSystemDirectoryA);
    module.Export("GetSystemInfo", GetSystemInfo);
    module.Export("GetSystemTime", GetSystemTime);
    module.Export("GetSystemTimeAsFileTime", GetSystemTimeAsFileTime);
    module.Export("GetTempPathA", GetTempPathA);
    module.Export("GetTickCount", GetTickCount);
    module.Export("GetVersion", GetVersion);
    module.Export("GetVersionExA", GetVersionExA);
    module.Export("GetWindowsDirectoryA", GetWindowsDirectoryA);
    module.Export("LoadLibraryA", LoadLibraryA);
    module.Export("LoadLibraryExA", LoadLibraryExA);
    module.Export("LocalAlloc", LocalAlloc);
    module.Export("LocalFree", LocalFree);
    module.Export("MoveFileA", MoveFileA);
    module.Export("MoveFileExA", MoveFileExA);
    module.Export("OpenEventA", OpenEventA);
    module.Export("OpenMutexA", OpenMutexA);
    module.Export("OpenSemaphoreA", OpenSemaphoreA);
    module.Export("ReadFile", ReadFile);
    module.Export("ReleaseMutex", ReleaseMutex);
    module.Export("ReleaseSemaphore", ReleaseSemaphore);
    module.Export("RemoveDirectoryA", RemoveDirectoryA);
    module.Export("ResetEvent", ResetEvent);
    module.Export("ResumeThread", ResumeThread);
    module.Export("SetCurrentDirectoryA", SetCurrentDirectoryA);
    module.Export("SetEndOfFile", SetEndOfFile);
    module.Export("SetEvent", SetEvent);
    module.Export("SetFileAttributesA", SetFileAttributesA);
    module.Export("SetFilePointer", SetFilePointer);
    module.Export("SetLastError", SetLastError);
    module.Export("Sleep", Sleep);
    module.Export("SystemTimeToFileTime", SystemTimeToFileTime);
    module.Export("WaitForMultipleObjects", WaitForMultipleObjects);
    module.Export("WaitForSingleObject", WaitForSingleObject);
    module.Export("WriteFile", WriteFile);
    module.Export("WritePrivateProfileSectionA", WritePrivateProfileSectionA);
    module.Export("WritePrivateProfileStringA", WritePrivateProfileStringA);
}

} // namespace winsim
