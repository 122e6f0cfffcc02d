// SHELL32 ShellExecuteA and ShellExecuteExA for programs: the verbs "open" (and none) start the file as
// CreateProcessA would; "runas" asks for elevation on Vista and later, which the machine's user accepts
// or refuses ([Machine] AcceptElevation), while earlier NT versions show their run-as dialog, taken as
// "open". Documents and other verbs have no association on the machine.
#include <strings.h>

#include <memory>
#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/PathResolver.h"
#include "modules/ModuleName.h"
#include "processes/ProcessLauncher.h"
#include "processes/ProcessObject.h"
#include "shellapi.h"
#include "windows.h"

using namespace winsim;

namespace
{

// What ShellExecuteA returns on success: any value above 32.
constexpr uintptr_t kSuccess = 42;

struct Outcome
{
    uint32_t error = ERROR_SUCCESS;
    uintptr_t code = kSuccess; // ShellExecuteA's result: kSuccess or an SE_ERR_ value
    LaunchedProcess launched;
};

uintptr_t CodeOf(uint32_t error)
{
    switch (error)
    {
    case ERROR_FILE_NOT_FOUND:
        return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
    case ERROR_CANCELLED:
        return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
        return SE_ERR_OOM;
    case ERROR_NO_ASSOCIATION:
        return SE_ERR_NOASSOC;
    case ERROR_BAD_EXE_FORMAT:
        return 11; // ERROR_BAD_FORMAT
    default:
        return SE_ERR_FNF;
    }
}

Outcome Failed(uint32_t error)
{
    Outcome outcome;
    outcome.error = error;
    outcome.code = CodeOf(error);
    return outcome;
}

// ShellExecuteExA failing before it starts: hInstApp tells why, as on a real failure.
BOOL FailedEx(SHELLEXECUTEINFOA* info, uint32_t error)
{
    if (info && info->cbSize == sizeof(SHELLEXECUTEINFOA))
        info->hInstApp = reinterpret_cast<HINSTANCE>(CodeOf(error));
    return FALSE;
}

bool IsProgram(const std::string& path)
{
    const std::string name = ModuleName::Base(path);
    const size_t dot = name.rfind('.');
    return dot != std::string::npos &&
           (strcasecmp(name.c_str() + dot, ".exe") == 0 || strcasecmp(name.c_str() + dot, ".com") == 0);
}

Outcome Execute(Runtime& rt, const char* verb, const char* quotedFile, const char* parameters, const char* directory)
{
    if (!quotedFile || !*quotedFile)
        return Failed(ERROR_FILE_NOT_FOUND);
    // The shell takes a file name in quotes as the name inside them.
    std::string unquoted = quotedFile;
    if (unquoted.size() >= 2 && unquoted.front() == '"' && unquoted.back() == '"')
        unquoted = unquoted.substr(1, unquoted.size() - 2);
    const char* file = unquoted.c_str();
    const MachineIdentity& id = rt.Identity();
    const bool open = !verb || !*verb || strcasecmp(verb, "open") == 0;
    const bool runas = !open && strcasecmp(verb, "runas") == 0;
    // Windows 9x has no "runas" verb.
    if (!open && (!runas || !id.IsNT()))
        return Failed(ERROR_NO_ASSOCIATION);

    ProcessLauncher launcher(rt);
    WinPath module;
    uint32_t error = ERROR_FILE_NOT_FOUND;
    // A bare or relative name is looked for in the working folder given first.
    std::string inDirectory;
    if (directory && *directory && !ModuleName::HasPath(file) &&
        PathResolver::Normalize(std::string(directory) + "\\" + file, "C:\\", inDirectory))
        error = launcher.Find(inDirectory, true, module);
    if (error != ERROR_SUCCESS)
        error = launcher.Find(file, true, module);
    if (error != ERROR_SUCCESS)
        return Failed(error);
    if (!IsProgram(module.path))
        return Failed(ERROR_NO_ASSOCIATION);

    if (runas && id.major >= 6 && !id.acceptElevation)
    {
        Journal::Record("process", "elevation-refused", module.actual);
        return Failed(ERROR_CANCELLED);
    }
    std::string commandLine = "\"" + module.actual + "\"";
    if (parameters && *parameters)
        commandLine += std::string(" ") + parameters;
    Outcome outcome;
    error = launcher.LaunchModule(module, commandLine, directory && *directory ? directory : nullptr, outcome.launched);
    return error == ERROR_SUCCESS ? outcome : Failed(error);
}

} // namespace

HINSTANCE STDAPICALLTYPE ShellExecuteA(HWND /*hwnd*/, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                       LPCSTR lpDirectory, INT /*nShowCmd*/)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(SE_ERR_FNF));
    }
    WINSIM_FAULT_POINT(reinterpret_cast<HINSTANCE>(CodeOf(winsimFault)));
    const Outcome outcome = Execute(*rt, lpOperation, lpFile, lpParameters, lpDirectory);
    if (outcome.error != ERROR_SUCCESS)
        SetLastError(outcome.error);
    return reinterpret_cast<HINSTANCE>(outcome.code);
}

BOOL STDAPICALLTYPE ShellExecuteExA(SHELLEXECUTEINFOA* pExecInfo)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    WINSIM_FAULT_POINT(FailedEx(pExecInfo, winsimFault));
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOA))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pExecInfo->hProcess = nullptr;
    const Outcome outcome =
        Execute(*rt, pExecInfo->lpVerb, pExecInfo->lpFile, pExecInfo->lpParameters, pExecInfo->lpDirectory);
    pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(outcome.code);
    if (outcome.error != ERROR_SUCCESS)
    {
        SetLastError(outcome.error);
        return FALSE;
    }
    if (pExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS)
        pExecInfo->hProcess = rt->Handles().Insert(std::make_shared<ProcessObject>(
            *rt, outcome.launched.pid, PROCESS_ALL_ACCESS, false, outcome.launched.endsMs));
    return TRUE;
}
