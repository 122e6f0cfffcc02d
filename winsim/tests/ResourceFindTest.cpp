// FindResourceA/ExA, LoadResource, LockResource, SizeofResource on the program's compiled resources, the
// strings built-in modules carry per Windows version, and every language of the string table source.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>

#include "ResourceTestSupport.h"
#include "TestMachine.h"
#include "profile/HostFiles.h"
#include "resources/CodePage.h"
#include "windows.h"

using resource_test::LanguageMachine;
using resource_test::Load;

namespace
{

class ResourceFindTest : public TestMachine
{
protected:
    // FindResourceExA expected to fail: its last error.
    static DWORD FindError(HMODULE module, LPCSTR type, LPCSTR name, WORD language)
    {
        SetLastError(0xDEADBEEF);
        return FindResourceExA(module, type, name, language) ? 0 : GetLastError();
    }

    // The strings of one block of the program's string table, in one language, as UTF-16.
    static std::map<unsigned, std::u16string> Block(unsigned block, WORD language)
    {
        std::map<unsigned, std::u16string> strings;
        HRSRC found = FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCE(block), language);
        if (!found)
            return strings;
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
        const DWORD size = SizeofResource(nullptr, found);
        size_t at = 0;
        for (unsigned index = 0; index < 16 && at + 2 <= size; ++index)
        {
            const size_t length = data[at] | (data[at + 1] << 8);
            std::u16string text;
            for (size_t i = 0; i < length; ++i)
                text += static_cast<char16_t>(data[at + 2 + i * 2] | (data[at + 3 + i * 2] << 8));
            if (length)
                strings[(block - 1) * 16 + index] = text;
            at += 2 + length * 2;
        }
        return strings;
    }
};

} // namespace

TEST_F(ResourceFindTest, VersionResourceOfTheProgram)
{
    HRSRC version = FindResourceA(nullptr, MAKEINTRESOURCE(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(nullptr, version);
    HGLOBAL loaded = LoadResource(nullptr, version);
    ASSERT_NE(nullptr, loaded);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    ASSERT_EQ(static_cast<const void*>(loaded), static_cast<const void*>(data));
    const DWORD size = SizeofResource(nullptr, version);
    // A VS_VERSIONINFO: its length first, then the key "VS_VERSION_INFO" in UTF-16 from offset 6.
    ASSERT_GT(size, 40u);
    EXPECT_EQ(size, static_cast<DWORD>(data[0] | (data[1] << 8)));
    EXPECT_EQ('V', data[6]);
    EXPECT_EQ('S', data[8]);
    // The same through its handle and by "#1".
    EXPECT_EQ(version, FindResourceA(GetModuleHandleA(nullptr), "#1", RT_VERSION));
}

TEST_F(ResourceFindTest, LookupFailuresNameWhatIsMissing)
{
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND),
              FindError(nullptr, RT_MENU, MAKEINTRESOURCE(1), LANG_NEUTRAL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND),
              FindError(nullptr, RT_STRING, MAKEINTRESOURCE(100), LANG_NEUTRAL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), FindError(nullptr, RT_STRING, "NONAME", LANG_NEUTRAL));
    // A specific language is not replaced by another: Ukrainian has no table and no neutral one stands in.
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND),
              FindError(nullptr, RT_STRING, MAKEINTRESOURCE(3), MAKELANGID(LANG_UKRAINIAN, SUBLANG_DEFAULT)));
    // A sublanguage that has no table of its own falls back to its primary language with no sublanguage
    // only: German (Swiss) finds nothing, as the table is German (Germany).
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND),
              FindError(nullptr, RT_STRING, MAKEINTRESOURCE(3), MAKELANGID(LANG_GERMAN, 0x02)));
    EXPECT_NE(nullptr,
              FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCE(3), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)));
}

TEST_F(ResourceFindTest, HandlesOfOneModuleAreNotAnothers)
{
    HRSRC version = FindResourceA(nullptr, MAKEINTRESOURCE(1), RT_VERSION);
    ASSERT_NE(nullptr, version);
    HMODULE mmsys = LoadLibraryA("mmsys.cpl");
    ASSERT_NE(nullptr, mmsys);
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadResource(mmsys, version));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(0u, SizeofResource(mmsys, version));
    EXPECT_EQ(nullptr, LoadResource(nullptr, reinterpret_cast<HRSRC>(&version)));
    FreeLibrary(mmsys);
}

TEST_F(ResourceFindTest, ControlPanelNamesFollowTheWindowsVersion)
{
    // Windows XP: the names of the XP control panel; a data-file load reads the same strings.
    HMODULE mmsys = LoadLibraryA("mmsys.cpl");
    HMODULE appwiz = LoadLibraryExA("APPWIZ.CPL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, mmsys);
    ASSERT_NE(nullptr, appwiz);
    EXPECT_EQ("Sounds and Audio Devices", Load(5771, 512, mmsys));
    EXPECT_EQ("Add or Remove Programs", Load(56, 512, appwiz));
    EXPECT_EQ("<error 1814>", Load(57, 512, appwiz));
    FreeLibrary(mmsys);
    FreeLibrary(appwiz);

    // Modules without strings, and files that are not modules.
    HMODULE setupapi = LoadLibraryA("setupapi.dll");
    ASSERT_NE(nullptr, setupapi);
    EXPECT_EQ("<error 1813>", Load(1, 512, setupapi));
    FreeLibrary(setupapi);
    EXPECT_EQ("<error 1812>", Load(1, 512, reinterpret_cast<HMODULE>(0x12340000)));
}

TEST(ResourceFindVista, ControlPanelNamesOfVista)
{
    std::string machine = TestMachine::MakeMachine("vista-x64");
    ASSERT_FALSE(machine.empty());
    if (winsim::IsAttached())
        winsim::Detach(0);
    winsim::AttachOptions options;
    options.machineDir = machine;
    options.imagePath = "C:\\TEST\\tests.exe";
    std::string error;
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    HMODULE mmsys = LoadLibraryA("mmsys.cpl");
    HMODULE appwiz = LoadLibraryA("appwiz.cpl");
    EXPECT_EQ("Sound", Load(5771, 512, mmsys));
    EXPECT_EQ("Programs and Features", Load(56, 512, appwiz));
    winsim::Detach(0);
    winsim::HostRemoveTree(machine);
}

// Every string of every language in strings/strings.txt reads back from the compiled resources as written:
// this catches a code page the resource compiler converts wrongly and a table that was not regenerated.
TEST_F(ResourceFindTest, EveryLanguageOfTheSourceIsCompiledAsWritten)
{
    const std::map<std::string, WORD> languages = {
        {"en-US", 0x0409}, {"de-DE", 0x0407}, {"fr-FR", 0x040C}, {"es-ES", 0x040A}, {"it-IT", 0x0410},
        {"pt-BR", 0x0416}, {"pt-PT", 0x0816}, {"nl-NL", 0x0413}, {"sv-SE", 0x041D}, {"da-DK", 0x0406},
        {"nb-NO", 0x0414}, {"fi-FI", 0x040B}, {"pl-PL", 0x0415}, {"cs-CZ", 0x0405}, {"hu-HU", 0x040E},
        {"ru-RU", 0x0419}, {"el-GR", 0x0408}, {"tr-TR", 0x041F}, {"ar-SA", 0x0401}, {"ja-JP", 0x0411},
        {"zh-CN", 0x0804}, {"ko-KR", 0x0412}, {"zh-TW", 0x0404}};
    std::string source;
    ASSERT_TRUE(winsim::HostReadFile(std::string(DRVSETUP_SOURCE_DIR) + "/src/resources/strings/strings.txt", source));
    std::istringstream lines(source);
    std::string line, tag;
    std::map<std::string, std::map<unsigned, std::u16string>> expected;
    while (std::getline(lines, line))
    {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            tag = line.substr(1, line.size() - 2);
        const size_t equals = line.find(" = ");
        if (!tag.empty() && equals != std::string::npos && std::isdigit(static_cast<unsigned char>(line[0])))
            expected[tag][static_cast<unsigned>(std::stoul(line.substr(0, equals)))] =
                winsim::CodePage::FromUtf8(line.substr(equals + 3));
    }
    ASSERT_EQ(languages.size(), expected.size()) << "a language was added or removed: list it here";
    for (const auto& [name, strings] : expected)
    {
        SCOPED_TRACE(name);
        ASSERT_TRUE(languages.count(name)) << "unknown language tag";
        std::map<unsigned, std::u16string> compiled;
        for (unsigned block = 1; block <= 3; ++block)
            compiled.merge(Block(block, languages.at(name)));
        EXPECT_EQ(strings.size(), compiled.size());
        for (const auto& [id, text] : strings)
            EXPECT_TRUE(compiled[id] == text) << "string " << id << " differs";
    }
}
