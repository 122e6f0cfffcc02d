#include "TimedPause.h"

#include "platform/CScopedHandle.h"

void PauseOnEvent(const char* pszEventName, DWORD dwMs)
{
    CScopedKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, pszEventName));
    if (event)
        WaitForSingleObject(event.Get(), dwMs);
    else
        Sleep(dwMs);
}
