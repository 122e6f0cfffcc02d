// KERNEL32 events, semaphores and mutexes: create, open, set, release. Unnamed objects live in the process;
// named ones live on the machine, shared by every process attached to it.
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "kernel/LocalEvent.h"
#include "kernel/LocalMutex.h"
#include "kernel/LocalSemaphore.h"
#include "kernel/NamedObject.h"
#include "kernel/NamedObjectTable.h"
#include "windows.h"

using namespace winsim;

namespace
{

bool IsNamed(LPCSTR lpName)
{
    return lpName && *lpName;
}

// Creates the named object or opens the existing one (ERROR_ALREADY_EXISTS).
HANDLE CreateNamed(Runtime& rt, LPCSTR lpName, const NamedObjectSpec& objectSpec)
{
    std::string name;
    uint32_t error = ERROR_SUCCESS;
    if (!NamedObjectTable::NormalizeName(rt.Identity(), lpName, name, error))
    {
        SetLastError(error);
        return nullptr;
    }
    bool existed = false;
    auto object = NamedObjectTable(rt).Create(name, objectSpec, existed, error);
    if (!object)
    {
        SetLastError(error);
        return nullptr;
    }
    HANDLE handle = rt.Handles().Insert(object);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE CreateLocal(Runtime& rt, std::shared_ptr<KernelObject> object)
{
    HANDLE handle = rt.Handles().Insert(std::move(object));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

HANDLE OpenNamed(Runtime& rt, LPCSTR lpName, NamedKind kind)
{
    if (!lpName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name;
    uint32_t error = ERROR_SUCCESS;
    if (!NamedObjectTable::NormalizeName(rt.Identity(), lpName, name, error))
    {
        SetLastError(error);
        return nullptr;
    }
    auto object = NamedObjectTable(rt).Open(name, kind, error);
    if (!object)
    {
        SetLastError(error);
        return nullptr;
    }
    return rt.Handles().Insert(object);
}

// The object behind a handle of the given kind, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<SyncObject> SyncOf(Runtime& rt, HANDLE handle, ObjectKind kind)
{
    auto object = std::dynamic_pointer_cast<SyncObject>(rt.Handles().Lookup(handle, kind));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

BOOL Result(uint32_t error)
{
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

BOOL SetEventTo(Runtime& rt, HANDLE hEvent, bool signaled)
{
    auto event = SyncOf(rt, hEvent, ObjectKind::Event);
    return event ? Result(event->SetEventState(signaled)) : FALSE;
}

} // namespace

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES /*lpEventAttributes*/, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (!IsNamed(lpName))
        return CreateLocal(*rt,
                           std::make_shared<LocalEvent>(rt->GetClock(), bManualReset != FALSE, bInitialState != FALSE));
    NamedObjectSpec objectSpec;
    objectSpec.kind = NamedKind::Event;
    objectSpec.manualReset = bManualReset != FALSE;
    objectSpec.state = bInitialState ? 1 : 0;
    return CreateNamed(*rt, lpName, objectSpec);
}

HANDLE WINAPI OpenEventA(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return OpenNamed(*rt, lpName, NamedKind::Event);
}

BOOL WINAPI SetEvent(HANDLE hEvent)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return SetEventTo(*rt, hEvent, true);
}

BOOL WINAPI ResetEvent(HANDLE hEvent)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return SetEventTo(*rt, hEvent, false);
}

HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES /*lpSemaphoreAttributes*/, LONG lInitialCount, LONG lMaximumCount,
                               LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsNamed(lpName))
        return CreateLocal(*rt, std::make_shared<LocalSemaphore>(rt->GetClock(), lInitialCount, lMaximumCount));
    NamedObjectSpec objectSpec;
    objectSpec.kind = NamedKind::Semaphore;
    objectSpec.state = lInitialCount;
    objectSpec.maxCount = lMaximumCount;
    return CreateNamed(*rt, lpName, objectSpec);
}

HANDLE WINAPI OpenSemaphoreA(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return OpenNamed(*rt, lpName, NamedKind::Semaphore);
}

BOOL WINAPI ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto semaphore = SyncOf(*rt, hSemaphore, ObjectKind::Semaphore);
    if (!semaphore)
        return FALSE;
    if (lReleaseCount <= 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Result(semaphore->ReleaseSemaphore(lReleaseCount, lpPreviousCount));
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES /*lpMutexAttributes*/, BOOL bInitialOwner, LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    const uint32_t tid = CurrentThread::Id(*rt);
    if (!IsNamed(lpName))
    {
        auto mutex = std::make_shared<LocalMutex>(rt->GetClock());
        if (bInitialOwner)
            rt->GetClock().Update([&] { mutex->Acquire(tid); });
        return CreateLocal(*rt, mutex);
    }
    NamedObjectSpec objectSpec;
    objectSpec.kind = NamedKind::Mutex;
    // Only a mutex this call makes starts owned; an existing one is just opened.
    objectSpec.ownerTid = bInitialOwner ? tid : 0;
    return CreateNamed(*rt, lpName, objectSpec);
}

HANDLE WINAPI OpenMutexA(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, LPCSTR lpName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return OpenNamed(*rt, lpName, NamedKind::Mutex);
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    auto mutex = SyncOf(*rt, hMutex, ObjectKind::Mutex);
    return mutex ? Result(mutex->ReleaseMutex(CurrentThread::Id(*rt))) : FALSE;
}
