// KERNEL32 file handles and their I/O: CreateFileA, ReadFile, WriteFile, SetFilePointer, SetEndOfFile,
// GetFileSize, FlushFileBuffers, GetFileTime.
#include "console/ConsoleHandles.h"
#include "core/Runtime.h"
#include "devices/UsbNodeFile.h"
#include "faults/FaultPoint.h"
#include "files/ApiBuffers.h"
#include "files/AttributeTable.h"
#include "files/FileObject.h"
#include "files/FileOpener.h"
#include "files/PathArgument.h"
#include "windows.h"

using namespace winsim;

namespace
{

// The open file behind a handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<FileObject> FileOf(Runtime& rt, HANDLE handle)
{
    auto file = FileObject::FromHandle(rt, handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Hands the byte count back and turns a Win32 error code into the function's result.
BOOL IoResult(uint32_t error, uint32_t done, LPDWORD lpCount)
{
    if (lpCount)
        *lpCount = done;
    if (error)
    {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE /*hTemplateFile*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Device paths of winsim's drivers (USB host controllers and hubs).
    std::shared_ptr<UsbNodeFile> node;
    uint32_t deviceError = 0;
    if (lpFileName && UsbNodeFile::Open(*rt, lpFileName, node, deviceError))
    {
        if (!node)
        {
            SetLastError(deviceError);
            return INVALID_HANDLE_VALUE;
        }
        return rt->Handles().Insert(node);
    }
    WinPath target;
    if (!PathArgument::Resolve(*rt, lpFileName, target))
        return INVALID_HANDLE_VALUE;
    OpenRequest request{dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes};
    bool existed = false;
    uint32_t error = 0;
    auto file = FileOpener::Open(*rt, target, request, existed, error);
    if (!file)
    {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = rt->Handles().Insert(file);
    const bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPVOID lpOverlapped)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (ConsoleHandles::IsConsole(hFile))
    {
        uint32_t done = 0;
        uint32_t error = ConsoleHandles::Read(hFile, lpBuffer, nNumberOfBytesToRead, done);
        return IoResult(error, done, lpNumberOfBytesRead);
    }
    auto file = FileOf(*rt, hFile);
    if (!file)
        return FALSE;
    // Without an OVERLAPPED structure the count is required; handles here are never overlapped.
    if (!lpNumberOfBytesRead && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToRead)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    uint32_t done = 0;
    uint32_t error = file->Read(lpBuffer, nNumberOfBytesToRead, done);
    return IoResult(error, done, lpNumberOfBytesRead);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPVOID lpOverlapped)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    if (ConsoleHandles::IsConsole(hFile))
    {
        uint32_t done = 0;
        uint32_t error = ConsoleHandles::Write(hFile, lpBuffer, nNumberOfBytesToWrite, done);
        return IoResult(error, done, lpNumberOfBytesWritten);
    }
    auto file = FileOf(*rt, hFile);
    if (!file)
        return FALSE;
    if (!lpNumberOfBytesWritten && !lpOverlapped)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToWrite)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    uint32_t done = 0;
    uint32_t error = file->Write(lpBuffer, nNumberOfBytesToWrite, done, rt->GetClock().NowMs());
    return IoResult(error, done, lpNumberOfBytesWritten);
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_SET_FILE_POINTER);
    auto file = FileOf(*rt, hFile);
    if (!file)
        return INVALID_SET_FILE_POINTER;
    // With a high part the distance is one signed 64-bit number; without, a signed 32-bit one and the
    // result must fit in 32 bits.
    int64_t distance = lDistanceToMove;
    uint64_t limit = 0xFFFFFFFFull;
    if (lpDistanceToMoveHigh)
    {
        uint64_t combined = (static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                            static_cast<uint32_t>(lDistanceToMove);
        distance = static_cast<int64_t>(combined);
        limit = UINT64_MAX;
    }
    uint64_t position = 0;
    uint32_t error = file->Seek(distance, dwMoveMethod, limit, position);
    if (error)
    {
        SetLastError(error);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
    const DWORD low = static_cast<DWORD>(position & 0xFFFFFFFFu);
    // A real position whose low part looks like the failure value is told apart by a cleared error.
    if (low == INVALID_SET_FILE_POINTER)
        SetLastError(NO_ERROR);
    return low;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto file = FileOf(*rt, hFile);
    if (!file)
        return FALSE;
    uint32_t error = file->SetEnd(rt->GetClock().NowMs());
    if (error)
    {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_FILE_SIZE);
    auto file = FileOf(*rt, hFile);
    if (!file)
        return INVALID_FILE_SIZE;
    uint64_t size = 0;
    uint32_t error = file->Size(size);
    if (error)
    {
        SetLastError(error);
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    const DWORD low = static_cast<DWORD>(size & 0xFFFFFFFFu);
    if (low == INVALID_FILE_SIZE)
        SetLastError(NO_ERROR);
    return low;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto file = FileOf(*rt, hFile);
    if (!file)
        return FALSE;
    // Host writes are not cached by winsim; only the access check is left to do.
    if (!file->CanWrite())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto file = FileOf(*rt, hFile);
    if (!file)
        return FALSE;
    AttributeTable table(rt->GetMachine().GetStore());
    FileFacts facts = table.Describe(file->Target().upath, HostDrive::Stat(file->Target().host));
    uint64_t written = 0;
    if (file->WrittenAt(written))
        facts.writeMs = written;
    if (lpCreationTime)
        *lpCreationTime = ApiBuffers::ToFileTime(facts.creationMs);
    if (lpLastAccessTime)
        *lpLastAccessTime = ApiBuffers::ToFileTime(facts.writeMs);
    if (lpLastWriteTime)
        *lpLastWriteTime = ApiBuffers::ToFileTime(facts.writeMs);
    return TRUE;
}
