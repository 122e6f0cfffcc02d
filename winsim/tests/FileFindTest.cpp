// Folder searches: Windows' wildcard rules, the order and contents of the results, and the errors.
#include <algorithm>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "files/WildcardPattern.h"

using namespace file_test;
using winsim::WildcardPattern;

namespace
{

bool Matches(const char* pattern, const char* name)
{
    return WildcardPattern(pattern).Matches(name);
}

class FileFindTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        WriteText("C:\\TEST\\b.txt", "bb");
        WriteText("C:\\TEST\\A.txt", "a");
        WriteText("C:\\TEST\\c.dat", "ccc");
        WriteText("C:\\TEST\\Long Name.html", "<html>");
        WriteText("C:\\TEST\\noext", "");
        ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\sub", nullptr));
    }
};

} // namespace

TEST(FileWildcard, StarDotStarMatchesNamesWithoutADot)
{
    EXPECT_TRUE(Matches("*.*", "abc"));
    EXPECT_TRUE(Matches("*.*", "a.b"));
    EXPECT_TRUE(Matches("*.*", "."));
    EXPECT_TRUE(Matches("*", ".."));
}

TEST(FileWildcard, StarDotMatchesOnlyNamesWithoutExtension)
{
    EXPECT_TRUE(Matches("*.", "abc"));
    EXPECT_FALSE(Matches("*.", "a.b"));
    EXPECT_TRUE(Matches("name.", "NAME"));
}

TEST(FileWildcard, StarBeforeADotStopsAtTheLastDot)
{
    EXPECT_TRUE(Matches("*.txt", "A.TXT"));
    EXPECT_TRUE(Matches("*.txt", ".txt"));
    EXPECT_TRUE(Matches("*.txt", "a.b.txt"));
    EXPECT_FALSE(Matches("*.txt", "a.txt.bak"));
    EXPECT_FALSE(Matches("*.txt", "atxt"));
    EXPECT_TRUE(Matches("ab*", "abc.d"));
}

TEST(FileWildcard, QuestionMarkMatchesNothingAtADotOrTheEnd)
{
    EXPECT_TRUE(Matches("a?c", "abc"));
    EXPECT_FALSE(Matches("a?c", "ac"));
    EXPECT_TRUE(Matches("a?.txt", "a.txt"));
    EXPECT_TRUE(Matches("a?.txt", "ab.txt"));
    EXPECT_FALSE(Matches("a?.txt", "abc.txt"));
    EXPECT_TRUE(Matches("???", "ab"));
    EXPECT_FALSE(Matches("???", "abcd"));
}

TEST_F(FileFindTest, ListsDotEntriesFirstThenNamesByUpperCase)
{
    EXPECT_EQ((std::vector<std::string>{".", "..", "A.txt", "b.txt", "c.dat", "Long Name.html", "noext", "sub"}),
              FindNames("C:\\TEST\\*"));
    EXPECT_EQ((std::vector<std::string>{".", "..", "A.txt", "b.txt", "c.dat", "Long Name.html", "noext", "sub"}),
              FindNames("C:\\TEST\\*.*"));
    EXPECT_EQ((std::vector<std::string>{".", "..", "noext", "sub"}), FindNames("C:\\TEST\\*."));
    EXPECT_EQ((std::vector<std::string>{"A.txt", "b.txt"}), FindNames("C:\\test\\?.TXT"));
}

TEST_F(FileFindTest, TheDriveRootHasNoDotEntries)
{
    std::vector<std::string> names = FindNames("C:\\*");
    ASSERT_FALSE(names.empty());
    EXPECT_NE(".", names[0]);
    EXPECT_NE(std::find(names.begin(), names.end(), "TEST"), names.end());
}

TEST_F(FileFindTest, ShortNamesMatchToo)
{
    // "Long Name.html" has the short name LONGNA~1.HTM.
    EXPECT_EQ((std::vector<std::string>{"Long Name.html"}), FindNames("C:\\TEST\\*.htm"));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("C:\\TEST\\long*", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    EXPECT_STREQ("LONGNA~1.HTM", data.cAlternateFileName);
}

TEST_F(FileFindTest, ReportsSizesAttributesAndRelativePatterns)
{
    ASSERT_TRUE(SetFileAttributesA("C:\\TEST\\c.dat", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("c.dat", &data); // relative to the current directory, C:\TEST
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    EXPECT_STREQ("c.dat", data.cFileName);
    EXPECT_EQ(3u, data.nFileSizeLow);
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), data.dwFileAttributes);
    EXPECT_STREQ("", data.cAlternateFileName);
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    FindClose(find);

    find = FindFirstFileA("C:\\TEST\\sub", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), data.dwFileAttributes);
    EXPECT_EQ((std::vector<std::string>{".", ".."}), FindNames("C:\\TEST\\sub\\*"));
}

TEST_F(FileFindTest, FailuresTellNothingMatchedFromNoFolder)
{
    WIN32_FIND_DATAA data;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\TEST\\*.none", &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\TEST\\missing\\*", &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\TEST\\", &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\TE*\\*", &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_FALSE(FindClose(reinterpret_cast<HANDLE>(0x7ff0)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}
