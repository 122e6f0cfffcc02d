// Reading INF files: the syntax SetupOpenInfFileA accepts and refuses (with the line it reports), fields
// and keys, the buffer-size rules of the field functions, and string substitution, localised included.
#include <gtest/gtest.h>

#include <string>

#include "InfTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"

using inf_test::Field;
using inf_test::kHeader;
using inf_test::Value;

namespace
{

class InfParseTest : public TestMachine
{
protected:
    std::string Path() const { return ScratchFolder() + "\\mdm.inf"; }

    HINF OpenText(const std::string& body, UINT* errorLine = nullptr)
    {
        return inf_test::Open(Path(), std::string(kHeader) + body, errorLine);
    }

    // The error and line a text is refused with; {0, 0} when it opens.
    std::pair<DWORD, UINT> Refusal(const std::string& text)
    {
        UINT line = 0xFFFF;
        HINF inf = inf_test::Open(Path(), text, &line);
        if (inf != INVALID_HANDLE_VALUE)
        {
            SetupCloseInfFile(inf);
            return {0, 0};
        }
        return {GetLastError(), line};
    }
};

TEST_F(InfParseTest, RefusedTextReportsItsErrorAndLine)
{
    EXPECT_EQ(std::make_pair(DWORD(ERROR_BAD_SECTION_NAME_LINE), 4u), Refusal(std::string(kHeader) + "[Models"));
    EXPECT_EQ(std::make_pair(DWORD(ERROR_EXPECTED_SECTION_NAME), 1u), Refusal(std::string("stray=1\r\n") + kHeader));
    EXPECT_EQ(std::make_pair(DWORD(ERROR_SECTION_NAME_TOO_LONG), 4u),
              Refusal(std::string(kHeader) + "[" + std::string(256, 'a') + "]\r\n"));
    // An unterminated quote, after a continued line: the line the quote is on.
    EXPECT_EQ(std::make_pair(DWORD(ERROR_GENERAL_SYNTAX), 6u),
              Refusal(std::string(kHeader) + "[Strings]\r\nA = one, \\\r\n \"two\r\n"));
    EXPECT_EQ(std::make_pair(DWORD(ERROR_WRONG_INF_STYLE), 0u), Refusal("[Version]\r\nSignature=\"$Unknown$\"\r\n"));
    EXPECT_EQ(std::make_pair(DWORD(ERROR_WRONG_INF_STYLE), 0u), Refusal("[Strings]\r\nA=1\r\n"));
    // A name of 255 characters is still accepted.
    EXPECT_EQ(std::make_pair(DWORD(0), 0u), Refusal(std::string(kHeader) + "[" + std::string(255, 'a') + "]\r\n"));
}

TEST_F(InfParseTest, OpenFailuresAndHandles)
{
    UINT line = 7;
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              SetupOpenInfFileA((ScratchFolder() + "\\none.inf").c_str(), nullptr, INF_STYLE_WIN4, &line));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(0u, line);
    EXPECT_EQ(INVALID_HANDLE_VALUE, SetupOpenInfFileA("nosuchfile.inf", nullptr, INF_STYLE_WIN4, nullptr));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());

    // A class that does not match [Version] is refused; the right one opens.
    file_test::WriteText(Path(), kHeader);
    EXPECT_EQ(INVALID_HANDLE_VALUE, SetupOpenInfFileA(Path().c_str(), "Media", INF_STYLE_WIN4, nullptr));
    EXPECT_EQ(DWORD(ERROR_CLASS_MISMATCH), GetLastError());
    HINF inf = SetupOpenInfFileA(Path().c_str(), "MODEM", INF_STYLE_WIN4, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    SetupCloseInfFile(inf);
    INFCONTEXT context;
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Version", nullptr, &context)) << "a closed handle is not followed";
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(InfParseTest, FieldsQuotesCommentsAndContinuations)
{
    HINF inf = OpenText("[Models]\r\n"
                        "  %Mfg% Modem = Install_Section , PCI\\VEN_1234&DEV_5678  ; the hardware id\r\n"
                        "\r\n"
                        "; a whole-line comment\r\n"
                        "Quoted = \"a, \"\"b\"\"; c\",  inner  spaces  kept  \r\n"
                        "Joined = one, \\\r\n"
                        "   two, \\ ; comment after the backslash\r\n"
                        "   three\r\n"
                        "lonely\r\n"
                        "a, b, c\r\n"
                        "Empty =\r\n"
                        "Mixed = ab\"cd\"ef\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "models", nullptr, &context));
    EXPECT_EQ("%Mfg% Modem", Field(context, 0)) << "an unknown string key keeps its percent signs";
    EXPECT_EQ("Install_Section", Field(context, 1));
    EXPECT_EQ("PCI\\VEN_1234&DEV_5678", Field(context, 2));
    EXPECT_EQ(2u, SetupGetFieldCount(&context));

    EXPECT_EQ("a, \"b\"; c", Value(inf, "Models", "quoted", 1));
    EXPECT_EQ("inner  spaces  kept", Value(inf, "Models", "Quoted", 2));
    EXPECT_EQ("three", Value(inf, "Models", "Joined", 3));
    EXPECT_EQ("ab"
              "cd"
              "ef",
              Value(inf, "Models", "Mixed"));

    // A single keyless field is its own key; several keyless fields have no key at all.
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", "lonely", &context));
    EXPECT_EQ("lonely", Field(context, 0));
    EXPECT_EQ("lonely", Field(context, 1));
    ASSERT_TRUE(SetupFindNextLine(&context, &context));
    EXPECT_EQ(3u, SetupGetFieldCount(&context));
    EXPECT_EQ("c", Field(context, 3));
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_PARAMETER) + ">", Field(context, 0));
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_PARAMETER) + ">", Field(context, 4));

    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", "Empty", &context));
    EXPECT_EQ(1u, SetupGetFieldCount(&context));
    EXPECT_EQ("", Field(context, 1));
    SetupCloseInfFile(inf);
}

TEST_F(InfParseTest, FindLineErrorsAndDuplicates)
{
    HINF inf = OpenText("[Install]\r\nAddReg=a\r\n[Empty]\r\n[Install]\r\nAddReg=b\r\nCopyFiles=c\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Missing", nullptr, &context));
    EXPECT_EQ(DWORD(ERROR_SECTION_NOT_FOUND), GetLastError());
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Empty", nullptr, &context));
    EXPECT_EQ(DWORD(ERROR_LINE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Install", "DelReg", &context));
    EXPECT_EQ(DWORD(ERROR_LINE_NOT_FOUND), GetLastError());

    // The two [Install] sections read as one, in file order; duplicate keys are all kept.
    ASSERT_TRUE(SetupFindFirstLineA(inf, "INSTALL", "addreg", &context));
    EXPECT_EQ("a", Field(context, 1));
    INFCONTEXT next;
    ASSERT_TRUE(SetupFindNextMatchLineA(&context, "AddReg", &next));
    EXPECT_EQ("b", Field(next, 1));
    EXPECT_FALSE(SetupFindNextMatchLineA(&next, "AddReg", &context));
    EXPECT_EQ(DWORD(ERROR_LINE_NOT_FOUND), GetLastError());
    ASSERT_TRUE(SetupFindNextLine(&next, &next));
    EXPECT_EQ("c", Field(next, 1));
    EXPECT_FALSE(SetupFindNextLine(&next, &context));
    EXPECT_EQ(DWORD(ERROR_LINE_NOT_FOUND), GetLastError());
    SetupCloseInfFile(inf);
}

TEST_F(InfParseTest, BufferSizesCountTheNull)
{
    HINF inf = OpenText("[S]\r\nKey = hello, 0x10, -3, 12abc, 1f, 00, ff, 1g\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "S", "Key", &context));
    DWORD size = 0;
    EXPECT_TRUE(SetupGetStringFieldA(&context, 1, nullptr, 0, &size)) << "a NULL buffer asks for the size";
    EXPECT_EQ(6u, size);
    char buffer[16] = "xxxxxxxxxxxxxxx";
    size = 0;
    EXPECT_FALSE(SetupGetStringFieldA(&context, 1, buffer, 5, &size));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(6u, size);
    EXPECT_TRUE(SetupGetStringFieldA(&context, 1, buffer, 6, nullptr));
    EXPECT_STREQ("hello", buffer);

    EXPECT_TRUE(SetupGetLineTextA(&context, nullptr, nullptr, nullptr, nullptr, 0, &size));
    const std::string line = "hello,0x10,-3,12abc,1f,00,ff,1g";
    EXPECT_EQ(line.size() + 1, size);
    char text[64];
    EXPECT_TRUE(SetupGetLineTextA(nullptr, inf, "S", "Key", text, sizeof(text), nullptr));
    EXPECT_EQ(line, text);

    INT number = 0;
    EXPECT_TRUE(SetupGetIntField(&context, 2, &number));
    EXPECT_EQ(16, number);
    EXPECT_TRUE(SetupGetIntField(&context, 3, &number));
    EXPECT_EQ(-3, number);
    EXPECT_FALSE(SetupGetIntField(&context, 4, &number));
    EXPECT_EQ(DWORD(ERROR_INVALID_DATA), GetLastError());
    EXPECT_FALSE(SetupGetIntField(&context, 9, &number));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    BYTE bytes[4] = {};
    EXPECT_TRUE(SetupGetBinaryField(&context, 5, nullptr, 0, &size));
    EXPECT_EQ(4u, size) << "fields 5 to 8";
    EXPECT_FALSE(SetupGetBinaryField(&context, 5, bytes, 2, &size));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_FALSE(SetupGetBinaryField(&context, 5, bytes, 4, &size)) << "1g is not a byte";
    EXPECT_EQ(DWORD(ERROR_INVALID_DATA), GetLastError());
    SetupCloseInfFile(inf);

    inf = OpenText("[B]\r\nData = 1f, 00, ff\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    ASSERT_TRUE(SetupFindFirstLineA(inf, "B", "Data", &context));
    EXPECT_TRUE(SetupGetBinaryField(&context, 1, bytes, 3, &size));
    EXPECT_EQ(0x1F, bytes[0]);
    EXPECT_EQ(0x00, bytes[1]);
    EXPECT_EQ(0xFF, bytes[2]);
    SetupCloseInfFile(inf);
}

TEST_F(InfParseTest, StringsAreSubstitutedWhenRead)
{
    HINF inf = OpenText("[Manufacturer]\r\n"
                        "%Mfg% = Models\r\n"
                        "[Models]\r\n"
                        "%Modem.Desc% = Modem_Install, \"100%% sure\", %mfg%%Suffix%, %Undefined%\r\n"
                        "[Strings]\r\n"
                        "Mfg = \"Sample Modems, Inc.\"\r\n"
                        "Modem.Desc = \"Sample 56K Modem\"\r\n"
                        "Suffix = \" (PCI)\"\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Manufacturer", "Sample Modems, Inc.", &context))
        << "keys are compared after substitution";
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", nullptr, &context));
    EXPECT_EQ("Sample 56K Modem", Field(context, 0));
    EXPECT_EQ("100% sure", Field(context, 2));
    EXPECT_EQ("Sample Modems, Inc. (PCI)", Field(context, 3));
    EXPECT_EQ("%Undefined%", Field(context, 4));
    SetupCloseInfFile(inf);
}

TEST_F(InfParseTest, Utf16WithByteOrderMark)
{
    const std::string text = std::string(kHeader) + "[Strings]\r\nName=\"Caf\xE9 Audio\"\r\n";
    std::string wide = "\xFF\xFE";
    for (char c : text)
    {
        wide += c;
        wide += '\0';
    }
    file_test::WriteText(Path(), wide);
    HINF inf = SetupOpenInfFileA(Path().c_str(), nullptr, INF_STYLE_WIN4, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inf) << GetLastError();
    EXPECT_EQ("Caf\xE9 Audio", Value(inf, "Strings", "Name"));
    SetupCloseInfFile(inf);
}

class InfGermanTest : public InfParseTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "inf-german", "[Machine]\nUILanguage=0x0407\n");
        return path.c_str();
    }
};

TEST_F(InfGermanTest, LocalisedStringsWinOverTheDefaults)
{
    HINF inf = OpenText("[Models]\r\n%Desc% = Install, %Mfg%\r\n"
                        "[Strings]\r\nDesc = \"HD Audio Device\"\r\nMfg = \"Sample Audio\"\r\n"
                        "[Strings.0407]\r\nDesc = \"HD-Audiogeraet\"\r\n"
                        "[Strings.040C]\r\nDesc = \"Peripherique audio HD\"\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", nullptr, &context));
    EXPECT_EQ("HD-Audiogeraet", Field(context, 0));
    EXPECT_EQ("Sample Audio", Field(context, 2)) << "a key the language lacks comes from [Strings]";
    SetupCloseInfFile(inf);
}

TEST_F(InfParseTest, EnglishMachineIgnoresOtherLanguages)
{
    HINF inf = OpenText("[Models]\r\n%Desc% = Install\r\n[Strings]\r\nDesc = \"HD Audio Device\"\r\n"
                        "[Strings.0407]\r\nDesc = \"HD-Audiogeraet\"\r\n");
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", nullptr, &context));
    EXPECT_EQ("HD Audio Device", Field(context, 0));
    SetupCloseInfFile(inf);
}

} // namespace
