#include "CFileUtility.h"

#include <vector>

#include "common/CTraceScope.h"
#include "platform/CCriticalSection.h"
#include "platform/CTextFile.h"
#include "platform/StringUtil.h"
#include "platform/CScopedHandle.h"

namespace
{

// Pause after each folder created or removed, as the file system of older platforms needs.
const DWORD FOLDER_PAUSE_MS = 100;
// Version resources this large or larger are not read.
const DWORD MAX_VERSION_INFO = 32000;

CCriticalSection g_deletedLock;
CStringList g_deletedFiles;

// Finds the first entry matching a pattern; false if there is none.
BOOL FindAny(const std::string& csPattern, WIN32_FIND_DATAA& data)
{
    CScopedFindHandle find(FindFirstFileA(csPattern.c_str(), &data));
    if (!find)
        return FALSE;
    find.Reset();
    return TRUE;
}

BOOL ReadVersionInfo(const std::string& csFile, std::vector<BYTE>& info)
{
    DWORD dwHandle = 0;
    DWORD dwSize = GetFileVersionInfoSizeA(csFile.c_str(), &dwHandle);
    if (dwSize == 0 || dwSize >= MAX_VERSION_INFO)
        return FALSE;
    info.assign(dwSize, 0);
    return GetFileVersionInfoA(csFile.c_str(), 0, dwSize, info.data());
}

// A version string value of 1 to 255 characters, or FALSE.
BOOL QueryVersionString(std::vector<BYTE>& info, const std::string& csQuery, std::string& csValue)
{
    LPVOID pValue = nullptr;
    UINT uLen = 0;
    if (!VerQueryValueA(info.data(), csQuery.c_str(), &pValue, &uLen) || !pValue)
        return FALSE;
    std::string csText(static_cast<const char*>(pValue));
    if (csText.empty() || csText.size() > 255)
        return FALSE;
    csValue = csText;
    return TRUE;
}

} // namespace

BOOL CFileUtility::IsFile(const std::string& csPath)
{
    WIN32_FIND_DATAA data;
    return FindAny(csPath, data) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL CFileUtility::FolderExists(const std::string& csPath)
{
    WIN32_FIND_DATAA data;
    return FindAny(csPath + "\\*.*", data);
}

BOOL CFileUtility::FolderIsEmpty(const std::string& csPath)
{
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA((csPath + "\\*.*").c_str(), &data));
    if (!find)
        return TRUE;
    BOOL bEmpty = TRUE;
    do
    {
        std::string csName = data.cFileName;
        if (csName != "." && csName != "..")
        {
            bEmpty = FALSE;
            break;
        }
    } while (FindNextFileA(find.Get(), &data));
    find.Reset();
    return bEmpty;
}

BOOL CFileUtility::CreateFolderPath(const std::string& csPath, size_t nStart)
{
    BOOL bCreated = FALSE;
    for (size_t nSlash = csPath.find('\\', nStart); nSlash != std::string::npos; nSlash = csPath.find('\\', nSlash + 1))
    {
        // A file in a root folder needs no folder.
        if (nStart == 0 && csPath.find('\\', nSlash + 1) == std::string::npos && csPath.find('\\') == nSlash)
            return TRUE;
        std::string csFolder = csPath.substr(0, nSlash);
        if (csFolder.size() <= 2 || GetFileAttributesA(csFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (CreateDirectoryA(csFolder.c_str(), nullptr))
        {
            bCreated = TRUE;
            Sleep(FOLDER_PAUSE_MS);
        }
    }
    return bCreated;
}

void CFileUtility::RemoveEmptyParents(const std::string& csPath, size_t nStart)
{
    for (size_t nSlash = csPath.rfind('\\'); nSlash != std::string::npos && nSlash >= nStart;
         nSlash = nSlash == 0 ? std::string::npos : csPath.rfind('\\', nSlash - 1))
    {
        std::string csFolder = csPath.substr(0, nSlash);
        if (csFolder.size() <= 2 || !FolderIsEmpty(csFolder))
            continue;
        Sleep(FOLDER_PAUSE_MS);
        RemoveDirectoryA(csFolder.c_str());
    }
}

BOOL CFileUtility::DeleteAFile(const std::string& csPath, DWORD dwFlags)
{
    if (!IsFile(csPath))
        return FALSE;
    SetFileAttributesA(csPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(csPath.c_str()))
        return FALSE;
    {
        CLock guard(g_deletedLock);
        g_deletedFiles.push_back(csPath);
    }
    if (dwFlags & DELETE_FLAG_REMOVE_EMPTY_PARENTS)
        RemoveEmptyParents(csPath, 2);
    else if (dwFlags & DELETE_FLAG_REMOVE_FOLDER)
    {
        Sleep(FOLDER_PAUSE_MS);
        size_t nSlash = csPath.rfind('\\');
        if (nSlash != std::string::npos)
            RemoveDirectoryA(csPath.substr(0, nSlash).c_str());
    }
    return TRUE;
}

BOOL CFileUtility::DeleteFolderFiles(const std::string& csFolder, DWORD dwFlags)
{
    CStringList files;
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA((csFolder + "\\*.*").c_str(), &data));
    if (find)
    {
        do
        {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(csFolder + "\\" + data.cFileName);
        } while (FindNextFileA(find.Get(), &data));
        find.Reset();
    }
    // Collected first: deleting while the search is open would change what it lists.
    for (const std::string& csFile : files)
        DeleteAFile(csFile, 0);
    if (dwFlags & DELETE_FLAG_REMOVE_EMPTY_PARENTS)
        RemoveEmptyParents(csFolder + "\\T.LOG", 2);
    else if (dwFlags & DELETE_FLAG_REMOVE_FOLDER)
        RemoveDirectoryA(csFolder.c_str());
    return TRUE;
}

BOOL CFileUtility::CopyAFile(const std::string& csSource, const std::string& csDest, DWORD dwFlags)
{
    if (!IsFile(csSource))
        return FALSE;
    if ((dwFlags & COPY_FLAG_ONLY_IF_ABSENT) && IsFile(csDest))
        return FALSE;
    if (dwFlags & COPY_FLAG_READ_VERSIONS)
    {
        std::string csIgnored;
        GetFileVersionString(csSource, csIgnored);
        GetFileVersionString(csDest, csIgnored);
    }
    DeleteAFile(csDest, 0);
    CreateFolderPath(csDest, 0);
    if (!CopyFileA(csSource.c_str(), csDest.c_str(), FALSE))
        return FALSE;
    SetFileAttributesA(csDest.c_str(), FILE_ATTRIBUTE_NORMAL);
    return TRUE;
}

BOOL CFileUtility::CopyFolder(const std::string& csSource, const std::string& csDest, const char* pszExclude)
{
    CreateFolderPath(csDest + "\\TVK", 0);
    std::string csDestUpper = ToUpper(csDest);
    CStringList folders;
    CStringList files;
    WIN32_FIND_DATAA data;
    CScopedFindHandle find(FindFirstFileA((csSource + "\\*.*").c_str(), &data));
    if (!find)
        return FALSE;
    do
    {
        std::string csName = data.cFileName;
        if (csName == "." || csName == "..")
            continue;
        std::string csPath = csSource + "\\" + csName;
        // A destination inside the source is never copied into itself: the copy would nest without end.
        std::string csPathUpper = ToUpper(csPath);
        if (csDestUpper == csPathUpper || csDestUpper.compare(0, csPathUpper.size() + 1, csPathUpper + "\\") == 0)
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(csName);
        else
            files.push_back(csName);
    } while (FindNextFileA(find.Get(), &data));
    find.Reset();

    for (const std::string& csName : folders)
    {
        TraceLine("Found Sub Folder = %s\n", (csSource + "\\" + csName).c_str());
        CopyFolder(csSource + "\\" + csName, csDest + "\\" + csName, nullptr);
    }
    BOOL bCopied = FALSE;
    for (const std::string& csName : files)
    {
        std::string csPath = csSource + "\\" + csName;
        if (pszExclude && EqualsNoCase(csPath, pszExclude))
            continue;
        if (CopyAFile(csPath, csDest + "\\" + csName, 0))
            bCopied = TRUE;
    }
    return bCopied;
}

BOOL CFileUtility::FilesAreEqual(const std::string& csFileA, const std::string& csFileB)
{
    CTextFile fileA;
    CTextFile fileB;
    if (!fileA.OpenRead(csFileA.c_str()) || !fileB.OpenRead(csFileB.c_str()))
        return FALSE;
    std::string csLineA;
    std::string csLineB;
    for (;;)
    {
        BOOL bMoreA = fileA.ReadLine(csLineA, 499);
        BOOL bMoreB = fileB.ReadLine(csLineB, 499);
        if (!bMoreA || !bMoreB)
            return !bMoreA && !bMoreB;
        if (csLineA != csLineB)
            return FALSE;
    }
}

BOOL CFileUtility::DeleteOnReboot(const std::string& csPath)
{
    if (!(GetVersion() & 0x80000000))
        return MoveFileExA(csPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    // Windows 9x: a "NUL=<short path>" entry in the [Rename] section of WININIT.INI.
    char szShort[256] = {0};
    DWORD dwLen = GetShortPathNameA(csPath.c_str(), szShort, sizeof(szShort));
    if (dwLen == 0 || dwLen >= sizeof(szShort))
        return FALSE;
    char szWindows[MAX_PATH] = {0};
    UINT uLen = GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (uLen == 0 || uLen >= MAX_PATH)
        return FALSE;
    std::string csIni = std::string(szWindows) + "\\wininit.ini";
    std::vector<char> section(32768, '\0');
    DWORD dwUsed =
        GetPrivateProfileSectionA("Rename", section.data(), static_cast<DWORD>(section.size()), csIni.c_str());
    std::string csEntries(section.data(), dwUsed);
    if (!csEntries.empty() && csEntries.back() != '\0')
        csEntries += '\0';
    csEntries += "NUL=" + std::string(szShort);
    csEntries += '\0';
    csEntries += '\0';
    return WritePrivateProfileSectionA("Rename", csEntries.c_str(), csIni.c_str());
}

BOOL CFileUtility::GetFileVersionString(const std::string& csFile, std::string& csVersion)
{
    std::vector<BYTE> info;
    if (!ReadVersionInfo(csFile, info))
        return FALSE;
    LPVOID pValue = nullptr;
    UINT uLen = 0;
    if (!VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", &pValue, &uLen) || !pValue)
        return TRUE;
    std::string csText(static_cast<const char*>(pValue));
    if (csText.empty() || csText.size() > 255)
        return FALSE;
    csVersion = csText;
    return TRUE;
}

BOOL CFileUtility::IsNorvalisFile(const std::string& csFile)
{
    std::vector<BYTE> info;
    if (!ReadVersionInfo(csFile, info))
        return FALSE;
    LPVOID pTranslations = nullptr;
    UINT uLen = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &pTranslations, &uLen) || !pTranslations)
        return FALSE;
    const WORD* pWords = static_cast<const WORD*>(pTranslations);
    for (UINT i = 0; i + 1 < uLen / sizeof(WORD); i += 2)
    {
        std::string csCompany;
        std::string csQuery = Format("\\StringFileInfo\\%04x%04x\\CompanyName", pWords[i], pWords[i + 1]);
        if (!QueryVersionString(info, csQuery, csCompany))
            continue;
        std::string csUpper = ToUpper(csCompany);
        if (csUpper.find("NORVALIS") != std::string::npos || csUpper.find("NVLS") != std::string::npos ||
            csUpper.find("NVX") != std::string::npos)
            return TRUE;
    }
    return FALSE;
}

CStringList CFileUtility::GetDeletedFiles()
{
    CLock guard(g_deletedLock);
    return g_deletedFiles;
}
