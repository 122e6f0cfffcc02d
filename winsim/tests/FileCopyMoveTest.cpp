// Copying, moving and deleting files, moves delayed until the next boot, and the attribute table that has
// to follow each of them.
#include <cstring>

#include "FileTestSupport.h"
#include "TestMachine.h"

using namespace file_test;

namespace
{

class FileCopyMoveTest : public TestMachine
{
protected:
    // PendingFileRenameOperations as a list of strings (empty strings kept: the list is read in pairs).
    std::vector<std::string> PendingRenames()
    {
        HKEY key = nullptr;
        std::vector<std::string> items;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                          &key) != ERROR_SUCCESS)
            return items;
        char data[4096];
        DWORD size = sizeof(data);
        DWORD type = 0;
        LONG rc =
            RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return items;
        EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
        EXPECT_GE(size, 2u);
        EXPECT_EQ('\0', data[size - 1]); // the list's own terminator
        for (DWORD i = 0; i + 1 < size; i += static_cast<DWORD>(std::strlen(data + i)) + 1)
            items.emplace_back(data + i);
        return items;
    }
};

class FileCopyMoveWin9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

} // namespace

TEST_F(FileCopyMoveTest, CopyKeepsAttributesAndLastWriteTime)
{
    WriteText("C:\\TEST\\src.txt", "payload");
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\src.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    WIN32_FIND_DATAA source;
    FindClose(FindFirstFileA("C:\\TEST\\src.txt", &source));
    Sleep(10000);

    ASSERT_TRUE(CopyFileA("C:\\TEST\\src.txt", "C:\\TEST\\dst.txt", TRUE)) << GetLastError();
    EXPECT_EQ("payload", ReadText("C:\\TEST\\dst.txt"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              GetFileAttributesA("C:\\TEST\\dst.txt"));
    WIN32_FIND_DATAA copy;
    FindClose(FindFirstFileA("C:\\TEST\\dst.txt", &copy));
    EXPECT_EQ(FileTimeMs(source.ftLastWriteTime), FileTimeMs(copy.ftLastWriteTime));
    EXPECT_GE(FileTimeMs(copy.ftCreationTime), FileTimeMs(source.ftCreationTime) + 10000);
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\dst.txt|C:\\TEST\\src.txt"}), Journal("file", "copy"));
}

TEST_F(FileCopyMoveTest, CopyRefusesWhatWindowsRefuses)
{
    WriteText("C:\\TEST\\src.txt", "new");
    WriteText("C:\\TEST\\dst.txt", "old");
    EXPECT_FALSE(CopyFileA("C:\\TEST\\src.txt", "C:\\TEST\\dst.txt", TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\dst.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CopyFileA("C:\\TEST\\src.txt", "C:\\TEST\\dst.txt", FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ("old", ReadText("C:\\TEST\\dst.txt"));

    EXPECT_FALSE(CopyFileA("C:\\TEST\\none.txt", "C:\\TEST\\x.txt", FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(CopyFileA("C:\\TEST\\src.txt", "C:\\TEST\\nodir\\x.txt", FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_FALSE(CopyFileA("C:\\TEST", "C:\\TEST\\x.txt", FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(CopyFileA("C:\\TEST\\src.txt", "C:\\test\\SRC.TXT", FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());

    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\dst.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(CopyFileA("C:\\TEST\\src.txt", "C:\\TEST\\dst.txt", FALSE));
    EXPECT_EQ("new", ReadText("C:\\TEST\\dst.txt"));
}

TEST_F(FileCopyMoveTest, DeleteRefusesReadOnlyFilesFoldersAndMissingOnes)
{
    WriteText("C:\\TEST\\f.txt", "x");
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\f.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFileA("C:\\TEST\\f.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(DeleteFileA("C:\\TEST"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(DeleteFileA("C:\\TEST\\none.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(DeleteFileA("C:\\TEST\\nodir\\none.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\f.txt", FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(DeleteFileA("c:\\test\\F.TXT"));
    EXPECT_FALSE(Exists("C:\\TEST\\f.txt"));
    // The attributes went with the file: a new file of that name starts plain.
    WriteText("C:\\TEST\\f.txt", "y");
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), GetFileAttributesA("C:\\TEST\\f.txt"));
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\f.txt"}), Journal("file", "delete"));
}

TEST_F(FileCopyMoveTest, MoveReplacesOnlyWhenAskedAndCarriesAttributes)
{
    WriteText("C:\\TEST\\a.txt", "a");
    WriteText("C:\\TEST\\b.txt", "b");
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\a.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(MoveFileA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\b.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\b.txt", FILE_ATTRIBUTE_NORMAL));

    EXPECT_TRUE(MoveFileExA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("a", ReadText("C:\\TEST\\b.txt"));
    EXPECT_FALSE(Exists("C:\\TEST\\a.txt"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA("C:\\TEST\\b.txt"));
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\a.txt|C:\\TEST\\b.txt"}), Journal("file", "move"));

    EXPECT_FALSE(MoveFileA("C:\\TEST\\none.txt", "C:\\TEST\\c.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(MoveFileA("C:\\TEST\\b.txt", "C:\\TEST\\nodir\\c.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileCopyMoveTest, MovingAFolderTakesTheAttributesBelowIt)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\old", nullptr));
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\old\\inner", nullptr));
    WriteText("C:\\TEST\\old\\inner\\f.txt", "f");
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\old\\inner\\f.txt", FILE_ATTRIBUTE_SYSTEM));
    // A sibling whose name merely starts the same must keep its own attributes.
    WriteText("C:\\TEST\\old2.txt", "o");
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\old2.txt", FILE_ATTRIBUTE_HIDDEN));

    EXPECT_FALSE(MoveFileA("C:\\TEST\\old", "C:\\TEST\\old\\inner\\deeper"));
    ASSERT_TRUE(MoveFileA("C:\\TEST\\old", "C:\\TEST\\new"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM), GetFileAttributesA("C:\\TEST\\new\\inner\\f.txt"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA("C:\\TEST\\old2.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEST\\old\\inner\\f.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileCopyMoveTest, RenamingToAnotherCaseRenamesTheEntry)
{
    WriteText("C:\\TEST\\readme.txt", "r");
    ASSERT_TRUE(MoveFileA("C:\\TEST\\readme.txt", "C:\\TEST\\README.TXT")) << GetLastError();
    EXPECT_EQ((std::vector<std::string>{"README.TXT"}), FindNames("C:\\TEST\\*.txt"));
    EXPECT_EQ("r", ReadText("C:\\TEST\\readme.txt"));
}

TEST_F(FileCopyMoveTest, DelayedMovesAreAppendedAsNtRecordsThem)
{
    WriteText("C:\\TEST\\busy.dll", "old");
    WriteText("C:\\TEST\\busy.new", "new");
    ASSERT_TRUE(MoveFileExA("C:\\TEST\\busy.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << GetLastError();
    ASSERT_TRUE(MoveFileExA("C:\\TEST\\busy.new", "C:\\TEST\\busy.dll",
                            MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    ASSERT_TRUE(MoveFileExA("c:/test/a", "C:\\TEST\\b", MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ((std::vector<std::string>{"\\??\\C:\\TEST\\busy.dll", "", "\\??\\C:\\TEST\\busy.new",
                                        "!\\??\\C:\\TEST\\busy.dll", "\\??\\C:\\test\\a", "\\??\\C:\\TEST\\b"}),
              PendingRenames());
    // Nothing moves before the reboot.
    EXPECT_EQ("old", ReadText("C:\\TEST\\busy.dll"));
    EXPECT_EQ(3u, Journal("file", "delay-move").size());
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\busy.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(FileCopyMoveWin9xTest, MoveFileExIsNotThereButMoveFileIs)
{
    WriteText("C:\\TEST\\a.txt", "a");
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\a.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_TRUE(MoveFileA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt"));
    EXPECT_EQ("a", ReadText("C:\\TEST\\b.txt"));
}
