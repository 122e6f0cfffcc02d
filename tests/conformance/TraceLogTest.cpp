// The trace log on the machine: line format, nesting, appending across runs, the temporary-folder
// fallback, long lines and concurrent writers.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "WineDifference.h"
#include "common/CTraceLog.h"
#include "common/CTraceScope.h"

namespace
{

class TraceLogTest : public ProductMachine
{
protected:
    void TearDown() override
    {
        StopTraceLog();
        ProductMachine::TearDown();
    }

    std::string LogPath(const char* name = "TRACE.LOG") const { return ScratchFolder() + "\\" + name; }

    std::vector<std::string> LogLines(const std::string& path)
    {
        std::string content;
        EXPECT_TRUE(ReadWholeFile(path, content)) << path;
        return SplitCrLf(content);
    }

    // The text after the time stamp "HH:MM:SS.mmm : ".
    static std::string Body(const std::string& line) { return line.size() > 15 ? line.substr(15) : std::string(); }
};

BOOL NestedOperation(int nDepth)
{
    CTraceScope trace("CTest :: NestedOperation", "nDepth = %d", nDepth);
    TraceLine("working at %d\n", nDepth);
    if (nDepth > 0)
        NestedOperation(nDepth - 1);
    return trace.Return(nDepth % 2 == 0);
}

TEST_F(TraceLogTest, LinesCarryTimeStampIndentationAndCrLf)
{
    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    NestedOperation(1);

    std::string content;
    ASSERT_TRUE(ReadWholeFile(LogPath(), content));
    EXPECT_EQ(std::string::npos, content.find("\n\n"));
    EXPECT_EQ(std::string::npos, content.find("\r\r"));
    std::vector<std::string> lines = SplitCrLf(content);
    ASSERT_EQ(6u, lines.size());
    const std::regex stamp(R"(^\d\d:\d\d:\d\d\.\d\d\d : .*)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, stamp)) << line;
    EXPECT_EQ("  ENTRY: CTest :: NestedOperation : nDepth = 1", Body(lines[0]));
    EXPECT_EQ("  working at 1", Body(lines[1]));
    EXPECT_EQ("    ENTRY: CTest :: NestedOperation : nDepth = 0", Body(lines[2]));
    EXPECT_EQ("    working at 0", Body(lines[3]));
    EXPECT_EQ("    EXIT:  CTest :: NestedOperation : bRetVal = 1", Body(lines[4]));
    EXPECT_EQ("  EXIT:  CTest :: NestedOperation : bRetVal = 0", Body(lines[5]));
    EXPECT_EQ(0u, GetTraceLog()->GetDepth());
}

TEST_F(TraceLogTest, WithoutTheLogNothingIsWritten)
{
    ASSERT_FALSE(IsTraceLogEnabled());
    NestedOperation(2);
    DisplayCStringList("csl", {"a"});
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((ScratchFolder() + "\\*.LOG").c_str(), &data);
    EXPECT_EQ(INVALID_HANDLE_VALUE, find);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

TEST_F(TraceLogTest, SecondRunAppendsToTheSameFile)
{
    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    GetTraceLog()->WriteLine("first run\n");
    StopTraceLog();

    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    GetTraceLog()->WriteLine("second run\n");

    std::vector<std::string> lines = LogLines(LogPath());
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("first run", Body(lines[0]));
    EXPECT_EQ("second run", Body(lines[1]));
}

TEST_F(TraceLogTest, UnopenableFileMovesToTheTemporaryFolderAndStartsEmpty)
{
    KNOWN_WINE_DIFFERENCE("Wine run as root opens read-only files for writing; Windows refuses with "
                          "ERROR_ACCESS_DENIED");
    // A unique name: on a real machine the temporary folder is shared.
    std::string name = "TRACE_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) + ".LOG";
    ASSERT_TRUE(WriteWholeFile(LogPath(name.c_str()), "kept\r\n"));
    ASSERT_TRUE(SetFileAttributesA(LogPath(name.c_str()).c_str(), FILE_ATTRIBUTE_READONLY));

    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string tempLog = std::string(temp) + name;
    ASSERT_TRUE(WriteWholeFile(tempLog, "stale line of an earlier run\r\n"));
    ASSERT_TRUE(SetFileAttributesA(tempLog.c_str(), FILE_ATTRIBUTE_READONLY));

    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath(name.c_str()).c_str(), TRUE);
    EXPECT_EQ(tempLog, GetTraceLog()->GetPath());
    EXPECT_TRUE(GetTraceLog()->WriteLine("moved\n"));

    std::vector<std::string> lines = LogLines(tempLog);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("moved", Body(lines[0]));
    std::string original;
    ASSERT_TRUE(ReadWholeFile(LogPath(name.c_str()), original));
    EXPECT_EQ("kept\r\n", original);

    StopTraceLog();
    DeleteFileA(tempLog.c_str());
    SetFileAttributesA(LogPath(name.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TraceLogTest, LogWithoutFileDropsLinesQuietly)
{
    CTraceLog log;
    log.SetLogFile(nullptr, TRUE);
    EXPECT_TRUE(log.GetPath().empty());
    EXPECT_FALSE(log.Open());
    EXPECT_FALSE(log.WriteLine("nowhere\n"));
}

TEST_F(TraceLogTest, UnindentStopsAtZero)
{
    CTraceLog log;
    log.Unindent();
    EXPECT_EQ(0u, log.GetDepth());
    log.Indent();
    log.Indent();
    log.Unindent();
    EXPECT_EQ(1u, log.GetDepth());
}

TEST_F(TraceLogTest, ListDumpNumbersItemsFromOne)
{
    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    DisplayCStringList("cslEmpty", {});
    DisplayCStringList("cslPaths", {"C:\\A", "C:\\A"});

    std::vector<std::string> lines = LogLines(LogPath());
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("  ENTRY: DisplayCStringList : cslEmpty", Body(lines[0]));
    EXPECT_EQ("  EXIT:  DisplayCStringList : cslEmpty", Body(lines[1]));
    EXPECT_EQ("  ENTRY: DisplayCStringList : cslPaths", Body(lines[2]));
    EXPECT_EQ("  Item=1, Data=C:\\A", Body(lines[3]));
    EXPECT_EQ("  Item=2, Data=C:\\A", Body(lines[4]));
    EXPECT_EQ("  EXIT:  DisplayCStringList : cslPaths", Body(lines[5]));
}

TEST_F(TraceLogTest, OverlongLinesAreCutAndKeepTheirLineEnd)
{
    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    std::string huge(5000, 'x');
    TraceLine("value = %s\n", huge.c_str());
    CTraceScope trace("CTest::Long", "%s", huge.c_str());
    TraceLine("after\n");

    std::vector<std::string> lines = LogLines(LogPath());
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(CTraceScope::LINE_CHARS - 2, Body(lines[0]).size());
    EXPECT_EQ(0u, Body(lines[0]).find("value = xxx"));
    EXPECT_EQ("  after", Body(lines[2]));
}

DWORD WINAPI WriteManyLines(LPVOID parameter)
{
    int writer = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
    for (int i = 0; i < 100; ++i)
        TraceLine("writer %d line %d\n", writer, i);
    return 0;
}

TEST_F(TraceLogTest, ConcurrentWritersInterleaveWholeLines)
{
    StartTraceLog();
    GetTraceLog()->SetLogFile(LogPath().c_str(), TRUE);
    HANDLE threads[4];
    for (int i = 0; i < 4; ++i)
    {
        threads[i] =
            CreateThread(nullptr, 0, WriteManyLines, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(i)), 0, nullptr);
        ASSERT_NE(nullptr, threads[i]);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 60000));
    for (HANDLE thread : threads)
        CloseHandle(thread);

    std::vector<std::string> lines = LogLines(LogPath());
    ASSERT_EQ(400u, lines.size());
    const std::regex whole(R"(^\d\d:\d\d:\d\d\.\d\d\d : writer [0-3] line \d+$)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, whole)) << line;
}

} // namespace
