#include "modem/CModemPort.h"
#include "platform/CScopedHandle.h"

#include "common/CTraceScope.h"

namespace
{

const DWORD OPEN_TRIES = 11;
const DWORD OPEN_RETRY_MS = 1000;
const DWORD HOLD_OPEN_MS = 1000;
const DWORD AFTER_CLOSE_MS = 1000;
const DWORD IN_QUEUE = 2048;
const DWORD OUT_QUEUE = 1024;
const char EVENT_CHAR = static_cast<char>(204);

// The settings the modem expects: 115200 8N1, binary, CTS output flow, DTR on, RTS handshake.
void ApplyModemSettings(DCB& dcb)
{
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 1;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fAbortOnError = 1;
    dcb.XonLim = 80;
    dcb.XoffLim = 200;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    dcb.ErrorChar = EVENT_CHAR;
    dcb.EofChar = EVENT_CHAR;
    dcb.EvtChar = EVENT_CHAR;
}

} // namespace

BOOL CModemPort::Reset(const std::string& csPortName)
{
    CTraceScope trace("CModemPort::Reset", "csPortName = %s", csPortName.c_str());
    std::string csDevice = "\\\\.\\" + csPortName;
    CScopedKernelHandle port;
    for (DWORD dwTry = 0; dwTry < OPEN_TRIES; ++dwTry)
    {
        port.Reset(CreateFileA(csDevice.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        if (port)
            break;
        TraceLine("FAILED CreateFile(%s) : GetLastError() = %d\n", csDevice.c_str(), static_cast<int>(GetLastError()));
        if (dwTry + 1 < OPEN_TRIES)
            Sleep(OPEN_RETRY_MS);
    }
    BOOL bRetVal = FALSE;
    if (port)
    {
        HANDLE hPort = port.Get();
        DCB dcb = {};
        dcb.DCBlength = sizeof(dcb);
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = 1;
        BOOL bState = GetCommState(hPort, &dcb);
        if (bState)
        {
            ApplyModemSettings(dcb);
            bState = SetCommState(hPort, &dcb);
        }
        BOOL bTimeouts = SetCommTimeouts(hPort, &timeouts);
        BOOL bQueues = SetupComm(hPort, IN_QUEUE, OUT_QUEUE);
        BOOL bDtr = EscapeCommFunction(hPort, SETDTR);
        bRetVal = bState && bTimeouts && bQueues && bDtr;
        TraceLine("bRetVal = %d\n", bRetVal);
        Sleep(HOLD_OPEN_MS);
        port.Reset();
    }
    Sleep(AFTER_CLOSE_MS);
    return trace.Return(bRetVal);
}
