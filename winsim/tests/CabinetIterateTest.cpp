// SetupIterateCabinetA on cabinets gcab makes, stored and MSZIP: the notifications in Windows' order with
// their fields, the callback's answers, what extracted files look like, and targets that cannot be written.
// gcab cannot write LZX, so no test here has one (libmspack reads it as it reads the others).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CabinetTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"
#include "winsim/winsim.h"

using cab_test::Script;

namespace
{

const std::string kCab = "C:\\TEST\\IN.CAB";
const std::string kOut = "C:\\OUT";

class CabinetTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA(kOut.c_str(), nullptr));
    }
    // The cabinet of the files at kCab.
    void Put(const std::vector<cab_test::HostFile>& files, bool mszip)
    {
        m_bytes = cab_test::MakeCabinet(MachineDir() + "/gcab", files, mszip);
        ASSERT_FALSE(m_bytes.empty()) << "gcab failed";
        cab_test::PutBytes(MachineDir(), kCab, m_bytes);
    }
    std::string File(const std::string& name, size_t size, const std::string& attribs = "0x20") const
    {
        return "file " + name + "|" + std::to_string(size) + "|0x50A6|0x3905|" + attribs + "|0|" + m_given;
    }
    std::string Done(const std::string& name, DWORD error = 0) const
    {
        return "done " + kOut + "\\" + name + "|" + m_given + "|" + std::to_string(error);
    }

    std::string m_bytes;
    // The cabinet's name as the walk is given it.
    std::string m_given = kCab;
};

class CabinetIterateTest : public CabinetTest, public ::testing::WithParamInterface<bool>
{
protected:
    const std::vector<cab_test::HostFile> m_three = {{"a.txt", "hello\r\n"},
                                                     {"sub/b.txt", "world\r\n"},
                                                     {"sub/deeper/big.bin", SemiRandomData(1536 * 1024 + 17, 3)}};
};

TEST_P(CabinetIterateTest, OffersEachFileInOrderAndExtractsItOverWhatIsThere)
{
    Put(m_three, GetParam());
    file_test::WriteText(kOut + "\\a.txt", std::string(5000, 'x'));
    Script script;
    script.targetFolder = kOut;
    DWORD error = 0;
    // Param2 and Source are the name as given; CabinetPath is its folder made full.
    m_given = "C:\\TEST\\.\\..\\TEST\\IN.CAB";
    ASSERT_TRUE(script.Iterate(m_given, error)) << error;
    EXPECT_EQ((std::vector<std::string>{"info C:\\TEST\\|||0|0", File("a.txt", 7), Done("a.txt"), File("sub\\b.txt", 7),
                                        Done("sub\\b.txt"), File("sub\\deeper\\big.bin", m_three[2].data.size()),
                                        Done("sub\\deeper\\big.bin")}),
              script.log);
    for (const cab_test::HostFile& file : m_three)
    {
        std::string name = file.name;
        std::replace(name.begin(), name.end(), '/', '\\');
        EXPECT_TRUE(file_test::ReadText(kOut + "\\" + name) == file.data) << name << " differs";
    }
    EXPECT_EQ(kOut + "\\sub\\b.txt|" + m_given + " sub\\b.txt", file_test::Journal("file", "extract")[1]);
}

TEST_P(CabinetIterateTest, SkipPassesAFileByAndAbortOrAnErrorEndsTheWalk)
{
    Put(m_three, GetParam());
    struct Case
    {
        const char* what;
        std::function<UINT(FILE_IN_CABINET_INFO_A&)> answer; // to sub\b.txt
        UINT extractedReply;
        DWORD error;
        size_t notifications;
    };
    const std::vector<Case> cases = {
        {"skip", [](FILE_IN_CABINET_INFO_A&) { return UINT(FILEOP_SKIP); }, NO_ERROR, NO_ERROR, 6},
        {"abort with SetLastError",
         [](FILE_IN_CABINET_INFO_A&)
         {
             SetLastError(ERROR_DISK_FULL);
             return UINT(FILEOP_ABORT);
         },
         NO_ERROR, ERROR_DISK_FULL, 4},
        {"abort with Win32Error",
         [](FILE_IN_CABINET_INFO_A& info)
         {
             info.Win32Error = ERROR_WRITE_PROTECT;
             return UINT(FILEOP_ABORT);
         },
         NO_ERROR, ERROR_WRITE_PROTECT, 4},
        {"abort saying nothing", [](FILE_IN_CABINET_INFO_A&) { return UINT(FILEOP_ABORT); }, NO_ERROR, ERROR_CANCELLED,
         4},
        {"an error answered to FILEEXTRACTED", nullptr, ERROR_DISK_FULL, ERROR_DISK_FULL, 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Script script;
        script.targetFolder = kOut + "\\" + std::to_string(&c - cases.data());
        script.extractedReply = c.extractedReply;
        script.onFile = [&](FILE_IN_CABINET_INFO_A& info)
        {
            return c.answer && std::string(info.NameInCabinet) == "sub\\b.txt"
                       ? c.answer(info)
                       : cab_test::ExtractBelow(script.targetFolder, info);
        };
        DWORD error = 0;
        EXPECT_EQ(c.error == NO_ERROR, script.Iterate(kCab, error) != FALSE);
        EXPECT_EQ(c.error, error);
        EXPECT_EQ(c.notifications, script.log.size());
        EXPECT_EQ("hello\r\n", file_test::ReadText(script.targetFolder + "\\a.txt"));
        EXPECT_FALSE(file_test::Exists(script.targetFolder + "\\sub\\b.txt"));
        EXPECT_EQ(c.notifications == 6, file_test::Exists(script.targetFolder + "\\sub\\deeper\\big.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, CabinetIterateTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "Mszip" : "Stored"; });

// Two hours east of UTC: the cabinet's local time is 05:08 UTC.
class CabinetStampTest : public CabinetTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "cab-east", "[Machine]\nTimeZoneBias=-120\n");
        return path.c_str();
    }
    // Sets a file's attributes in the cabinet's file table (which no checksum covers).
    void SetAttribs(const std::string& name, uint16_t attribs)
    {
        const size_t at = m_bytes.find(name + '\0');
        m_bytes[at - 2] = static_cast<char>(attribs & 0xFF);
        m_bytes[at - 1] = static_cast<char>(attribs >> 8);
        cab_test::PutBytes(MachineDir(), kCab, m_bytes);
    }
};

TEST_F(CabinetStampTest, ExtractedFilesKeepTheCabinetsLocalTimeAndFileAttributes)
{
    Put({{"plain.txt", "p"}, {"locked.txt", "l"}, {"hidden.sys", "h"}}, false);
    // Of read-only, archive, "run after extraction" and temporary, the first two stay.
    SetAttribs("locked.txt", 0x01 | 0x20 | 0x40 | 0x100);
    SetAttribs("hidden.sys", 0x02 | 0x04);
    Script script;
    script.targetFolder = kOut;
    DWORD error = 0;
    ASSERT_TRUE(script.Iterate(kCab, error)) << error;
    EXPECT_EQ(File("locked.txt", 1, "0x161"), script.log[3]);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA((kOut + "\\plain.txt").c_str()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
              GetFileAttributesA((kOut + "\\locked.txt").c_str()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              GetFileAttributesA((kOut + "\\hidden.sys").c_str()));
    WIN32_FIND_DATAA found{};
    FindClose(FindFirstFileA((kOut + "\\plain.txt").c_str(), &found));
    SYSTEMTIME utc{};
    FileTimeToSystemTime(&found.ftLastWriteTime, &utc);
    EXPECT_EQ((std::vector<int>{2020, 5, 6, 5, 8, 10}),
              (std::vector<int>{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond}));
    EXPECT_EQ(file_test::FileTimeMs(found.ftLastWriteTime), file_test::FileTimeMs(found.ftCreationTime));

    // Extracting over the read-only file fails, as on Windows, and leaves it as it was.
    Script again;
    again.targetFolder = kOut;
    EXPECT_FALSE(again.Iterate(kCab, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error);
    EXPECT_EQ(Done("locked.txt", ERROR_ACCESS_DENIED), again.log.back());
    EXPECT_EQ("l", file_test::ReadText(kOut + "\\locked.txt"));
}

TEST_F(CabinetStampTest, TargetsThatCannotBeWrittenEndTheWalkWithTheirError)
{
    Put({{"one.txt", "1"}, {"two.txt", "2"}}, false);
    ASSERT_TRUE(CreateDirectoryA("C:\\RO", nullptr));
    ASSERT_TRUE(winsim::SetFolderWriteProtected("C:\\RO", true));
    const std::vector<std::pair<std::string, DWORD>> cases = {
        {"", ERROR_PATH_NOT_FOUND}, // FILEOP_DOIT without a name: no FILEEXTRACTED
        {"C:\\NOPE\\two.txt", ERROR_PATH_NOT_FOUND},
        {"C:\\RO\\two.txt", ERROR_ACCESS_DENIED},
    };
    for (const auto& [target, expected] : cases)
    {
        SCOPED_TRACE(target);
        Script script;
        script.onFile = [&](FILE_IN_CABINET_INFO_A& info)
        {
            const bool two = std::string(info.NameInCabinet) == "two.txt";
            std::snprintf(info.FullTargetName, MAX_PATH, "%s", two ? target.c_str() : (kOut + "\\one.txt").c_str());
            return UINT(FILEOP_DOIT);
        };
        DWORD error = 0;
        EXPECT_FALSE(script.Iterate(kCab, error));
        EXPECT_EQ(expected, error);
        EXPECT_EQ(target.empty() ? File("two.txt", 1) : "done " + target + "|" + kCab + "|" + std::to_string(expected),
                  script.log.back());
        EXPECT_TRUE(target.empty() || !file_test::Exists(target));
        EXPECT_EQ("1", file_test::ReadText(kOut + "\\one.txt"));
    }
}

TEST_F(CabinetStampTest, OnlyTheProgramsOwnCallsCountForAFaultPlan)
{
    Put({{"one.txt", "1"}}, false);
    std::string planError;
    // The callback's CreateFileA is the program's first; the extraction's own calls do not count.
    ASSERT_TRUE(winsim::SetFaultPlan("CreateFileA:1=ERROR_SHARING_VIOLATION", planError)) << planError;
    Script script;
    DWORD probeError = 0;
    script.onFile = [&](FILE_IN_CABINET_INFO_A& info)
    {
        probeError = CreateFileA(kCab.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) ==
                             INVALID_HANDLE_VALUE
                         ? GetLastError()
                         : 0;
        std::snprintf(info.FullTargetName, MAX_PATH, "%s\\one.txt", kOut.c_str());
        return UINT(FILEOP_DOIT);
    };
    DWORD error = 0;
    EXPECT_TRUE(script.Iterate(kCab, error)) << error;
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), probeError);
    EXPECT_EQ("1", file_test::ReadText(kOut + "\\one.txt"));

    ASSERT_TRUE(winsim::SetFaultPlan("SetupIterateCabinetA=ERROR_INVALID_DATA", planError)) << planError;
    Script planned;
    EXPECT_FALSE(planned.Iterate(kCab, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);
    EXPECT_TRUE(planned.log.empty());
    winsim::ClearFaultPlan();
}

} // namespace
