// KERNEL32 serial port functions on ports opened with CreateFileA("\\.\COMn"): the device control block,
// time-outs, queue sizes and modem lines, kept per port (hardware/SerialPorts.h) and journalled as kind
// "port". The checks are those serial.sys makes of a device control block.
#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "hardware/SerialPorts.h"
#include "windows.h"

using namespace winsim;

namespace
{

bool ValidDcb(const DCB& dcb)
{
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        dcb.StopBits > TWOSTOPBITS)
        return false;
    if ((dcb.ByteSize == 5 && dcb.StopBits == TWOSTOPBITS) || (dcb.ByteSize > 5 && dcb.StopBits == ONE5STOPBITS))
        return false;
    return !((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar);
}

std::string Describe(const DCB& dcb)
{
    static const char kParity[] = "NOEMS";
    static const char* const kStop[] = {"1", "1.5", "2"};
    return std::to_string(dcb.BaudRate) + " " + std::to_string(dcb.ByteSize) + kParity[dcb.Parity % 5] +
           kStop[dcb.StopBits % 3];
}

} // namespace

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    if (!lpDCB)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpDCB = state.dcb;
    lpDCB->DCBlength = sizeof(DCB);
    return TRUE;
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    if (!lpDCB || !ValidDcb(*lpDCB))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    state.dcb = *lpDCB;
    state.dcb.DCBlength = sizeof(DCB);
    if (!SerialPorts::Save(*rt, state))
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    Journal::Record("port", "state", state.name, Describe(state.dcb));
    return TRUE;
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    if (!lpCommTimeouts)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpCommTimeouts = state.timeouts;
    return TRUE;
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    // MAXDWORD for both read multiplier and constant together with a read interval of MAXDWORD is the one
    // combination serial.sys refuses.
    if (!lpCommTimeouts ||
        (lpCommTimeouts->ReadIntervalTimeout == MAXDWORD && lpCommTimeouts->ReadTotalTimeoutMultiplier == MAXDWORD &&
         lpCommTimeouts->ReadTotalTimeoutConstant == MAXDWORD))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    state.timeouts = *lpCommTimeouts;
    if (!SerialPorts::Save(*rt, state))
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    Journal::Record("port", "timeouts", state.name,
                    "read interval " + std::to_string(state.timeouts.ReadIntervalTimeout) + " ms");
    return TRUE;
}

BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    state.inQueue = dwInQueue;
    state.outQueue = dwOutQueue;
    if (!SerialPorts::Save(*rt, state))
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    Journal::Record("port", "queues", state.name,
                    std::to_string(dwInQueue) + " in, " + std::to_string(dwOutQueue) + " out");
    return TRUE;
}

BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    const char* what = nullptr;
    switch (dwFunc)
    {
    case SETDTR:
        state.dtr = true;
        what = "SETDTR";
        break;
    case CLRDTR:
        state.dtr = false;
        what = "CLRDTR";
        break;
    case SETRTS:
        state.rts = true;
        what = "SETRTS";
        break;
    case CLRRTS:
        state.rts = false;
        what = "CLRRTS";
        break;
    case SETXOFF:
        what = "SETXOFF";
        break;
    case SETXON:
        what = "SETXON";
        break;
    case SETBREAK:
        what = "SETBREAK";
        break;
    case CLRBREAK:
        what = "CLRBREAK";
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!SerialPorts::Save(*rt, state))
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    Journal::Record("port", "escape", state.name, what);
    return TRUE;
}
