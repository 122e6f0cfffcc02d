// Fault plans as text: the rule forms and their defaults, and malformed plans refused with the reason.
#include <gtest/gtest.h>

#include <string>

#include "faults/FaultRules.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace
{

winsim::FaultRules Parsed(const std::string& text)
{
    winsim::FaultRules rules;
    std::string error;
    EXPECT_TRUE(winsim::FaultRules::Parse(text, rules, error)) << text << ": " << error;
    return rules;
}

} // namespace

TEST(FaultPlanText, RulesTakeTheExportSpellingTheirCallAndAnError)
{
    struct Case
    {
        const char* text;
        const char* api;
        uint32_t call;
        uint32_t error;
    } cases[] = {
        {"CreateFileA", "CreateFileA", 1, ERROR_ACCESS_DENIED},
        {"createfilea:*", "CreateFileA", 0, ERROR_ACCESS_DENIED},
        {"RegSetValueExA:3=5", "RegSetValueExA", 3, 5},
        {"WriteFile:2=0x70", "WriteFile", 2, ERROR_DISK_FULL},
        {"CreateDirectoryA=error_write_protect", "CreateDirectoryA", 1, ERROR_WRITE_PROTECT},
        {"LoadLibraryA", "LoadLibraryA", 1, ERROR_MOD_NOT_FOUND},
        {"GetProcAddress:4", "GetProcAddress", 4, ERROR_PROC_NOT_FOUND},
        {"LocalAlloc", "LocalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const Case& c : cases)
    {
        const winsim::FaultRules rules = Parsed(c.text);
        ASSERT_EQ(1u, rules.fails.size()) << c.text;
        EXPECT_EQ(c.api, rules.fails[0].api) << c.text;
        EXPECT_EQ(c.call, rules.fails[0].call) << c.text;
        EXPECT_EQ(c.error, rules.fails[0].error) << c.text;
        EXPECT_EQ(0u, rules.crashAt) << c.text;
    }
}

TEST(FaultPlanText, ItemsAreSeparatedByBlanksNewLinesAndSemicolons)
{
    const winsim::FaultRules rules = Parsed("  CreateFileA:2\nRegOpenKeyExA:*=2;crash-at=40\t\n");
    ASSERT_EQ(2u, rules.fails.size());
    EXPECT_EQ("CreateFileA", rules.fails[0].api);
    EXPECT_EQ("RegOpenKeyExA", rules.fails[1].api);
    EXPECT_EQ(0u, rules.fails[1].call);
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), rules.fails[1].error);
    EXPECT_EQ(40u, rules.crashAt);
    EXPECT_TRUE(Parsed("").fails.empty());
    EXPECT_EQ(0u, Parsed(" ; \n").crashAt);
}

TEST(FaultPlanText, MalformedPlansAreRefusedWithTheReason)
{
    struct Case
    {
        const char* text;
        const char* reason;
    } cases[] = {
        {"NoSuchFunction", "no built-in module exports 'NoSuchFunction'"},
        {":3", "names no API function"},
        {"GetTickCount", "GetTickCount cannot fail"},
        {"getlasterror:*", "GetLastError cannot fail"},
        {"CreateFileA:0", "'0' in 'CreateFileA:0' is not a call number"},
        {"CreateFileA:", "is not a call number"},
        {"CreateFileA:-1", "is not a call number"},
        {"CreateFileA:2x", "is not a call number"},
        {"CreateFileA:4294967296", "is not a call number"},
        {"CreateFileA=", "is not an error code"},
        {"CreateFileA=ERROR_NO_SUCH_THING",
         "'ERROR_NO_SUCH_THING' in 'CreateFileA=ERROR_NO_SUCH_THING' is not an error"},
        {"CreateFileA=0x100000000", "is not an error code"},
        {"CreateFileA=0xZ", "is not an error code"},
        {"CreateFileA=0", "which is success"},
        {"CreateFileA=ERROR_SUCCESS", "which is success"},
        {"crash-at", "crash-at takes a call number"},
        {"crash-at=0", "crash-at takes a call number"},
        {"crash-at:5", "crash-at takes a call number"},
        {"crash-at=3 crash-at=4", "crash-at is given twice"},
        {"CreateFileA:2 CreateFileA:2=5", "CreateFileA call 2 is planned twice"},
        {"CreateFileA:* createfilea:*=2", "CreateFileA every call is planned twice"},
    };
    for (const Case& c : cases)
    {
        winsim::FaultRules rules;
        rules.crashAt = 77;
        std::string error;
        EXPECT_FALSE(winsim::FaultRules::Parse(c.text, rules, error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << c.text << " gave: " << error;
        EXPECT_EQ(77u, rules.crashAt) << c.text << ": a refused plan leaves nothing behind";
        std::string checked;
        EXPECT_FALSE(winsim::CheckFaultPlan(c.text, checked)) << c.text;
        EXPECT_EQ(error, checked);
    }
}

TEST(FaultPlanText, SettingAPlanNeedsAnAttachedMachine)
{
    ASSERT_FALSE(winsim::IsAttached());
    std::string error;
    EXPECT_FALSE(winsim::SetFaultPlan("CreateFileA", error));
    EXPECT_EQ("no machine is attached", error);
}
