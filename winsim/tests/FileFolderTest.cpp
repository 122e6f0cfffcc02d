// Folders and attributes: CreateDirectoryA, RemoveDirectoryA, GetFileAttributesA, SetFileAttributesA.
#include "FileTestSupport.h"
#include "TestMachine.h"

using namespace file_test;

namespace
{

class FileFolderTest : public TestMachine
{
};

} // namespace

TEST_F(FileFolderTest, CreateDirectoryMakesOneLevelOnly)
{
    EXPECT_TRUE(CreateDirectoryA("C:\\TEST\\one", nullptr));
    EXPECT_FALSE(CreateDirectoryA("C:\\TEST\\ONE", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    WriteText("C:\\TEST\\file", "");
    EXPECT_FALSE(CreateDirectoryA("C:\\TEST\\file", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(CreateDirectoryA("C:\\TEST\\two\\three", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    // The fixture made C:\TEST.
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST", "C:\\TEST\\one"}), Journal("file", "mkdir"));
}

TEST_F(FileFolderTest, RemoveDirectoryRefusesFilesAndFullFolders)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\full", nullptr));
    WriteText("C:\\TEST\\full\\f.txt", "x");
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\full"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), GetLastError());
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\full\\f.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), GetLastError());
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\none"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\none\\deeper"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    ASSERT_TRUE(DeleteFileA("C:\\TEST\\full\\f.txt"));
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\full", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\full"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\full", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(RemoveDirectoryA("C:\\TEST\\full"));
    EXPECT_FALSE(Exists("C:\\TEST\\full"));
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\full"}), Journal("file", "rmdir"));
}

TEST_F(FileFolderTest, AttributesDefaultToNormalAndDirectory)
{
    WriteText("C:\\TEST\\f.txt", "x");
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), GetFileAttributesA("C:\\TEST\\f.txt"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("C:\\TEST"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("C:\\"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEST\\none.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEST\\nodir\\none.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileFolderTest, SetAttributesKeepsWhatCanBeSetAndNormalClears)
{
    WriteText("C:\\TEST\\f.txt", "x");
    ASSERT_TRUE(SetFileAttributesA("c:\\test\\F.TXT", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                                          FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM),
              GetFileAttributesA("C:\\TEST\\f.txt"));
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\f.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), GetFileAttributesA("C:\\TEST\\f.txt"));

    ASSERT_TRUE(SetFileAttributesA("C:\\TEST", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA("C:\\TEST"));

    EXPECT_FALSE(SetFileAttributesA("C:\\TEST\\none.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(3u, Journal("file", "attributes").size());
}

TEST_F(FileFolderTest, AttributesGivenAtCreationAreKept)
{
    HANDLE file = CreateFileA("C:\\TEST\\h.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_WRITE_THROUGH, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              GetFileAttributesA("C:\\TEST\\h.txt"));
}
