// Path handling: normalisation, names Windows refuses, length limits, case-insensitive lookup, the current
// directory and the functions that return paths.
#include <sys/stat.h>

#include <cstring>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "files/PathResolver.h"

using namespace file_test;
using winsim::PathResolver;

namespace
{

std::string Normalized(const std::string& path, const std::string& cwd = "C:\\TEST")
{
    std::string result;
    return PathResolver::Normalize(path, cwd, result) ? result : "<refused>";
}

bool HostExists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0;
}

class FilePathTest : public TestMachine
{
};

} // namespace

TEST(FilePathNormalize, FoldsSeparatorsDotsAndDriveCase)
{
    EXPECT_EQ("C:\\Windows\\System32\\x.SYS", Normalized("c:/Windows//System32/./drivers/../x.SYS"));
    EXPECT_EQ("C:\\", Normalized("C:\\..\\..\\"));
    EXPECT_EQ("C:\\a", Normalized("C:\\..\\a"));
}

TEST(FilePathNormalize, RelativeFormsUseTheCurrentDirectory)
{
    EXPECT_EQ("C:\\TEST\\sub\\a.txt", Normalized("sub\\a.txt"));
    EXPECT_EQ("C:\\x", Normalized("\\x"));
    EXPECT_EQ("C:\\TEST\\rel", Normalized("C:rel"));
    EXPECT_EQ("C:\\rel", Normalized("rel", "C:\\"));
    EXPECT_EQ("C:\\up", Normalized("..\\up"));
}

TEST(FilePathNormalize, TrimsTrailingDotsAndBlanksAsWindowsDoes)
{
    // Every trailing dot and blank of the last component goes; an inner component loses one dot.
    EXPECT_EQ("C:\\dir\\name", Normalized("C:\\dir.\\name. . "));
    EXPECT_EQ("C:\\dir.\\x", Normalized("C:\\dir..\\x"));
    EXPECT_EQ("C:\\a b", Normalized("C:\\a b  "));
}

TEST(FilePathNormalize, RefusesOtherDrivesAndNetworkPaths)
{
    EXPECT_EQ("<refused>", Normalized("D:\\x"));
    EXPECT_EQ("<refused>", Normalized("\\\\server\\share\\x"));
    EXPECT_EQ("<refused>", Normalized(""));
    std::string full;
    ASSERT_TRUE(PathResolver::FullPath("d:\\x\\", "C:\\TEST", full));
    EXPECT_EQ("D:\\x\\", full);
}

TEST_F(FilePathTest, LookupIgnoresCaseAndCreationKeepsIt)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\MixedCase", nullptr));
    WriteText("c:\\test\\MIXEDCASE\\File.Txt", "one");
    const std::string host = MachineDir() + "/drive/c/TEST/MixedCase/File.Txt";
    EXPECT_TRUE(HostExists(host));
    WriteText("C:\\Test\\mixedcase\\FILE.TXT", "two");
    EXPECT_EQ("two", ReadText("C:\\TEST\\MixedCase\\File.Txt"));
    EXPECT_EQ((std::vector<std::string>{"File.Txt"}), FindNames("C:\\TEST\\MixedCase\\f*"));
}

TEST_F(FilePathTest, LookupFoldsLatin1Letters)
{
    WriteText("C:\\TEST\\\xC9t\xE9.txt", "summer"); // "Été.txt"
    EXPECT_EQ("summer", ReadText("C:\\TEST\\\xE9T\xC9.TXT"));
    EXPECT_EQ((std::vector<std::string>{"\xC9t\xE9.txt"}), FindNames("C:\\TEST\\*.txt"));
}

TEST_F(FilePathTest, RefusedNamesFailWithInvalidName)
{
    for (const char* name : {"a<b", "a>b", "a|b", "a\"b", "a*b", "a?b", "a:b", "tab\there"})
    {
        SetLastError(0);
        std::string path = std::string("C:\\TEST\\") + name;
        EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr))
            << name;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError()) << name;
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TE|ST\\x"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
}

TEST_F(FilePathTest, TrailingDotsAreDroppedFromNewNames)
{
    WriteText("C:\\TEST\\name. .", "x");
    EXPECT_EQ((std::vector<std::string>{"name"}), FindNames("C:\\TEST\\n*"));
}

TEST_F(FilePathTest, LongPathsFailAsTheAnsiFunctionsDo)
{
    // The ANSI name itself no longer fits a MAX_PATH buffer.
    std::string tooLong = "C:\\TEST\\" + std::string(MAX_PATH - 8, 'a');
    ASSERT_EQ(static_cast<size_t>(MAX_PATH), tooLong.size());
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(tooLong.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tooLong.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());

    // A short relative name that becomes too long once made full.
    std::string deep = "C:\\TEST\\" + std::string(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    std::string relative(60, 'r');
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileA(relative.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    // The second name of a two-name function is converted without the MAX_PATH buffer.
    WriteText("C:\\TEST\\src.txt", "x");
    EXPECT_FALSE(CopyFileA("C:\\TEST\\src.txt", tooLong.c_str(), FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FilePathTest, CreateDirectoryLeavesRoomForAnEightDotThreeName)
{
    std::string fits = "C:\\TEST\\" + std::string(MAX_PATH - 12 - 8, 'f');
    std::string over = fits + "g";
    EXPECT_TRUE(CreateDirectoryA(fits.c_str(), nullptr)) << GetLastError();
    EXPECT_FALSE(CreateDirectoryA(over.c_str(), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
}

TEST_F(FilePathTest, CurrentDirectoryStartsAtTheImageFolderAndFollowsSetCurrentDirectory)
{
    char buffer[MAX_PATH];
    EXPECT_EQ(7u, GetCurrentDirectoryA(sizeof(buffer), buffer));
    EXPECT_STREQ("C:\\TEST", buffer);

    ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(11u, GetCurrentDirectoryA(sizeof(buffer), buffer));
    EXPECT_STREQ("C:\\TEST\\sub", buffer);
    WriteText("here.txt", "x");
    EXPECT_TRUE(Exists("C:\\TEST\\sub\\here.txt"));

    // Too small: the size needed, terminator included; the buffer is left alone.
    std::strcpy(buffer, "keep");
    EXPECT_EQ(12u, GetCurrentDirectoryA(11, buffer));
    EXPECT_STREQ("keep", buffer);

    EXPECT_FALSE(SetCurrentDirectoryA("C:\\TEST\\nothing"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\TEST\\sub\\here.txt"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), GetLastError());

    // The process holds its current directory open.
    EXPECT_FALSE(RemoveDirectoryA("C:\\TEST\\sub"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(3u, GetCurrentDirectoryA(sizeof(buffer), buffer));
    EXPECT_STREQ("C:\\", buffer);
}

TEST_F(FilePathTest, SystemFoldersFollowTheBufferSizeRules)
{
    char buffer[MAX_PATH];
    EXPECT_EQ(10u, GetWindowsDirectoryA(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\WINDOWS", buffer);
    EXPECT_EQ(11u, GetWindowsDirectoryA(buffer, 10));
    EXPECT_EQ(10u, GetWindowsDirectoryA(buffer, 11));
    EXPECT_EQ(11u, GetWindowsDirectoryA(nullptr, 0));

    EXPECT_EQ(19u, GetSystemDirectoryA(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\WINDOWS\\system32", buffer);

    DWORD length = GetTempPathA(sizeof(buffer), buffer);
    EXPECT_EQ(std::strlen(buffer), length);
    EXPECT_EQ('\\', buffer[length - 1]);
    EXPECT_EQ(length + 1, GetTempPathA(length, buffer));
}

TEST_F(FilePathTest, FullPathNamePointsAtTheFilePart)
{
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA("sub\\..\\file.txt", sizeof(buffer), buffer, &filePart);
    EXPECT_EQ(16u, length);
    EXPECT_STREQ("C:\\TEST\\file.txt", buffer);
    ASSERT_NE(nullptr, filePart);
    EXPECT_STREQ("file.txt", filePart);

    EXPECT_EQ(7u, GetFullPathNameA("d:\\dir\\", sizeof(buffer), buffer, &filePart));
    EXPECT_STREQ("D:\\dir\\", buffer);
    EXPECT_EQ(nullptr, filePart);

    EXPECT_EQ(17u, GetFullPathNameA("file.txt", 16, buffer, &filePart));
}

TEST_F(FilePathTest, ShortPathNamesNumberInListingOrder)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\Program Files", nullptr));
    WriteText("C:\\TEST\\Program Files\\Long Name Two.txt", "2");
    WriteText("C:\\TEST\\Program Files\\Long Name One.txt", "1");
    WriteText("C:\\TEST\\Program Files\\short.txt", "s");

    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA("C:\\TEST\\Program Files\\Long Name One.txt", buffer, sizeof(buffer));
    EXPECT_STREQ("C:\\TEST\\PROGRA~1\\LONGNA~1.TXT", buffer);
    EXPECT_EQ(std::strlen(buffer), length);
    GetShortPathNameA("c:\\test\\program files\\long name two.txt", buffer, sizeof(buffer));
    EXPECT_STREQ("c:\\test\\PROGRA~1\\LONGNA~2.TXT", buffer);
    // A component that is already 8.3 stays as written.
    GetShortPathNameA("C:\\TEST\\Program Files\\SHORT.txt", buffer, sizeof(buffer));
    EXPECT_STREQ("C:\\TEST\\PROGRA~1\\SHORT.txt", buffer);

    EXPECT_EQ(length + 1, GetShortPathNameA("C:\\TEST\\Program Files\\Long Name One.txt", buffer, length));
    EXPECT_EQ(0u, GetShortPathNameA("C:\\TEST\\Program Files\\none.txt", buffer, sizeof(buffer)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}
