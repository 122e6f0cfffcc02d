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

BOOL Refuse(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// Keeps the port's changed state and journals the change.
BOOL Commit(Runtime& rt, const SerialPortState& state, const char* change, const std::string& detail)
{
    if (!SerialPorts::Save(rt, state))
        return Refuse(ERROR_NOT_ENOUGH_MEMORY);
    Journal::Record("port", change, state.name, detail);
    return TRUE;
}

} // namespace

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    if (!lpDCB)
        return Refuse(ERROR_INVALID_PARAMETER);
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
        return Refuse(ERROR_INVALID_PARAMETER);
    state.dcb = *lpDCB;
    state.dcb.DCBlength = sizeof(DCB);
    return Commit(*rt, state, "state", Describe(state.dcb));
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    if (!lpCommTimeouts)
        return Refuse(ERROR_INVALID_PARAMETER);
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
        return Refuse(ERROR_INVALID_PARAMETER);
    state.timeouts = *lpCommTimeouts;
    return Commit(*rt, state, "timeouts",
                  "read interval " + std::to_string(state.timeouts.ReadIntervalTimeout) + " ms");
}

BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    SerialPortState state;
    if (!SerialPorts::Find(*rt, hFile, state))
        return FALSE;
    state.inQueue = dwInQueue;
    state.outQueue = dwOutQueue;
    return Commit(*rt, state, "queues", std::to_string(dwInQueue) + " in, " + std::to_string(dwOutQueue) + " out");
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
        return Refuse(ERROR_INVALID_PARAMETER);
    }
    return Commit(*rt, state, "escape", what);
}
