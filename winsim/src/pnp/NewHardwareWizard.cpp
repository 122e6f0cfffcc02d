#include "NewHardwareWizard.h"

#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "images/ImageDescriptor.h"
#include "processes/DeclaredPrograms.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr const char* kProgram = "NewHardwareWizard";

} // namespace

bool NewHardwareWizard::Show(Runtime& rt)
{
    DeclaredProgram program;
    {
        Transaction txn(rt.GetMachine().GetStore());
        const bool declared = DeclaredPrograms::Find(rt.GetMachine().GetStore(), kProgram, program);
        txn.Commit();
        if (!declared)
            return false;
    }
    const DWORD saved = GetLastError();
    if (!program.windows.empty() && FindWindowA(nullptr, program.windows.front().title.c_str()))
    {
        SetLastError(saved);
        return false;
    }
    // The wizard runs in rundll32.exe; its image stands for the declared program.
    const std::string image = rt.Identity().systemDir + "\\rundll32.exe";
    ImageDescriptor descriptor;
    descriptor.program = kProgram;
    descriptor.machine = rt.Identity().architecture;
    const std::string text = descriptor.Format();
    HANDLE file = CreateFileA(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string commandLine = "rundll32.exe newdev.dll,ClientSideInstall";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(image.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process) != FALSE;
    if (started)
    {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        Journal::Record("device", "new-hardware-wizard", image);
    }
    SetLastError(saved);
    return started;
}

} // namespace winsim
