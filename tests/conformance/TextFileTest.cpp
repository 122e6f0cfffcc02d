// The text-file helper reads and writes like a C stream in text mode.
#include <gtest/gtest.h>

#include "FileText.h"
#include "TestMachine.h"
#include "platform/CTextFile.h"

namespace
{

class TextFileTest : public TestMachine
{
protected:
    std::string Path() const { return ScratchFolder() + "\\text.ini"; }
};

TEST_F(TextFileTest, ReadsCrLfAndLfLinesAndStopsAtCtrlZ)
{
    ASSERT_TRUE(WriteWholeFile(Path(), "one\r\ntwo\nthree\r\n\r\nlone\rcr\r\nlast\x1Ahidden\r\n"));
    CTextFile file;
    ASSERT_TRUE(file.OpenRead(Path().c_str()));
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line))
        lines.push_back(line);
    std::vector<std::string> expected = {"one", "two", "three", "", "lone\rcr", "last"};
    EXPECT_EQ(expected, lines);
}

TEST_F(TextFileTest, LongLinesAreCutAndTheRestSkipped)
{
    std::string longLine(70000, 'a');
    ASSERT_TRUE(WriteWholeFile(Path(), longLine + "\r\nnext\r\n"));
    CTextFile file;
    ASSERT_TRUE(file.OpenRead(Path().c_str()));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line, 259));
    EXPECT_EQ(std::string(259, 'a'), line);
    ASSERT_TRUE(file.ReadLine(line, 259));
    EXPECT_EQ("next", line);
    EXPECT_FALSE(file.ReadLine(line));
}

TEST_F(TextFileTest, WritesLineFeedsAsCrLfAndAppendsWithoutTruncating)
{
    {
        CTextFile file;
        ASSERT_TRUE(file.Create(Path().c_str()));
        ASSERT_TRUE(file.Write("[Section]\nKey=Value\n"));
    }
    {
        CTextFile file;
        ASSERT_TRUE(file.OpenWrite(Path().c_str()));
        ASSERT_TRUE(file.SeekToEnd());
        ASSERT_TRUE(file.Write("More=1\n"));
    }
    std::string content;
    ASSERT_TRUE(ReadWholeFile(Path(), content));
    EXPECT_EQ("[Section]\r\nKey=Value\r\nMore=1\r\n", content);
}

TEST_F(TextFileTest, MissingFileDoesNotOpen)
{
    CTextFile file;
    EXPECT_FALSE(file.OpenRead((ScratchFolder() + "\\absent.txt").c_str()));
    EXPECT_FALSE(file.IsOpen());
    std::string line;
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_FALSE(file.Write("x"));
}

} // namespace
