#include "FileSearch.h"

#include "inf/InfRecords.h"
#include "platform/win32.h"

CStringList FindFiles(const std::string& csPattern)
{
    CStringList files;
    const size_t nSlash = csPattern.find_last_of('\\');
    const std::string csFolder = nSlash == std::string::npos ? std::string() : csPattern.substr(0, nSlash + 1);
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(csPattern.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !AddBounded(files, csFolder + data.cFileName))
            break;
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return files;
}
