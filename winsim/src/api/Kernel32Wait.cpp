// KERNEL32 handles and waits: CloseHandle, WaitForSingleObject, WaitForMultipleObjects.
#include <memory>
#include <vector>

#include "console/ConsoleHandles.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/NamedObject.h"
#include "kernel/WaitEngine.h"
#include "processes/ProcessObject.h"
#include "windows.h"

using namespace winsim;

namespace
{

// GetCurrentProcess(): waitable, but never signalled while anyone can wait on it.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

bool SameObject(const std::shared_ptr<KernelObject>& a, const std::shared_ptr<KernelObject>& b)
{
    if (a == b)
        return true;
    auto* namedA = dynamic_cast<NamedObject*>(a.get());
    auto* namedB = dynamic_cast<NamedObject*>(b.get());
    if (namedA && namedB)
        return namedA->Name() == namedB->Name();
    // Two handles to one process (or to its first thread) are one object.
    auto* processA = dynamic_cast<ProcessObject*>(a.get());
    auto* processB = dynamic_cast<ProcessObject*>(b.get());
    return processA && processB && processA->Pid() == processB->Pid() && a->Kind() == b->Kind();
}

DWORD WaitFor(Runtime& rt, DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    std::vector<std::shared_ptr<KernelObject>> objects;
    objects.reserve(nCount);
    for (DWORD i = 0; i < nCount; ++i)
    {
        if (lpHandles[i] == kCurrentProcess)
        {
            objects.push_back(nullptr);
            continue;
        }
        auto object = rt.Handles().Lookup(lpHandles[i]);
        if (!object || !object->IsWaitable())
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    // Waiting for all of the same object twice is refused, as Windows refuses it.
    if (bWaitAll)
    {
        for (DWORD i = 0; i < nCount; ++i)
        {
            for (DWORD j = i + 1; j < nCount; ++j)
            {
                if (lpHandles[i] == lpHandles[j] || (objects[i] && objects[j] && SameObject(objects[i], objects[j])))
                {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return WAIT_FAILED;
                }
            }
        }
    }
    return WaitEngine::Wait(rt, objects, bWaitAll != FALSE, dwMilliseconds);
}

} // namespace

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // Closing a pseudo handle does nothing and succeeds.
    if (hObject == kCurrentProcess || ConsoleHandles::IsConsole(hObject))
        return TRUE;
    auto object = rt->Handles().Lookup(hObject);
    // Find handles and registry keys have their own close functions.
    if (!object || object->Kind() == ObjectKind::FindFile || object->Kind() == ObjectKind::RegistryKey ||
        !rt->Handles().Close(hObject))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, WAIT_FAILED);
    return WaitFor(*rt, 1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, WAIT_FAILED);
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return WaitFor(*rt, nCount, lpHandles, bWaitAll, dwMilliseconds);
}
