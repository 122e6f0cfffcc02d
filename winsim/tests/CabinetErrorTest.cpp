// SetupIterateCabinetA on names and files it cannot walk: the errors Windows gives, and a damaged or cut-short
// cabinet that fails only once the files before the damage are out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CabinetTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"

using cab_test::Script;

namespace
{

const std::string kCab = "C:\\TEST\\IN.CAB";
const std::string kOut = "C:\\OUT";

class CabinetErrorTest : public TestMachine
{
protected:
    std::string Make(const std::vector<cab_test::HostFile>& files, bool mszip)
    {
        const std::string bytes = cab_test::MakeCabinet(MachineDir() + "/gcab", files, mszip);
        EXPECT_FALSE(bytes.empty()) << "gcab failed";
        return bytes;
    }
};

TEST_F(CabinetErrorTest, NamesAndFilesThatAreNoCabinetFailBeforeAnyNotification)
{
    const std::string good = Make({{"one.txt", "1"}}, false);
    const std::string tooLong = "C:\\TEST\\" + std::string(MAX_PATH, 'a') + ".cab";
    struct Case
    {
        const char* name;
        const char* bytes; // put at kCab first, when not null
        DWORD error;
    };
    const std::vector<Case> cases = {
        {nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {"", nullptr, ERROR_NOT_ENOUGH_MEMORY}, // from Windows XP on
        {tooLong.c_str(), nullptr, ERROR_BAD_PATHNAME},
        {"C:\\TEST\\missing.cab", nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\NOWHERE\\in.cab", nullptr, ERROR_PATH_NOT_FOUND},
        {"C:\\TEST", nullptr, ERROR_ACCESS_DENIED},
        {kCab.c_str(), "", ERROR_INVALID_DATA},
        {kCab.c_str(), "[Version]\r\nSignature=\"$Windows NT$\"\r\n", ERROR_INVALID_DATA},
        {kCab.c_str(), "MSCF", ERROR_INVALID_DATA},
    };
    const std::vector<std::string> cutShort = {good.substr(0, good.find("one.txt") + 3), "MSCX" + good.substr(4)};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name ? c.name : "NULL");
        if (c.bytes)
            cab_test::PutBytes(MachineDir(), kCab, c.bytes);
        for (bool withCallback : {false, true})
        {
            Script script;
            SetLastError(0xDEADBEEF);
            EXPECT_FALSE(SetupIterateCabinetA(c.name, 0, withCallback ? &Script::Callback : nullptr, &script));
            EXPECT_EQ(c.error, GetLastError());
            EXPECT_TRUE(script.log.empty());
        }
    }
    for (const std::string& bytes : cutShort)
    {
        cab_test::PutBytes(MachineDir(), kCab, bytes);
        Script script;
        DWORD error = 0;
        EXPECT_FALSE(script.Iterate(kCab, error));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);
        EXPECT_TRUE(script.log.empty());
    }
    // A cabinet Windows can read, but with no callback to report to, fails the same way.
    cab_test::PutBytes(MachineDir(), kCab, good);
    EXPECT_FALSE(SetupIterateCabinetA(kCab.c_str(), 0, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
}

class CabinetErrorWin2000Test : public CabinetErrorTest
{
protected:
    const char* Profile() const override { return "win2k-sp4"; }
};

TEST_F(CabinetErrorWin2000Test, AnEmptyNameIsFileNotFound)
{
    EXPECT_FALSE(SetupIterateCabinetA("", 0, &Script::Callback, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

class CabinetDamageTest : public CabinetErrorTest, public ::testing::WithParamInterface<bool>
{
};

// A small file, a large one and another small one; the damage is in the large one's data, which is most of
// the cabinet. The small file before it is out whole; the large one fails and is not left behind.
TEST_P(CabinetDamageTest, ACutShortOrDamagedCabinetFailsAfterTheFilesBeforeTheDamage)
{
    const std::vector<cab_test::HostFile> files = {
        {"first.txt", "first"}, {"large.bin", SemiRandomData(300000, 5)}, {"last.txt", "last"}};
    const std::string bytes = Make(files, GetParam());
    std::string damaged = bytes;
    damaged[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5A);
    ASSERT_TRUE(CreateDirectoryA(kOut.c_str(), nullptr));
    for (const std::string& cabinet : {bytes.substr(0, bytes.size() / 2), damaged})
    {
        cab_test::PutBytes(MachineDir(), kCab, cabinet);
        Script script;
        script.targetFolder = kOut;
        DWORD error = 0;
        EXPECT_FALSE(script.Iterate(kCab, error));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);
        ASSERT_EQ(5u, script.log.size());
        EXPECT_EQ("done " + kOut + "\\first.txt|" + kCab + "|0", script.log[2]);
        EXPECT_EQ("done " + kOut + "\\large.bin|" + kCab + "|13", script.log[4]);
        EXPECT_EQ("first", file_test::ReadText(kOut + "\\first.txt"));
        EXPECT_FALSE(file_test::Exists(kOut + "\\large.bin"));
        EXPECT_FALSE(file_test::Exists(kOut + "\\last.txt"));
    }
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, CabinetDamageTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "Mszip" : "Stored"; });

} // namespace
