#include "FaultRules.h"

#include <strings.h>

#include <cctype>
#include <cstring>

#include "ErrorNames.h"
#include "modules/BuiltinModules.h"
#include "windows.h"

namespace winsim
{

namespace
{

// Functions with no failure to report (no failure value, or one that is an answer rather than a failure):
// a plan counts their calls but cannot make them fail.
constexpr const char* kCannotFail[] = {
    "CallWindowProcA",
    "DefDlgProcA",
    "DefWindowProcA",
    "DispatchMessageA",
    "EndPaint",
    "GetCommandLineA",
    "GetCurrentProcess",
    "GetCurrentProcessId",
    "GetCurrentThreadId",
    "GetFocus",
    "GetForegroundWindow",
    "GetLastError",
    "GetLocalTime",
    "GetNativeSystemInfo",
    "GetPrivateProfileIntA",
    "GetPrivateProfileSectionA",
    "GetPrivateProfileStringA",
    "GetSysColor",
    "GetSystemInfo",
    "GetSystemMetrics",
    "GetSystemTime",
    "GetSystemTimeAsFileTime",
    "GetTickCount",
    "GetVersion",
    "IsDialogMessageA",
    "IsUserAnAdmin",
    "IsWindow",
    "IsWindowVisible",
    "PeekMessageA",
    "PostQuitMessage",
    "ReleaseDC",
    "SendDlgItemMessageA",
    "SendMessageA",
    "SetLastError",
    "SetupCloseInfFile",
    "SetupTermDefaultQueueCallback",
    "ShowWindow",
    "Sleep",
    "TranslateMessage",
};

struct UsualError
{
    const char* api;
    uint32_t error;
};

// Where ERROR_ACCESS_DENIED would be an odd failure, the error the function gives when it fails for real.
constexpr UsualError kUsualErrors[] = {
    {"CloseHandle", ERROR_INVALID_HANDLE},
    {"CreateThread", ERROR_NOT_ENOUGH_MEMORY},
    {"FileTimeToSystemTime", ERROR_INVALID_PARAMETER},
    {"FindClose", ERROR_INVALID_HANDLE},
    {"FindResourceA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"FindResourceExA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"FlushFileBuffers", ERROR_DISK_FULL},
    {"FormatMessageA", ERROR_MR_MID_NOT_FOUND},
    {"FreeSid", ERROR_INVALID_SID},
    {"GetClassNameA", ERROR_INVALID_WINDOW_HANDLE},
    {"GetEnvironmentVariableA", ERROR_ENVVAR_NOT_FOUND},
    {"GetFileVersionInfoA", ERROR_RESOURCE_DATA_NOT_FOUND},
    {"GetFileVersionInfoSizeA", ERROR_RESOURCE_DATA_NOT_FOUND},
    {"GetModuleHandleA", ERROR_MOD_NOT_FOUND},
    {"GetParent", ERROR_INVALID_WINDOW_HANDLE},
    {"GetProcAddress", ERROR_PROC_NOT_FOUND},
    {"GetVersionExA", ERROR_INVALID_PARAMETER},
    {"GetWindowTextA", ERROR_INVALID_WINDOW_HANDLE},
    {"GetWindowTextLengthA", ERROR_INVALID_WINDOW_HANDLE},
    {"GetWindowThreadProcessId", ERROR_INVALID_WINDOW_HANDLE},
    {"LoadLibraryA", ERROR_MOD_NOT_FOUND},
    {"LoadLibraryExA", ERROR_MOD_NOT_FOUND},
    {"LoadResource", ERROR_RESOURCE_DATA_NOT_FOUND},
    {"LoadStringA", ERROR_RESOURCE_NAME_NOT_FOUND},
    {"LocalAlloc", ERROR_NOT_ENOUGH_MEMORY},
    {"LocalFree", ERROR_INVALID_HANDLE},
    {"LockResource", ERROR_RESOURCE_DATA_NOT_FOUND},
    {"PostMessageA", ERROR_INVALID_WINDOW_HANDLE},
    {"RegCloseKey", ERROR_INVALID_HANDLE},
    {"SetEndOfFile", ERROR_DISK_FULL},
    {"SetFocus", ERROR_INVALID_WINDOW_HANDLE},
    {"SetWindowTextA", ERROR_INVALID_WINDOW_HANDLE},
    {"SizeofResource", ERROR_RESOURCE_DATA_NOT_FOUND},
    {"SystemTimeToFileTime", ERROR_INVALID_PARAMETER},
    {"VerQueryValueA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"WaitForMultipleObjects", ERROR_INVALID_HANDLE},
    {"WaitForSingleObject", ERROR_INVALID_HANDLE},
    {"WriteFile", ERROR_DISK_FULL},
};

// The export's own spelling of a name given in any case; empty when no built-in module exports it.
std::string ExportedName(const std::string& name)
{
    for (const BuiltinModule& module : BuiltinModules::All())
    {
        for (const BuiltinExport& entry : module.Exports())
        {
            if (strcasecmp(entry.name.c_str(), name.c_str()) == 0)
                return entry.name;
        }
    }
    return {};
}

bool CannotFail(const std::string& api)
{
    for (const char* name : kCannotFail)
    {
        if (api == name)
            return true;
    }
    return false;
}

// A positive decimal number that fits a DWORD.
bool ParseCount(const std::string& text, uint32_t& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t number = 0;
    for (char c : text)
    {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number == 0 || number > 0xFFFFFFFFu)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

// A number (decimal or 0x hex) or an ERROR_ name.
bool ParseError(const std::string& text, uint32_t& value)
{
    if (ErrorNames::Find(text, value))
        return true;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u))
        return false;
    uint64_t number = 0;
    for (char c : digits)
    {
        const int digit = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                : -1;
        if (digit < 0)
            return false;
        number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    }
    if (number > 0xFFFFFFFFu)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ParseFail(const std::string& item, FaultRule& rule, std::string& error)
{
    const size_t equals = item.find('=');
    const std::string head = item.substr(0, equals);
    const size_t colon = head.find(':');
    const std::string name = head.substr(0, colon);
    rule.api = ExportedName(name);
    if (rule.api.empty())
    {
        error = name.empty() ? "'" + item + "' names no API function" : "no built-in module exports '" + name + "'";
        return false;
    }
    if (CannotFail(rule.api))
    {
        error = rule.api + " cannot fail (it has no failure to report); --crash-at can end the process there";
        return false;
    }
    if (colon != std::string::npos)
    {
        const std::string call = head.substr(colon + 1);
        if (call == "*")
            rule.call = 0;
        else if (!ParseCount(call, rule.call))
        {
            error = "'" + call + "' in '" + item + "' is not a call number (1, 2, ... or *)";
            return false;
        }
    }
    rule.error = FaultRules::DefaultError(rule.api);
    if (equals != std::string::npos)
    {
        const std::string code = item.substr(equals + 1);
        if (!ParseError(code, rule.error))
        {
            error = "'" + code + "' in '" + item + "' is not an error code (a number such as 5 or 0x70, or a name " +
                    "such as ERROR_DISK_FULL)";
            return false;
        }
        if (rule.error == ERROR_SUCCESS)
        {
            error = "'" + item + "' would fail with error 0, which is success";
            return false;
        }
    }
    return true;
}

} // namespace

uint32_t FaultRules::DefaultError(const std::string& api)
{
    for (const UsualError& usual : kUsualErrors)
    {
        if (api == usual.api)
            return usual.error;
    }
    return ERROR_ACCESS_DENIED;
}

bool FaultRules::Parse(const std::string& text, FaultRules& rules, std::string& error)
{
    FaultRules parsed;
    size_t at = 0;
    while (at < text.size())
    {
        const size_t end = text.find_first_of(" \t\r\n;", at);
        const std::string item = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (item.empty())
            continue;
        if (strncasecmp(item.c_str(), "crash-at", 8) == 0)
        {
            if (parsed.crashAt != 0)
            {
                error = "'" + item + "': crash-at is given twice";
                return false;
            }
            if (item.size() < 9 || item[8] != '=' || !ParseCount(item.substr(9), parsed.crashAt))
            {
                error = "'" + item + "': crash-at takes a call number (crash-at=1, 2, ...)";
                return false;
            }
            continue;
        }
        FaultRule rule;
        if (!ParseFail(item, rule, error))
            return false;
        for (const FaultRule& other : parsed.fails)
        {
            if (other.api == rule.api && other.call == rule.call)
            {
                error = "'" + item + "': " + rule.api + " " +
                        (rule.call ? "call " + std::to_string(rule.call) : std::string("every call")) +
                        " is planned twice";
                return false;
            }
        }
        parsed.fails.push_back(rule);
    }
    rules = parsed;
    return true;
}

} // namespace winsim
