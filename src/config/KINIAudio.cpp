#include "config/KINIAudio.h"

#include "common/CTraceScope.h"

BOOL KINIAudio::WaitUntilNorvalisAudioDeviceRunning(DWORD dwAudioCheckTimeOut)
{
    CTraceScope trace("KINIAudio::WaitUntilNorvalisAudioDeviceRunning");
    TraceLine("KINIAudio :: WaitUntilNorvalisAudioDeviceRunning : dwAudioCheckTimeOut = %d\n",
              static_cast<int>(dwAudioCheckTimeOut));
    TraceLine("KINIAudio::WaitUntilNorvalisAudioDeviceRunning : not available in this build\n");
    return trace.Return(FALSE);
}
