// File and folder operations of the whole program: tests, copies, deletions (also at the next restart)
// and version-resource queries. Stateless but for the process-wide list of deleted files.
#pragma once

#include <string>

#include "platform/StringList.h"
#include "platform/win32.h"

// DeleteAFile and DeleteFolderFiles flags.
const DWORD DELETE_FLAG_REMOVE_FOLDER = 1;
const DWORD DELETE_FLAG_REMOVE_EMPTY_PARENTS = 2;
// CopyAFile flags.
const DWORD COPY_FLAG_ONLY_IF_ABSENT = 0x20;
const DWORD COPY_FLAG_READ_VERSIONS = 0x40;

class CFileUtility
{
public:
    static BOOL IsFile(const std::string& csPath);
    static BOOL FolderExists(const std::string& csPath);
    static BOOL FolderIsEmpty(const std::string& csPath);
    // Creates the missing folders of a path from the backslash at or after nStart on; the last part is a
    // file name and never created. True if a folder was created at this level or below.
    static BOOL CreateFolderPath(const std::string& csPath, size_t nStart);
    static BOOL DeleteAFile(const std::string& csPath, DWORD dwFlags);
    // Removes the empty folders along a path, deepest first.
    static void RemoveEmptyParents(const std::string& csPath, size_t nStart);
    static BOOL DeleteFolderFiles(const std::string& csFolder, DWORD dwFlags);
    static BOOL CopyAFile(const std::string& csSource, const std::string& csDest, DWORD dwFlags);
    // Copies a folder tree; a file whose full path is pszExclude is left out. True if a file of this level
    // was copied.
    static BOOL CopyFolder(const std::string& csSource, const std::string& csDest, const char* pszExclude);
    static BOOL FilesAreEqual(const std::string& csFileA, const std::string& csFileB);
    static BOOL DeleteOnReboot(const std::string& csPath);
    static BOOL GetFileVersionString(const std::string& csFile, std::string& csVersion);
    // True if a CompanyName of the file's version resource names the maker.
    static BOOL IsNorvalisFile(const std::string& csFile);

    // Every file DeleteAFile removed in this process, in order.
    static CStringList GetDeletedFiles();
};
