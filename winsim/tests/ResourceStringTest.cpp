// LoadStringA on the program's own string tables (the .res its build embeds) and on built-in modules:
// texts, return values, truncation, and the language and code page a machine's UI language selects.
#include <gtest/gtest.h>

#include "ResourceTestSupport.h"
#include "TestMachine.h"
#include "windows.h"

using resource_test::LanguageMachine;
using resource_test::Load;

namespace
{

class ResourceStringTest : public TestMachine
{
};

} // namespace

TEST_F(ResourceStringTest, EnglishMachineReadsTheEnglishTable)
{
    EXPECT_EQ("You must have Administrative privileges to install this product.", Load(29));
    EXPECT_EQ("WARNING", Load(32));
    EXPECT_EQ("Driver Installation Failed: Could not find the XXXX device for this driver.", Load(20));
    EXPECT_EQ("Plug in your DSL Device now.", Load(33));
    // The program's handle is its image base; NULL stands for it too. Only the low word is the id.
    EXPECT_EQ("WARNING", Load(32, 512, GetModuleHandleA(nullptr)));
    EXPECT_EQ("WARNING", Load(MAKELONG(32, 0x8000)));
}

TEST_F(ResourceStringTest, MissingStringsFailWithResourceNameNotFound)
{
    // Id 1 lies in a block that exists but leaves it empty; 500 in a block that does not exist.
    EXPECT_EQ("<error 1814>", Load(1));
    EXPECT_EQ("<error 1814>", Load(500));
    char buffer[16] = "untouched";
    EXPECT_EQ(0, LoadStringA(nullptr, 26, buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer) << "a missing string still empties the buffer";
}

TEST_F(ResourceStringTest, LongStringsAreCutToTheBufferLessOne)
{
    EXPECT_EQ("WARNING", Load(32, 8)) << "exactly long enough";
    EXPECT_EQ("WARNIN", Load(32, 7));
    EXPECT_EQ("W", Load(32, 2));

    // A one-character buffer holds only the terminator: 0 is returned and the last error is untouched.
    char one[2] = {'x', 'y'};
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(0, LoadStringA(nullptr, 32, one, 1));
    EXPECT_EQ('\0', one[0]);
    EXPECT_EQ(0xDEADBEEFu, GetLastError());
}

TEST_F(ResourceStringTest, ZeroSizedBufferIsRefused)
{
    // The read-only pointer form of a zero size belongs to LoadStringW.
    char* pointer = nullptr;
    SetLastError(0);
    EXPECT_EQ(0, LoadStringA(nullptr, 32, reinterpret_cast<LPSTR>(&pointer), 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(nullptr, pointer);
    EXPECT_EQ(0, LoadStringA(nullptr, 32, nullptr, 10));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(ResourceStringLanguage, UiLanguageChoosesTheTableInItsCodePage)
{
    struct Case
    {
        uint16_t language;
        UINT id;
        const char* bytes;
    } cases[] = {
        {0x0407, 14, "Ger\xe4t"},                 // German, code page 1252
        {0x0411, 32, "\x8c\x78\x8d\x90"},         // Japanese, 932
        {0x0804, 32, "\xbe\xaf\xb8\xe6"},         // Simplified Chinese, 936
        {0x0404, 31, "\xbf\xf9\xbb\x7e"},         // Traditional Chinese, 950
        {0x0412, 18, "\xb0\xe1\xb0\xfa"},         // Korean, 949
        {0x0419, 31, "\xce\xd8\xc8\xc1\xca\xc0"}, // Russian, 1251
        {0x0408, 31, "\xd3\xd6\xc1\xcb\xcc\xc1"}, // Greek, 1253
        {0x0415, 31,
         "B\xa3\xa5"
         "D"},                        // Polish, 1250
        {0x0401, 31, "\xce\xd8\xc3"}, // Arabic, 1256
        {0x0816, 23, "SUCESSO"},      // Portuguese (Portugal) has its own table
        {0x0416, 23, "\xcaXITO"},     // and Brazil its own
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << c.language);
        LanguageMachine machine(c.language);
        ASSERT_TRUE(machine.Attached());
        EXPECT_EQ(c.bytes, Load(c.id));
    }
}

TEST(ResourceStringLanguage, OtherSublanguagesAndUntranslatedLanguagesFallBack)
{
    struct Case
    {
        uint16_t language;
        const char* warning;
    } cases[] = {
        {0x0C07, "WARNUNG"},     // German (Austria): the primary language's default sublanguage
        {0x0C0A, "ADVERTENCIA"}, // Spanish (modern sort) reads the traditional-sort table
        {0x0422, "WARNING"},     // Ukrainian: no table, English (US)
        {0x040D, "WARNING"},     // Hebrew: left out of the tables, English
        {0x0809, "WARNING"},     // English (UK): the default sublanguage is US English
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << c.language);
        LanguageMachine machine(c.language);
        ASSERT_TRUE(machine.Attached());
        EXPECT_EQ(c.warning, Load(32));
    }
}

TEST(ResourceStringLanguage, DoubleByteCharactersAreNotSplit)
{
    LanguageMachine machine(0x0411);
    ASSERT_TRUE(machine.Attached());
    // "エラー" is three double-byte characters: a 6-byte buffer holds two of them and the terminator.
    EXPECT_EQ("\x83\x47\x83\x89", Load(31, 6));
    EXPECT_EQ("\x83\x47\x83\x89\x81\x5b", Load(31, 7));
    // A single byte of room is not enough for any of them: nothing is copied, half a character least.
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(0, LoadStringA(nullptr, 31, buffer, 2));
    EXPECT_EQ('\0', buffer[0]);
}
