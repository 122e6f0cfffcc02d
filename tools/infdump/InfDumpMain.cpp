// infdump: prints what setup makes of an INF (or of every INF in a folder) on the running platform.
//   infdump PATH
// Exit code 0 when every INF was read, 1 when the argument or some file could not be.
#include <algorithm>
#include <string>
#include <vector>

#include "inf/CInf.h"
#include "inf/CInfReport.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"
#include "platform/win32.h"

namespace
{

void WriteTo(DWORD dwStream, const std::string& text)
{
    HANDLE hStream = GetStdHandle(dwStream);
    DWORD dwWritten = 0;
    if (hStream && hStream != INVALID_HANDLE_VALUE)
        WriteFile(hStream, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr);
}

void Complain(const std::string& csPath, const std::string& csProblem)
{
    WriteTo(STD_ERROR_HANDLE, "infdump: " + csPath + ": " + csProblem + "\n");
}

// The argument as one path: surrounding blanks and quotes removed.
std::string PathArgument(const char* pszCommandLine)
{
    std::string csPath = Trim(pszCommandLine ? pszCommandLine : "");
    if (csPath.size() >= 2 && csPath.front() == '"' && csPath.back() == '"')
        csPath = csPath.substr(1, csPath.size() - 2);
    return csPath;
}

// A file that holds NUL bytes is binary, unless it is UTF-16 with a byte-order mark (as INFs may be).
bool LooksLikeText(const std::string& csPath)
{
    HANDLE hFile = CreateFileA(csPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return true; // the INF open reports why
    unsigned char buffer[4096];
    DWORD dwRead = 0;
    BOOL bRead = ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr);
    CloseHandle(hFile);
    if (!bRead)
        return true;
    if (dwRead >= 2 && buffer[0] == 0xFF && buffer[1] == 0xFE)
        return true;
    return std::find(buffer, buffer + dwRead, static_cast<unsigned char>(0)) == buffer + dwRead;
}

// The INF files of a folder, in name order so that reports are stable.
std::vector<std::string> InfFilesIn(const std::string& csFolder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((csFolder + "\\*.INF").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ToUpper(a) < ToUpper(b); });
    for (std::string& csName : names)
        csName = csFolder + "\\" + csName;
    return names;
}

// The errors an INF open reports, by name; setup's own error table does not carry the INF syntax errors.
std::string OpenErrorName(DWORD dwError)
{
    switch (dwError)
    {
    case ERROR_EXPECTED_SECTION_NAME:
        return "ERROR_EXPECTED_SECTION_NAME";
    case ERROR_BAD_SECTION_NAME_LINE:
        return "ERROR_BAD_SECTION_NAME_LINE";
    case ERROR_SECTION_NAME_TOO_LONG:
        return "ERROR_SECTION_NAME_TOO_LONG";
    case ERROR_GENERAL_SYNTAX:
        return "ERROR_GENERAL_SYNTAX";
    case ERROR_WRONG_INF_STYLE:
        return "ERROR_WRONG_INF_STYLE";
    default:
        break;
    }
    std::string csName;
    GetErrorCodeName(dwError, csName);
    return csName;
}

// Reports are separated by a blank line.
bool DumpOne(const std::string& csPath, bool& bPrinted)
{
    if (!LooksLikeText(csPath))
    {
        Complain(csPath, "not a text file");
        return false;
    }
    CInf inf;
    if (!inf.Initialize(csPath.c_str()))
    {
        std::string csName = OpenErrorName(inf.GetOpenError());
        std::string csWhere = inf.GetErrorLine() ? Format(", line %u", inf.GetErrorLine()) : std::string();
        Complain(csPath, Format("cannot be read as an INF (error 0x%08X %s%s)",
                                static_cast<unsigned>(inf.GetOpenError()), csName.c_str(), csWhere.c_str()));
        return false;
    }
    WriteTo(STD_OUTPUT_HANDLE, (bPrinted ? "\n" : "") + CInfReport::Describe(inf));
    bPrinted = true;
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    std::string csPath = PathArgument(lpCmdLine);
    if (csPath.empty())
    {
        WriteTo(STD_ERROR_HANDLE, "usage: infdump PATH (an INF file or a folder of INF files)\n");
        return 1;
    }
    DWORD dwAttributes = GetFileAttributesA(csPath.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
    {
        Complain(csPath, "no such file or folder");
        return 1;
    }
    std::vector<std::string> files;
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        while (csPath.size() > 3 && csPath.back() == '\\')
            csPath.pop_back();
        files = InfFilesIn(csPath);
        if (files.empty())
        {
            Complain(csPath, "the folder holds no INF files");
            return 1;
        }
    }
    else
    {
        files.push_back(csPath);
    }
    // The INF functions are reached through the device layer, as in setup.
    KDeviceApi deviceApi;
    bool bAllRead = true;
    bool bPrinted = false;
    for (const std::string& csFile : files)
        bAllRead = DumpOne(csFile, bPrinted) && bAllRead;
    return bAllRead ? 0 : 1;
}
