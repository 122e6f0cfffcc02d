// A move-only owner of one Win32 handle, closed when the owner goes out of scope. Closing keeps the
// thread's last error, so a caller can still read why the call before it failed.
#pragma once

#include <utility>

#include "platform/win32.h"

template <typename Traits>
class CScopedHandle
{
public:
    typedef typename Traits::Handle Handle;

    CScopedHandle() = default;
    explicit CScopedHandle(Handle hHandle) : m_hHandle(hHandle) {}
    ~CScopedHandle() { Reset(); }

    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    CScopedHandle(CScopedHandle&& other) noexcept : m_hHandle(other.Release()) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return m_hHandle; }
    bool IsValid() const { return Traits::IsValid(m_hHandle); }
    explicit operator bool() const { return IsValid(); }

    // For functions that hand back a handle through a pointer: whatever was held is closed first.
    Handle* Receive()
    {
        Reset();
        return &m_hHandle;
    }

    // Gives the handle to another owner.
    Handle Release() { return std::exchange(m_hHandle, Traits::Invalid()); }

    void Reset(Handle hHandle = Traits::Invalid())
    {
        Handle hOld = std::exchange(m_hHandle, hHandle);
        if (!Traits::IsValid(hOld))
            return;
        DWORD dwLastError = GetLastError();
        Traits::Close(hOld);
        SetLastError(dwLastError);
    }

private:
    Handle m_hHandle = Traits::Invalid();
};

// Kernel objects: processes, threads, files, events, semaphores, snapshots. Both the null handle and
// INVALID_HANDLE_VALUE mean "none", as the creating functions disagree on which they return.
struct KernelHandleTraits
{
    typedef HANDLE Handle;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits
{
    typedef HANDLE Handle;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};

// SetupDiOpenDevRegKey reports failure as INVALID_HANDLE_VALUE, the registry functions as null.
struct RegKeyTraits
{
    typedef HKEY Handle;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE); }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct LibraryTraits
{
    typedef HMODULE Handle;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

typedef CScopedHandle<KernelHandleTraits> CScopedKernelHandle;
typedef CScopedHandle<FindHandleTraits> CScopedFindHandle;
typedef CScopedHandle<RegKeyTraits> CScopedRegKey;
typedef CScopedHandle<LibraryTraits> CScopedLibrary;
