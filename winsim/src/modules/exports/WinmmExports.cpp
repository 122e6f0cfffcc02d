// WINMM exports: wave output (hardware/WaveOut.h).
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddWinmmExports(BuiltinModule& module)
{
    module.Export("waveOutClose", waveOutClose);
    module.Export("waveOutGetNumDevs", waveOutGetNumDevs);
    module.Export("waveOutOpen", waveOutOpen);
}

} // namespace winsim
