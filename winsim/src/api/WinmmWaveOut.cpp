// WINMM wave output: waveOutOpen and waveOutClose with the checks Windows makes of a PCM format (through
// the wave mapper, which takes any device), and waveOutGetNumDevs. Nothing is played: an open device is a
// handle of the process until it is closed.
#include "core/HandleTable.h"
#include "core/KernelObject.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "hardware/WaveOut.h"
#include "windows.h"

using namespace winsim;

namespace
{

class WaveOutObject : public KernelObject
{
public:
    ObjectKind Kind() const override { return ObjectKind::Other; }
};

const DWORD kCallbackTypeMask = 0x00070000;
const DWORD kKnownOpenFlags = WAVE_FORMAT_QUERY | 0x2 /* WAVE_ALLOWSYNC */ | 0x4 /* WAVE_MAPPED */ |
                              0x8 /* WAVE_FORMAT_DIRECT */ | kCallbackTypeMask;

bool PcmFormatPlays(const WAVEFORMATEX& format)
{
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels < 1 || format.nChannels > 2)
        return false;
    if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)
        return false;
    if (format.nSamplesPerSec < 8000 || format.nSamplesPerSec > 48000)
        return false;
    const DWORD align = format.nChannels * format.wBitsPerSample / 8;
    return format.nBlockAlign == align && format.nAvgBytesPerSec == format.nSamplesPerSec * align;
}

} // namespace

UINT WINAPI waveOutGetNumDevs(void)
{
    WINSIM_API_CALL();
    Runtime* rt = Runtime::Current();
    return rt ? WaveOut::Devices(*rt) : 0;
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR /*dwCallback*/,
                            DWORD_PTR /*dwInstance*/, DWORD fdwOpen)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, MMSYSERR_ERROR);
    if (fdwOpen & ~kKnownOpenFlags)
        return MMSYSERR_INVALFLAG;
    const uint32_t devices = WaveOut::Devices(*rt);
    if (devices == 0)
        return MMSYSERR_NODRIVER;
    if (uDeviceID != WAVE_MAPPER && uDeviceID >= devices)
        return MMSYSERR_BADDEVICEID;
    if (!pwfx)
        return MMSYSERR_INVALPARAM;
    if (!PcmFormatPlays(*pwfx))
        return WAVERR_BADFORMAT;
    if (fdwOpen & WAVE_FORMAT_QUERY)
        return MMSYSERR_NOERROR;
    if (!phwo)
        return MMSYSERR_INVALPARAM;
    *phwo = static_cast<HWAVEOUT>(rt->Handles().Insert(std::make_shared<WaveOutObject>()));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT hwo)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, MMSYSERR_ERROR);
    if (!std::dynamic_pointer_cast<WaveOutObject>(rt->Handles().Lookup(hwo, ObjectKind::Other)) ||
        !rt->Handles().Close(hwo))
        return MMSYSERR_INVALHANDLE;
    return MMSYSERR_NOERROR;
}
