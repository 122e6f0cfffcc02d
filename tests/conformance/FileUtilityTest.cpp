// The file utilities on the machine's file system.
#include <gtest/gtest.h>

#include <algorithm>

#include "FileText.h"
#include "TestMachine.h"
#include "WineDifference.h"
#include "common/CFileUtility.h"
#include "platform/CRegistryKey.h"

namespace
{

class FileUtilityTest : public TestMachine
{
protected:
    std::string Path(const std::string& relative) const { return ScratchFolder() + "\\" + relative; }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(FileUtilityTest, CreateFolderPathMakesFoldersButNotTheFileName)
{
    EXPECT_TRUE(CFileUtility::CreateFolderPath(Path("A\\B\\FILE.TXT"), 0));
    EXPECT_TRUE(CFileUtility::FolderExists(Path("A\\B")));
    EXPECT_FALSE(Exists(Path("A\\B\\FILE.TXT")));
    EXPECT_FALSE(CFileUtility::CreateFolderPath(Path("A\\B\\FILE.TXT"), 0));
    EXPECT_FALSE(CFileUtility::CreateFolderPath("NOSLASH", 0));
}

TEST_F(FileUtilityTest, FileAndFolderTests)
{
    ASSERT_TRUE(CreateDirectoryA(Path("EMPTY").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(Path("FILE.TXT"), "x"));
    EXPECT_TRUE(CFileUtility::IsFile(Path("FILE.TXT")));
    EXPECT_FALSE(CFileUtility::IsFile(Path("EMPTY")));
    EXPECT_FALSE(CFileUtility::IsFile(Path("MISSING.TXT")));
    EXPECT_TRUE(CFileUtility::FolderExists(Path("EMPTY")));
    EXPECT_TRUE(CFileUtility::FolderIsEmpty(Path("EMPTY")));
    EXPECT_FALSE(CFileUtility::FolderIsEmpty(ScratchFolder()));
    EXPECT_FALSE(CFileUtility::FolderExists(Path("MISSING")));
}

TEST_F(FileUtilityTest, CopyReplacesAReadOnlyDestination)
{
    ASSERT_TRUE(WriteWholeFile(Path("NEW.SYS"), "new"));
    ASSERT_TRUE(CFileUtility::CreateFolderPath(Path("OUT\\OLD.SYS"), 0) || CFileUtility::FolderExists(Path("OUT")));
    ASSERT_TRUE(WriteWholeFile(Path("OUT\\OLD.SYS"), "old"));
    ASSERT_TRUE(SetFileAttributesA(Path("OUT\\OLD.SYS").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(CFileUtility::CopyAFile(Path("NEW.SYS"), Path("OUT\\OLD.SYS"), COPY_FLAG_ONLY_IF_ABSENT));
    EXPECT_TRUE(CFileUtility::CopyAFile(Path("NEW.SYS"), Path("OUT\\OLD.SYS"), 0));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(Path("OUT\\OLD.SYS"), content));
    EXPECT_EQ("new", content);
    DWORD dwAttributes = GetFileAttributesA(Path("OUT\\OLD.SYS").c_str());
    EXPECT_EQ(0u, dwAttributes & FILE_ATTRIBUTE_READONLY);
    // Windows reports FILE_ATTRIBUTE_NORMAL once it is set; Wine keeps FILE_ATTRIBUTE_ARCHIVE.
    if (!RunningUnderWine())
    {
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), dwAttributes);
    }
    // The copy makes the folders it needs.
    EXPECT_TRUE(CFileUtility::CopyAFile(Path("NEW.SYS"), Path("DEEP\\ER\\NEW.SYS"), 0));
    EXPECT_FALSE(CFileUtility::CopyAFile(Path("MISSING.SYS"), Path("X.SYS"), 0));
}

TEST_F(FileUtilityTest, DeletionRemovesEmptyParentsAndIsRecorded)
{
    ASSERT_TRUE(CFileUtility::CreateFolderPath(Path("P\\Q\\R\\F.TXT"), 0));
    ASSERT_TRUE(WriteWholeFile(Path("P\\KEEP.TXT"), "k"));
    ASSERT_TRUE(WriteWholeFile(Path("P\\Q\\R\\F.TXT"), "f"));
    ASSERT_TRUE(SetFileAttributesA(Path("P\\Q\\R\\F.TXT").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(CFileUtility::DeleteAFile(Path("P\\Q\\R\\F.TXT"), DELETE_FLAG_REMOVE_EMPTY_PARENTS));
    EXPECT_FALSE(Exists(Path("P\\Q")));
    EXPECT_TRUE(Exists(Path("P\\KEEP.TXT")));
    CStringList deleted = CFileUtility::GetDeletedFiles();
    EXPECT_NE(deleted.end(), std::find(deleted.begin(), deleted.end(), Path("P\\Q\\R\\F.TXT")));
    EXPECT_FALSE(CFileUtility::DeleteAFile(Path("P\\Q\\R\\F.TXT"), 0));

    ASSERT_TRUE(WriteWholeFile(Path("P\\SECOND.TXT"), "s"));
    EXPECT_TRUE(CFileUtility::DeleteFolderFiles(Path("P"), DELETE_FLAG_REMOVE_FOLDER));
    EXPECT_FALSE(Exists(Path("P")));
}

TEST_F(FileUtilityTest, CopyFolderCopiesTheTreeWithoutTheExcludedFileOrItself)
{
    ASSERT_TRUE(CFileUtility::CreateFolderPath(Path("SRC\\SUB\\X"), 0));
    ASSERT_TRUE(WriteWholeFile(Path("SRC\\SETUP.EXE"), "me"));
    ASSERT_TRUE(WriteWholeFile(Path("SRC\\A.INF"), "a"));
    ASSERT_TRUE(WriteWholeFile(Path("SRC\\SUB\\B.SYS"), "b"));

    EXPECT_TRUE(CFileUtility::CopyFolder(Path("SRC"), Path("DST"), Path("SRC\\SETUP.EXE").c_str()));
    EXPECT_TRUE(Exists(Path("DST\\A.INF")));
    EXPECT_TRUE(Exists(Path("DST\\SUB\\B.SYS")));
    EXPECT_FALSE(Exists(Path("DST\\SETUP.EXE")));

    // A destination inside the source: copied once, not into itself again.
    EXPECT_TRUE(CFileUtility::CopyFolder(Path("SRC"), Path("SRC\\TEMP\\COPY"), nullptr));
    EXPECT_TRUE(Exists(Path("SRC\\TEMP\\COPY\\SUB\\B.SYS")));
    EXPECT_FALSE(Exists(Path("SRC\\TEMP\\COPY\\TEMP")));
}

TEST_F(FileUtilityTest, FilesAreEqualComparesLines)
{
    ASSERT_TRUE(WriteWholeFile(Path("A.INI"), "[S]\r\nK=1\r\n"));
    ASSERT_TRUE(WriteWholeFile(Path("B.INI"), "[S]\nK=1\n"));
    ASSERT_TRUE(WriteWholeFile(Path("C.INI"), "[S]\r\nK=1\r\nMore=2\r\n"));
    EXPECT_TRUE(CFileUtility::FilesAreEqual(Path("A.INI"), Path("B.INI")));
    EXPECT_FALSE(CFileUtility::FilesAreEqual(Path("A.INI"), Path("C.INI")));
    EXPECT_FALSE(CFileUtility::FilesAreEqual(Path("A.INI"), Path("MISSING.INI")));
}

TEST_F(FileUtilityTest, DeleteOnRebootIsRecordedAsThePlatformDoes)
{
    ASSERT_TRUE(WriteWholeFile(Path("INUSE.DLL"), "x"));
    ASSERT_TRUE(CFileUtility::DeleteOnReboot(Path("INUSE.DLL")));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                           KEY_QUERY_VALUE, &hKey));
    char buffer[8192] = {0};
    DWORD size = sizeof(buffer) - 2;
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(hKey, "PendingFileRenameOperations", nullptr, &type,
                                              reinterpret_cast<BYTE*>(buffer), &size));
    RegCloseKey(hKey);
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    std::string entries(buffer, size);
    EXPECT_NE(std::string::npos,
              entries.find("\\??\\" + Path("INUSE.DLL") + std::string(1, '\0') + std::string(1, '\0')))
        << "a deletion is the source followed by an empty target";
}

} // namespace
