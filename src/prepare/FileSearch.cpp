#include "FileSearch.h"

#include "inf/InfRecords.h"
#include "platform/CScopedHandle.h"

CStringList FindFiles(const std::string& csPattern)
{
    CStringList files;
    const size_t nSlash = csPattern.find_last_of('\\');
    const std::string csFolder = nSlash == std::string::npos ? std::string() : csPattern.substr(0, nSlash + 1);
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA(csPattern.c_str(), &data));
    if (!find)
        return files;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !AddBounded(files, csFolder + data.cFileName))
            break;
    } while (FindNextFileA(find.Get(), &data));
    return files;
}
