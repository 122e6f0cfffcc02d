// Control panel applets the program reads names from: MMSYS.CPL (sound) and APPWIZ.CPL (programs). They
// export no function winsim has; what they carry is the strings that name them in the control panel, which
// change between Windows XP and Vista.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"

namespace winsim
{

void AddMmsysCplExports(BuiltinModule& module)
{
    module.String(5771, 0x0501, "Sounds and Audio Devices");
    module.String(5771, 0x0600, "Sound");
}

void AddAppwizCplExports(BuiltinModule& module)
{
    module.String(56, 0x0501, "Add or Remove Programs");
    module.String(56, 0x0600, "Programs and Features");
}

} // namespace winsim
