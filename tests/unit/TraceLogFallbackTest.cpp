// A program started from a folder it cannot write in (a driver CD) keeps its trace log in the
// temporary folder, under the same name, started afresh.
#include <gtest/gtest.h>

#include "FileText.h"
#include "ProductMachine.h"
#include "common/CTraceLog.h"
#include "winsim/winsim.h"

namespace
{

class TraceLogFallbackTest : public ProductMachine
{
protected:
    void TearDown() override
    {
        StopTraceLog();
        ProductMachine::TearDown();
    }
};

TEST_F(TraceLogFallbackTest, ReadOnlyProgramFolderMovesTheLogToTheTemporaryFolder)
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string tempLog = std::string(temp) + "NORVALIS_INSTALL.LOG";
    ASSERT_TRUE(WriteWholeFile(tempLog, "line of an earlier run\r\n"));
    // The program's folder is the fixture's C:\TEST; it becomes a read-only medium.
    ASSERT_TRUE(winsim::SetFolderWriteProtected(ScratchFolder(), true));

    for (int run = 0; run < 2; ++run)
    {
        StartTraceLog();
        GetTraceLog()->SetLogFile("NORVALIS_INSTALL.LOG", FALSE);
        EXPECT_EQ(tempLog, GetTraceLog()->GetPath());
        EXPECT_TRUE(GetTraceLog()->WriteLine("this run\n"));
        StopTraceLog();
    }

    // Each run starts the moved log afresh.
    std::string content;
    ASSERT_TRUE(ReadWholeFile(tempLog, content));
    std::vector<std::string> lines = SplitCrLf(content);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("this run", lines[0].substr(15));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((ScratchFolder() + "\\NORVALIS_INSTALL.LOG").c_str()));
}

TEST_F(TraceLogFallbackTest, NoWritableFolderAnywhereDropsEveryLine)
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    ASSERT_TRUE(winsim::SetFolderWriteProtected(ScratchFolder(), true));
    ASSERT_TRUE(winsim::SetFolderWriteProtected(temp, true));

    StartTraceLog();
    GetTraceLog()->SetLogFile("NORVALIS_INSTALL.LOG", FALSE);
    EXPECT_FALSE(GetTraceLog()->WriteLine("lost\n"));
    EXPECT_FALSE(GetTraceLog()->GetPath().empty());
}

} // namespace
