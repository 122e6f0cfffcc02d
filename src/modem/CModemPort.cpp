#include "modem/CModemPort.h"
#include "platform/CScopedHandle.h"

#include "common/CTraceScope.h"

namespace
{

const DWORD kOpenTries = 11;
const DWORD kOpenRetryMs = 1000;
const DWORD kHoldOpenMs = 1000;
const DWORD kAfterCloseMs = 1000;
const DWORD kInQueue = 2048;
const DWORD kOutQueue = 1024;
const char kEventChar = static_cast<char>(204);

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
    dcb.ErrorChar = kEventChar;
    dcb.EofChar = kEventChar;
    dcb.EvtChar = kEventChar;
}

} // namespace

BOOL CModemPort::Reset(const std::string& csPortName)
{
    CTraceScope trace("CModemPort::Reset", "csPortName = %s", csPortName.c_str());
    std::string csDevice = "\\\\.\\" + csPortName;
    CScopedKernelHandle port;
    for (DWORD dwTry = 0; dwTry < kOpenTries; ++dwTry)
    {
        port.Reset(CreateFileA(csDevice.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        if (port)
            break;
        TraceLine("FAILED CreateFile(%s) : GetLastError() = %d\n", csDevice.c_str(), static_cast<int>(GetLastError()));
        if (dwTry + 1 < kOpenTries)
            Sleep(kOpenRetryMs);
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
        BOOL bQueues = SetupComm(hPort, kInQueue, kOutQueue);
        BOOL bDtr = EscapeCommFunction(hPort, SETDTR);
        bRetVal = bState && bTimeouts && bQueues && bDtr;
        TraceLine("bRetVal = %d\n", bRetVal);
        Sleep(kHoldOpenMs);
        port.Reset();
    }
    Sleep(kAfterCloseMs);
    return trace.Return(bRetVal);
}
