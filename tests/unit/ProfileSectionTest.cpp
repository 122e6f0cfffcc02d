// The profile section reader on hand-written INI files: what it keeps of each line, and its limits.
#include <gtest/gtest.h>

#include "FileText.h"
#include "TestMachine.h"
#include "config/ProfileSection.h"

namespace
{

class ProfileSectionTest : public TestMachine
{
protected:
    std::string WriteIni(const std::string& text)
    {
        std::string path = ScratchFolder() + "\\TEST.INI";
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path;
    }
};

TEST_F(ProfileSectionTest, KeysAndValuesAreTrimmedCutAtCommentsAndStrippedOfTabs)
{
    std::string path = WriteIni("[S]\r\n"
                                "  Key One  =  value one ; a comment\r\n"
                                "Quoted=\"a;b\" ; real comment\r\n"
                                "Tabs=a\tb\t\r\n"
                                "no equals sign here\r\n"
                                "Empty=\r\n"
                                "Unterminated=\"x;y\r\n");
    CIniEntryList entries;
    ASSERT_TRUE(GetSectionEntries(path, "S", entries));
    ASSERT_EQ(5u, entries.size());
    EXPECT_EQ("Key One", entries[0].ksParm0);
    EXPECT_EQ("value one", entries[0].ksParm1);
    // Quotes stay in the value; a ";" inside them is no comment.
    EXPECT_EQ("\"a;b\"", entries[1].ksParm1);
    EXPECT_EQ("ab", entries[2].ksParm1);
    EXPECT_EQ("Empty", entries[3].ksParm0);
    EXPECT_EQ("", entries[3].ksParm1);
    // An unterminated quote protects the rest of the line.
    EXPECT_EQ("\"x;y", entries[4].ksParm1);

    std::string value;
    EXPECT_TRUE(GetSectionValue(path, "S", "QUOTED", value));
    EXPECT_EQ("\"a;b\"", value);
    EXPECT_FALSE(GetSectionValue(path, "S", "no equals sign here", value));
}

TEST_F(ProfileSectionTest, MissingEmptyAndBinaryInputGivesNothing)
{
    CIniEntryList entries;
    EXPECT_FALSE(GetSectionEntries(ScratchFolder() + "\\NONE.INI", "S", entries));
    EXPECT_FALSE(GetSectionEntries(WriteIni(""), "S", entries));
    EXPECT_FALSE(GetSectionEntries(WriteIni("[S]\r\n"), "S", entries));
    EXPECT_FALSE(GetSectionEntries(WriteIni(std::string("\0\x01\xff[S\0]=\x1a", 9)), "S", entries));
    EXPECT_TRUE(entries.empty());
    std::string value = "unchanged";
    EXPECT_FALSE(GetSectionValue(WriteIni("[T]\r\nA=1\r\n"), "S", "A", value));
    EXPECT_EQ("unchanged", value);
}

TEST_F(ProfileSectionTest, SectionIsCutAtItsCharacterLimit)
{
    // 200 lines of 9 characters: only what fits in 1000 characters is read, and nothing past a line cut.
    std::string text = "[S]\r\n";
    for (int i = 0; i < 200; ++i)
        text += "K" + std::to_string(1000 + i) + "=v1\r\n";
    CIniEntryList entries;
    ASSERT_TRUE(GetSectionEntries(WriteIni(text), "S", entries));
    EXPECT_LE(entries.size(), MAX_INI_SECTION_CHARS / 9 + 1);
    EXPECT_GE(entries.size(), MAX_INI_SECTION_CHARS / 9 - 1);
    EXPECT_EQ("K1000", entries[0].ksParm0);

    EXPECT_LE(entries.size(), MAX_INI_SECTION_ENTRIES);
}

TEST_F(ProfileSectionTest, LineRulesApplyToSingleLines)
{
    INI_ENTRY entry;
    EXPECT_FALSE(ParseSectionLine("", entry));
    EXPECT_FALSE(ParseSectionLine("just text", entry));
    ASSERT_TRUE(ParseSectionLine("a=b=c", entry));
    EXPECT_EQ("a", entry.ksParm0);
    EXPECT_EQ("b=c", entry.ksParm1);
    ASSERT_TRUE(ParseSectionLine("=;", entry));
    EXPECT_EQ("", entry.ksParm0);
    EXPECT_EQ("", entry.ksParm1);
    ASSERT_TRUE(ParseSectionLine("k = \t x \t ; y", entry));
    EXPECT_EQ("x", entry.ksParm1);
}

} // namespace
