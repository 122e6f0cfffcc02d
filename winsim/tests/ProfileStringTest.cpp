// Profile (INI) strings: lookups, the list and truncation rules, numbers, and edits that leave the rest of
// the file as it was.
#include <cstring>

#include "FileTestSupport.h"
#include "TestMachine.h"

using namespace file_test;

namespace
{

class ProfileStringTest : public TestMachine
{
protected:
    std::string Get(const char* section, const char* key, const char* fallback = "dflt", DWORD size = 256)
    {
        std::vector<char> buffer(size + 1, '#');
        DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, m_ini.c_str());
        return std::string(buffer.data(), length);
    }

    // A double-NUL list as its strings, with the count the call returned.
    std::vector<std::string> List(const char* section, DWORD size, DWORD& returned)
    {
        std::vector<char> buffer(size, '#');
        returned = GetPrivateProfileStringA(section, nullptr, "dflt", buffer.data(), size, m_ini.c_str());
        std::vector<std::string> items;
        for (size_t i = 0; i < size && buffer[i]; i += std::strlen(buffer.data() + i) + 1)
            items.emplace_back(buffer.data() + i);
        EXPECT_EQ('\0', buffer[returned]);
        return items;
    }

    const std::string m_ini = "C:\\TEST\\setup.ini";
};

const char kSample[] = "; setup settings\n"
                       "[Main]\n"
                       "  Name =  \"Quoted Value\"  \n"
                       "count=42\n"
                       "novalue\n"
                       ";comment=ignored\n"
                       "\n"
                       "[Second]\r\n"
                       "a=1\r\n"
                       "b = 2\r\n"
                       "\r\n"
                       "[main]\n"
                       "count=7\n";

} // namespace

TEST_F(ProfileStringTest, LookupsIgnoreCaseBlanksAndQuotes)
{
    WriteText(m_ini, kSample);
    EXPECT_EQ("Quoted Value", Get("MAIN", "name"));
    EXPECT_EQ("Quoted Value", Get("  main ", " NAME "));
    EXPECT_EQ("2", Get("second", "B"));
    // The first section of a name counts.
    EXPECT_EQ("42", Get("Main", "count"));
    EXPECT_EQ("dflt", Get("Main", "missing"));
    EXPECT_EQ("dflt", Get("Main", "novalue"));
    EXPECT_EQ("dflt", Get("Nowhere", "count"));
    // The default loses its trailing blanks and its quotes.
    EXPECT_EQ("x", Get("Main", "missing", "x   "));
    EXPECT_EQ("q", Get("Main", "missing", "'q'"));
    EXPECT_EQ("", Get("Main", "missing", nullptr));
}

TEST_F(ProfileStringTest, MissingFileGivesTheDefaultAndFileNotFound)
{
    SetLastError(0);
    EXPECT_EQ("dflt", Get("Main", "name"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Exists(m_ini));
}

TEST_F(ProfileStringTest, ValuesAreCutToSizeMinusOne)
{
    WriteText(m_ini, kSample);
    EXPECT_EQ("Quo", Get("Main", "Name", "dflt", 4));
    EXPECT_EQ("Quoted Value", Get("Main", "Name", "dflt", 13));
    EXPECT_EQ("df", Get("Main", "missing", "dflt", 3));
}

TEST_F(ProfileStringTest, NullSectionAndNullKeyListNames)
{
    WriteText(m_ini, kSample);
    DWORD returned = 0;
    EXPECT_EQ((std::vector<std::string>{"Main", "Second", "main"}), List(nullptr, 256, returned));
    EXPECT_EQ(17u, returned);
    EXPECT_EQ((std::vector<std::string>{"Name", "count"}), List("Main", 256, returned));
    EXPECT_EQ(11u, returned);
    // A section without keys gives the default.
    EXPECT_EQ("dflt", Get("Nowhere", nullptr));
}

TEST_F(ProfileStringTest, ListsThatDoNotFitEndInTwoNulsAndSizeMinusTwo)
{
    WriteText(m_ini, kSample);
    DWORD returned = 0;
    EXPECT_EQ((std::vector<std::string>{"Main", "Sec"}), List(nullptr, 10, returned));
    EXPECT_EQ(8u, returned);
    char buffer[10];
    EXPECT_EQ(8u, GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof(buffer), m_ini.c_str()));
    EXPECT_EQ(std::string("Main\0Sec\0\0", 10), std::string(buffer, sizeof(buffer)));
    // Filling the buffer exactly counts as cut, as on Windows.
    const std::vector<std::string> all{"Main", "Second", "main"};
    EXPECT_EQ(all, List(nullptr, 18, returned));
    EXPECT_EQ(16u, returned);
    EXPECT_EQ(all, List(nullptr, 19, returned));
    EXPECT_EQ(17u, returned);
}

TEST_F(ProfileStringTest, SectionsComeBackAsLines)
{
    WriteText(m_ini, kSample);
    char buffer[256];
    DWORD length = GetPrivateProfileSectionA("main", buffer, sizeof(buffer), m_ini.c_str());
    EXPECT_EQ(std::string("Name=\"Quoted Value\"\0count=42\0novalue\0", 37), std::string(buffer, length));
    EXPECT_EQ('\0', buffer[length]);
    EXPECT_EQ(0u, GetPrivateProfileSectionA("none", buffer, sizeof(buffer), m_ini.c_str()));
    EXPECT_EQ(8u, GetPrivateProfileSectionA("main", buffer, 10, m_ini.c_str()));
    EXPECT_EQ(0u, GetPrivateProfileSectionA(nullptr, buffer, sizeof(buffer), m_ini.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(ProfileStringTest, NumbersParseLikeWindows)
{
    WriteText(m_ini, "[n]\r\ndec=42\r\nneg=-5\r\nhex=0x1F\r\njunk=12abc\r\nword=abc\r\nempty=\r\n");
    const char* file = m_ini.c_str();
    EXPECT_EQ(42u, GetPrivateProfileIntA("n", "dec", 9, file));
    EXPECT_EQ(static_cast<UINT>(-5), GetPrivateProfileIntA("n", "neg", 9, file));
    EXPECT_EQ(31u, GetPrivateProfileIntA("n", "hex", 9, file));
    EXPECT_EQ(12u, GetPrivateProfileIntA("n", "junk", 9, file));
    EXPECT_EQ(0u, GetPrivateProfileIntA("n", "word", 9, file));
    EXPECT_EQ(9u, GetPrivateProfileIntA("n", "empty", 9, file));
    EXPECT_EQ(9u, GetPrivateProfileIntA("n", "missing", 9, file));
}

TEST_F(ProfileStringTest, WritesChangeOnlyTheLinesConcerned)
{
    WriteText(m_ini, kSample);
    ASSERT_TRUE(WritePrivateProfileStringA("second", "A", "one", m_ini.c_str()));
    std::string expected(kSample);
    expected.replace(expected.find("a=1"), 3, "a=one");
    EXPECT_EQ(expected, ReadText(m_ini));

    // A new key goes after the section's last line, before its blank line, ending in CR LF.
    ASSERT_TRUE(WritePrivateProfileStringA("Second", "c", "  3", m_ini.c_str()));
    expected.insert(expected.find("b = 2\r\n") + 7, "c=3\r\n");
    EXPECT_EQ(expected, ReadText(m_ini));

    ASSERT_TRUE(WritePrivateProfileStringA("Main", "count", nullptr, m_ini.c_str()));
    expected.erase(expected.find("count=42\n"), 9);
    EXPECT_EQ(expected, ReadText(m_ini));

    ASSERT_TRUE(WritePrivateProfileStringA("second", nullptr, nullptr, m_ini.c_str()));
    expected.erase(expected.find("[Second]"), expected.find("[main]") - expected.find("[Second]"));
    EXPECT_EQ(expected, ReadText(m_ini));

    ASSERT_TRUE(WritePrivateProfileStringA("New", "k", "v", m_ini.c_str()));
    EXPECT_EQ(expected + "[New]\r\nk=v\r\n", ReadText(m_ini));
    EXPECT_EQ(5u, Journal("file", "write").size() - 1); // the first write made the sample
}

TEST_F(ProfileStringTest, BareNamesLiveInTheWindowsFolder)
{
    ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "V", "app.ini"));
    EXPECT_EQ("[S]\r\nK=V\r\n", ReadText("C:\\WINDOWS\\app.ini"));
    char buffer[16];
    EXPECT_EQ(1u, GetPrivateProfileStringA("s", "k", "", buffer, sizeof(buffer), "APP.INI"));
    EXPECT_STREQ("V", buffer);
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\app.ini"}), Journal("file", "create"));
    // A file without a line end at its end gets one before new lines.
    WriteText(m_ini, "[S]\r\nK=V");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "L", "W", m_ini.c_str()));
    EXPECT_EQ("[S]\r\nK=V\r\nL=W\r\n", ReadText(m_ini));
}

TEST_F(ProfileStringTest, WriteProfileFailuresAndNoOps)
{
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "K", "V", "C:\\TEST\\nodir\\x.ini"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    WriteText(m_ini, "[S]\r\nK=V\r\n");
    ASSERT_TRUE(SetFileAttributesA(m_ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "K", "W", m_ini.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    // Deleting what is not there, or writing the same value, changes nothing and succeeds.
    EXPECT_TRUE(WritePrivateProfileStringA("S", "K", "V", m_ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", "none", nullptr, m_ini.c_str()));
    EXPECT_EQ("[S]\r\nK=V\r\n", ReadText(m_ini));
}

TEST_F(ProfileStringTest, WriteSectionReplacesItsLines)
{
    WriteText(m_ini, "[A]\r\nold=1\r\n;note\r\n\r\n[B]\r\nx=y\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionA("a", "k1=v1\0k2=v2\0", m_ini.c_str()));
    EXPECT_EQ("[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[B]\r\nx=y\r\n", ReadText(m_ini));
    ASSERT_TRUE(WritePrivateProfileSectionA("C", "z=1\0", m_ini.c_str()));
    EXPECT_EQ("[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[B]\r\nx=y\r\n[C]\r\nz=1\r\n", ReadText(m_ini));
    ASSERT_TRUE(WritePrivateProfileSectionA("B", nullptr, m_ini.c_str()));
    EXPECT_EQ("[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[C]\r\nz=1\r\n", ReadText(m_ini));
}
