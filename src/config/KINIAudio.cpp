#include "config/KINIAudio.h"
#include "platform/CScopedHandle.h"

#include "common/CTraceScope.h"

namespace
{

typedef MMRESULT(WINAPI* PFN_WAVE_OUT_OPEN)(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
typedef MMRESULT(WINAPI* PFN_WAVE_OUT_CLOSE)(HWAVEOUT);

const DWORD RETRY_MS = 500;

// CD quality: 44100 Hz, 16 bits, two channels.
WAVEFORMATEX CdQualityFormat()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 176400;
    return format;
}

} // namespace

BOOL KINIAudio::WaitUntilNorvalisAudioDeviceRunning(DWORD dwAudioCheckTimeOut)
{
    CTraceScope trace("KINIAudio::WaitUntilNorvalisAudioDeviceRunning");
    TraceLine("KINIAudio :: WaitUntilNorvalisAudioDeviceRunning : dwAudioCheckTimeOut = %d\n",
              static_cast<int>(dwAudioCheckTimeOut));
    // Wave output is bound by name: a system without it has no audio device to wait for.
    CScopedLibrary winmm(LoadLibraryA("WINMM.DLL"));
    auto pfnOpen = reinterpret_cast<PFN_WAVE_OUT_OPEN>(
        reinterpret_cast<void (*)()>(winmm ? GetProcAddress(winmm.Get(), "waveOutOpen") : nullptr));
    auto pfnClose = reinterpret_cast<PFN_WAVE_OUT_CLOSE>(
        reinterpret_cast<void (*)()>(winmm ? GetProcAddress(winmm.Get(), "waveOutClose") : nullptr));
    if (!pfnOpen || !pfnClose)
    {
        TraceLine("ERROR : no wave output functions\n");
        return trace.Return(FALSE);
    }
    WAVEFORMATEX format = CdQualityFormat();
    DWORD dwElapsedTime = 0;
    BOOL bRetVal = FALSE;
    for (;;)
    {
        HWAVEOUT hWaveOut = nullptr;
        if (pfnOpen(&hWaveOut, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR)
        {
            pfnClose(hWaveOut);
            bRetVal = TRUE;
            break;
        }
        if (dwElapsedTime > dwAudioCheckTimeOut)
            break;
        Sleep(RETRY_MS);
        dwElapsedTime += RETRY_MS;
    }
    TraceLine("dwElapsedTime = %d\n", static_cast<int>(dwElapsedTime));
    return trace.Return(bRetVal);
}
