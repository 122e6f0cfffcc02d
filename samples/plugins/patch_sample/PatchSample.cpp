// A sample package library for the program's patch hook. RunSetupAppEx records the command line it was
// given in PATCHRAN.TXT in the program's folder (exactly those bytes, no line end) and returns the number
// of an "RC=n" piece of the command line, 0 without one. It uses only the Win32 API, as a DLL would.
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace
{

// The folder of the running program, with a trailing backslash; empty when it cannot be read.
std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder(path, length);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool Record(const std::string& commandLine)
{
    std::string folder = ProgramFolder();
    if (folder.empty())
        return false;
    HANDLE file = CreateFileA((folder + "PATCHRAN.TXT").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, commandLine.data(), static_cast<DWORD>(commandLine.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == commandLine.size();
}

// The n of the first blank-separated piece "RC=n" (any case); 0 when there is none or n is no number.
int ResultCode(const std::string& commandLine)
{
    size_t start = 0;
    while (start < commandLine.size())
    {
        size_t end = commandLine.find_first_of(" \t", start);
        if (end == std::string::npos)
            end = commandLine.size();
        std::string piece = commandLine.substr(start, end - start);
        if (piece.size() > 3 && std::toupper(static_cast<unsigned char>(piece[0])) == 'R' &&
            std::toupper(static_cast<unsigned char>(piece[1])) == 'C' && piece[2] == '=')
        {
            char* rest = nullptr;
            long value = std::strtol(piece.c_str() + 3, &rest, 10);
            return rest && *rest == '\0' ? static_cast<int>(value) : 0;
        }
        start = end + 1;
    }
    return 0;
}

} // namespace

extern "C" int RunSetupAppEx(const char* pszCommandLine)
{
    const std::string commandLine = pszCommandLine ? pszCommandLine : "";
    Record(commandLine);
    return ResultCode(commandLine);
}
