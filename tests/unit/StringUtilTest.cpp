#include <gtest/gtest.h>

#include "platform/StringUtil.h"

TEST(StringUtil, UpperCaseCoversTheAnsiLetters)
{
    EXPECT_EQ("PCI\\VEN_F0E1&DEV_2F00", ToUpper("pci\\ven_f0e1&dev_2f00"));
    // Latin-1 letters fold; the division sign and digits do not.
    EXPECT_EQ("\xC9T\xC9 \xF7 123", ToUpper("\xE9t\xE9 \xF7 123"));
    EXPECT_TRUE(EqualsNoCase("Modem", "MODEM"));
    EXPECT_FALSE(EqualsNoCase("Modem", "Modems"));
}

TEST(StringUtil, FindNoCase)
{
    EXPECT_EQ(4u, FindNoCase("PCI\\VEN_F0E1", "ven_"));
    EXPECT_EQ(std::string::npos, FindNoCase("PCI", "PCI\\VEN"));
    EXPECT_EQ(std::string::npos, FindNoCase("abcabc", "ABC", 4));
    EXPECT_EQ(3u, FindNoCase("abcabc", "ABC", 1));
    EXPECT_EQ(0u, FindNoCase("abc", ""));
}

TEST(StringUtil, TrimRemovesBlanksAndLineEnds)
{
    EXPECT_EQ("a b", Trim(" \t a b \r\n"));
    EXPECT_EQ("", Trim(" \t\r\n"));
    EXPECT_EQ("", Trim(""));
}

TEST(StringUtil, BoundedFormattingCutsInsteadOfOverflowing)
{
    char buffer[8];
    EXPECT_EQ(7u, FormatBounded(buffer, sizeof(buffer), "%s", "0123456789"));
    EXPECT_STREQ("0123456", buffer);
    EXPECT_EQ(2u, FormatBounded(buffer, sizeof(buffer), "%d", 42));
    EXPECT_STREQ("42", buffer);
    EXPECT_EQ(0u, FormatBounded(buffer, 0, "%s", "x"));
    EXPECT_EQ(std::string(300, 'z') + "!", Format("%s!", std::string(300, 'z').c_str()));
}
