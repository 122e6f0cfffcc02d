#include "BuiltinModules.h"

#include "exports/ExportLists.h"

namespace winsim
{

const std::vector<BuiltinModule>& BuiltinModules::All()
{
    // Bases are where the 32-bit modules load on Windows XP (or near): fixed, so that a module's handle
    // is the same after it is freed and loaded again.
    static const std::vector<BuiltinModule> modules = []
    {
        std::vector<BuiltinModule> list;
        auto add = [&list](const char* fileName, uintptr_t base, bool loadedAtStart, void (*fill)(BuiltinModule&))
        {
            list.emplace_back(fileName, base, loadedAtStart);
            fill(list.back());
        };
        add("NTDLL.dll", 0x7C900000, true, AddNtdllExports);
        add("KERNEL32.dll", 0x7C800000, true, AddKernel32Exports);
        add("ADVAPI32.dll", 0x77DD0000, true, AddAdvapi32Exports);
        add("USER32.dll", 0x7E410000, true, AddUser32Exports);
        add("SHELL32.dll", 0x7C9C0000, false, AddShell32Exports);
        add("SETUPAPI.dll", 0x77920000, false, AddSetupapiExports);
        add("CFGMGR32.dll", 0x74A90000, false, AddCfgmgr32Exports);
        add("NEWDEV.dll", 0x73D70000, false, AddNewdevExports);
        add("DIFXAPI.dll", 0x6E440000, false, AddDifxapiExports);
        add("DIFAPI32.dll", 0x6E400000, false, AddDifxapiExports);
        add("DIFAPI64.dll", 0x6E3C0000, false, AddDifxapiExports);
        add("PSAPI.dll", 0x76BF0000, false, AddPsapiExports);
        add("VERSION.dll", 0x77C00000, false, AddVersionExports);
        add("CRYPT32.dll", 0x77A80000, false, AddCrypt32Exports);
        add("WINMM.dll", 0x76B40000, false, AddWinmmExports);
        add("mmsys.cpl", 0x75E00000, false, AddMmsysCplExports);
        add("appwiz.cpl", 0x75D00000, false, AddAppwizCplExports);
        return list;
    }();
    return modules;
}

const BuiltinModule* BuiltinModules::Find(const std::string& upperFileName)
{
    for (const BuiltinModule& module : All())
    {
        if (module.UpperName() == upperFileName)
            return &module;
    }
    return nullptr;
}

} // namespace winsim
