// The fault hook at the entry of every API function, right after the attached-machine check:
//
//     WINSIM_FAULT_POINT(INVALID_HANDLE_VALUE);    // fails with SetLastError(error), returning the value
//     WINSIM_FAULT_POINT_RESULT();                 // Reg* and the like: returns the error code itself
//     WINSIM_API_CALL();                           // cannot fail: only counted
//
// Most functions open with the attached-machine check and the hook together:
//
//     WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);      // declares rt; ERROR_NOT_READY without a machine
//     WINSIM_FAULT_POINT_RESULT_ATTACHED(rt);      // the same for functions that return the error code
//
// The failure value may use winsimFault, the error. Only the program's own calls count: a call an API
// function makes to another (MessageBoxA to MessageBoxExA) is neither counted nor failed. A function that
// cannot fail is also listed in FaultRules.cpp, so that plans refuse it (FaultHookTest checks both).
#pragma once

#include <cstdint>

#include "FaultPlan.h"

namespace winsim
{

class FaultPoint
{
public:
    explicit FaultPoint(const char* api)
    {
        if (FaultPlan::Active())
            Enter(api);
    }
    ~FaultPoint()
    {
        if (m_entered)
            Leave();
    }
    FaultPoint(const FaultPoint&) = delete;
    FaultPoint& operator=(const FaultPoint&) = delete;

    // The error this call is to fail with; 0 when it goes on.
    uint32_t Error() const { return m_error; }

    // Around program code an API function calls back (EnumWindows' callback): its calls are the
    // program's own again.
    class Callback
    {
    public:
        Callback();
        ~Callback();
        Callback(const Callback&) = delete;
        Callback& operator=(const Callback&) = delete;

    private:
        int m_savedDepth;
    };

private:
    void Enter(const char* api);
    void Leave();

    bool m_entered = false;
    uint32_t m_error = 0;
};

} // namespace winsim

#define WINSIM_FAULT_POINT_ATTACHED(rt, failValue)                                                                     \
    Runtime* rt = Runtime::Current();                                                                                  \
    if (!rt)                                                                                                           \
    {                                                                                                                  \
        SetLastError(ERROR_NOT_READY);                                                                                 \
        return failValue;                                                                                              \
    }                                                                                                                  \
    WINSIM_FAULT_POINT(failValue)

#define WINSIM_FAULT_POINT(failValue)                                                                                  \
    ::winsim::FaultPoint winsimFaultPoint(__func__);                                                                   \
    if (const DWORD winsimFault = winsimFaultPoint.Error())                                                            \
    {                                                                                                                  \
        SetLastError(winsimFault);                                                                                     \
        return failValue;                                                                                              \
    }

#define WINSIM_FAULT_POINT_RESULT()                                                                                    \
    ::winsim::FaultPoint winsimFaultPoint(__func__);                                                                   \
    if (const DWORD winsimFault = winsimFaultPoint.Error())                                                            \
        return static_cast<LONG>(winsimFault);

#define WINSIM_API_CALL() ::winsim::FaultPoint winsimFaultPoint(__func__)

#define WINSIM_FAULT_POINT_RESULT_ATTACHED(rt)                                                                         \
    Runtime* rt = Runtime::Current();                                                                                  \
    if (!rt)                                                                                                           \
        return ERROR_NOT_READY;                                                                                        \
    WINSIM_FAULT_POINT_RESULT()
