// The wait for the audio device that some companion applications need before they start.
#pragma once

#include "platform/win32.h"

class KINIAudio
{
public:
    // TRUE once the default wave output device opens for CD-quality PCM, FALSE after dwAudioCheckTimeOut ms.
    static BOOL WaitUntilNorvalisAudioDeviceRunning(DWORD dwAudioCheckTimeOut);
};
