// Write-protected folders: every change at or below one refused with ERROR_ACCESS_DENIED, reads going on,
// and the three ways to set one (machine control, profile, the winsim command).
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "profile/HostFiles.h"
#include "winsim/winsim.h"

using namespace file_test;

namespace
{

const std::string kCd = "C:\\TEST\\CD";

bool Opens(const std::string& path, DWORD access, DWORD disposition, DWORD share = 0, DWORD flags = 0)
{
    HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

struct Change
{
    const char* name;
    std::function<bool()> run;
};

// Every kind of change, each on entries of its own so that all of them can succeed one after the other.
std::vector<Change> Changes()
{
    const std::string cd = kCd + "\\";
    return {
        {"open existing for write", [=] { return Opens(cd + "setup.ini", GENERIC_WRITE, OPEN_EXISTING); }},
        {"CREATE_NEW", [=] { return Opens(cd + "new.txt", GENERIC_WRITE, CREATE_NEW); }},
        {"CREATE_ALWAYS below", [=] { return Opens(cd + "SUB\\a.txt", GENERIC_WRITE, CREATE_ALWAYS); }},
        {"OPEN_ALWAYS creating for read", [=] { return Opens(cd + "opened.txt", GENERIC_READ, OPEN_ALWAYS); }},
        {"TRUNCATE_EXISTING", [=] { return Opens(cd + "trunc.txt", GENERIC_WRITE, TRUNCATE_EXISTING); }},
        {"open for DELETE", [=] { return Opens(cd + "trunc.txt", DELETE, OPEN_EXISTING); }},
        {"DELETE_ON_CLOSE",
         [=] {
             return Opens(cd + "doomed.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_DELETE, FILE_FLAG_DELETE_ON_CLOSE);
         }},
        {"DeleteFileA", [=] { return DeleteFileA((cd + "del.txt").c_str()) != FALSE; }},
        {"CopyFileA into", [=] { return CopyFileA("C:\\TEST\\out.txt", (cd + "copy.txt").c_str(), TRUE) != FALSE; }},
        {"CopyFileA over", [=] { return CopyFileA("C:\\TEST\\out.txt", (cd + "SUB\\a.txt").c_str(), FALSE) != FALSE; }},
        {"MoveFileA out", [=] { return MoveFileA((cd + "leave.txt").c_str(), "C:\\TEST\\left.txt") != FALSE; }},
        {"MoveFileA in", [=] { return MoveFileA("C:\\TEST\\enter.txt", (cd + "entered.txt").c_str()) != FALSE; }},
        {"MoveFileExA rename inside",
         [=]
         {
             return MoveFileExA((cd + "ren.txt").c_str(), (cd + "SUB\\renamed.txt").c_str(),
                                MOVEFILE_REPLACE_EXISTING) != FALSE;
         }},
        {"CreateDirectoryA", [=] { return CreateDirectoryA((cd + "NEWDIR").c_str(), nullptr) != FALSE; }},
        {"RemoveDirectoryA", [=] { return RemoveDirectoryA((cd + "EMPTY").c_str()) != FALSE; }},
        {"SetFileAttributesA",
         [=] { return SetFileAttributesA((cd + "SUB\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN) != FALSE; }},
        {"WritePrivateProfileStringA",
         [=] { return WritePrivateProfileStringA("Setup", "Lang", "de", (cd + "setup.ini").c_str()) != FALSE; }},
        {"WritePrivateProfileSectionA",
         [=] { return WritePrivateProfileSectionA("Extra", "A=1\0", (cd + "setup.ini").c_str()) != FALSE; }},
    };
}

class FileProtectedFolderTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA(kCd.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((kCd + "\\SUB").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((kCd + "\\EMPTY").c_str(), nullptr));
        WriteText(kCd + "\\setup.ini", "[Setup]\r\nLang=en\r\n");
        for (const char* name : {"trunc.txt", "doomed.txt", "del.txt", "leave.txt", "ren.txt"})
            WriteText(kCd + "\\" + name, name);
        WriteText(kCd + "\\SUB\\a.txt", "a");
        WriteText("C:\\TEST\\out.txt", "out");
        WriteText("C:\\TEST\\enter.txt", "enter");
        ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd, true));
    }

    static int64_t FileJournalCount()
    {
        winsim::Statement stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT COUNT(*) FROM journal WHERE kind = 'file'");
        return stmt.Step() ? stmt.Int(0) : -1;
    }
};

} // namespace

TEST_F(FileProtectedFolderTest, EveryChangeIsRefusedAndWorksAgainOnceUnprotected)
{
    const int64_t journalled = FileJournalCount();
    for (const Change& change : Changes())
    {
        SCOPED_TRACE(change.name);
        SetLastError(0);
        EXPECT_FALSE(change.run());
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    }
    // Nothing happened: no journal entry, the files as they were.
    EXPECT_EQ(journalled, FileJournalCount());
    EXPECT_EQ("[Setup]\r\nLang=en\r\n", ReadText(kCd + "\\setup.ini"));
    EXPECT_EQ("trunc.txt", ReadText(kCd + "\\trunc.txt"));
    EXPECT_EQ((std::vector<std::string>{".", "..", "del.txt", "doomed.txt", "EMPTY", "leave.txt", "ren.txt",
                                        "setup.ini", "SUB", "trunc.txt"}),
              FindNames(kCd + "\\*"));
    EXPECT_TRUE(Exists("C:\\TEST\\enter.txt"));

    ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd, false));
    for (const Change& change : Changes())
        EXPECT_TRUE(change.run()) << change.name << ": error " << GetLastError();
    EXPECT_EQ("[Setup]\r\nLang=de\r\n[Extra]\r\nA=1\r\n", ReadText(kCd + "\\setup.ini"));
}

TEST_F(FileProtectedFolderTest, TheProtectedFolderItselfStaysWhereItIs)
{
    ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd + "\\EMPTY", true));
    ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd, false));
    // Removing, renaming, or moving the folder above it would all take it away.
    EXPECT_FALSE(RemoveDirectoryA((kCd + "\\EMPTY").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(MoveFileA((kCd + "\\EMPTY").c_str(), (kCd + "\\FULL").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(MoveFileA(kCd.c_str(), "C:\\TEST\\DVD"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HANDLE folder = CreateFileA((kCd + "\\EMPTY").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, folder);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(Exists(kCd + "\\EMPTY"));

    // Its parent, now writable, still changes otherwise, and a neighbour with a longer name is not protected.
    EXPECT_TRUE(MoveFileA((kCd + "\\SUB").c_str(), (kCd + "\\SUB2").c_str())) << GetLastError();
    EXPECT_TRUE(CreateDirectoryA((kCd + "\\EMPTYISH").c_str(), nullptr)) << GetLastError();
    EXPECT_TRUE(Opens(kCd + "\\EMPTYISH\\x.txt", GENERIC_WRITE, CREATE_NEW)) << GetLastError();
}

TEST_F(FileProtectedFolderTest, ReadingListingAndCopyingOutGoOn)
{
    EXPECT_EQ("[Setup]\r\nLang=en\r\n", ReadText(kCd + "\\setup.ini"));
    EXPECT_EQ("a", ReadText(kCd + "\\SUB\\a.txt"));
    EXPECT_EQ((std::vector<std::string>{"a.txt"}), FindNames(kCd + "\\SUB\\*.txt"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA(kCd.c_str()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), GetFileAttributesA((kCd + "\\setup.ini").c_str()));

    char value[16] = {};
    EXPECT_EQ(2u, GetPrivateProfileStringA("Setup", "Lang", "", value, sizeof(value), (kCd + "\\setup.ini").c_str()));
    EXPECT_STREQ("en", value);
    // Writing back what is there already changes nothing, so it is not refused.
    EXPECT_TRUE(WritePrivateProfileStringA("Setup", "Lang", "en", (kCd + "\\setup.ini").c_str()));

    EXPECT_TRUE(Opens(kCd + "\\setup.ini", GENERIC_READ, OPEN_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_TRUE(Opens(kCd, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ, FILE_FLAG_BACKUP_SEMANTICS));
    EXPECT_FALSE(Opens(kCd, GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ, FILE_FLAG_BACKUP_SEMANTICS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    EXPECT_TRUE(CopyFileA((kCd + "\\SUB\\a.txt").c_str(), "C:\\TEST\\a-copy.txt", TRUE)) << GetLastError();
    EXPECT_EQ("a", ReadText("C:\\TEST\\a-copy.txt"));
}

TEST_F(FileProtectedFolderTest, MissingAndExistingEntriesAreReportedFirst)
{
    EXPECT_FALSE(DeleteFileA((kCd + "\\none.txt").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Opens(kCd + "\\none.txt", GENERIC_WRITE, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Opens(kCd + "\\NODIR\\x.txt", GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Opens(kCd + "\\setup.ini", GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
    EXPECT_FALSE(CreateDirectoryA((kCd + "\\SUB").c_str(), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(CopyFileA("C:\\TEST\\out.txt", (kCd + "\\setup.ini").c_str(), TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
}

TEST_F(FileProtectedFolderTest, HandleOpenedForWritingBeforeKeepsWriting)
{
    ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd, false));
    HANDLE file = CreateFileA((kCd + "\\SUB\\a.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ASSERT_TRUE(winsim::SetFolderWriteProtected(kCd, true));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "b", 1, &written, nullptr));
    CloseHandle(file);
    EXPECT_EQ("b", ReadText(kCd + "\\SUB\\a.txt"));
}

TEST_F(FileProtectedFolderTest, ControlCreatesTheFolderIgnoresCaseAndJournalsChangesOnly)
{
    EXPECT_FALSE(winsim::SetFolderWriteProtected("D:\\CD", true));
    EXPECT_FALSE(winsim::SetFolderWriteProtected(kCd + "\\setup.ini", true));
    EXPECT_FALSE(winsim::SetFolderWriteProtected(kCd + "\\setup.ini\\X", true));

    ASSERT_TRUE(winsim::SetFolderWriteProtected("c:\\test\\Media\\Disk1", true));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("C:\\TEST\\MEDIA\\DISK1"));
    EXPECT_FALSE(Opens("C:\\TEST\\MEDIA\\DISK1\\x.txt", GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    // The folder above it is not protected.
    EXPECT_TRUE(Opens("C:\\TEST\\MEDIA\\x.txt", GENERIC_WRITE, CREATE_NEW)) << GetLastError();

    // Repeating a setting changes nothing and journals nothing.
    EXPECT_TRUE(winsim::SetFolderWriteProtected("C:\\TEST\\MEDIA\\DISK1", true));
    EXPECT_TRUE(winsim::SetFolderWriteProtected("C:\\TEST\\MEDIA\\DISK1", false));
    EXPECT_TRUE(winsim::SetFolderWriteProtected("C:\\TEST\\MEDIA\\DISK1", false));
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\CD", "C:\\TEST\\Media\\Disk1"}), Journal("file", "protect"));
    EXPECT_EQ((std::vector<std::string>{"C:\\TEST\\Media\\Disk1"}), Journal("file", "unprotect"));
    EXPECT_TRUE(Opens("C:\\TEST\\MEDIA\\DISK1\\x.txt", GENERIC_WRITE, CREATE_NEW)) << GetLastError();

    winsim::Detach(0);
    EXPECT_FALSE(winsim::SetFolderWriteProtected(kCd, false));
}

namespace
{

std::string ScratchDir(const std::string& name)
{
    const char* base = std::getenv("TMPDIR");
    std::string dir =
        std::string(base && *base ? base : "/tmp") + "/winsim-protect-" + std::to_string(getpid()) + "-" + name;
    winsim::HostRemoveTree(dir);
    return dir;
}

// A copy of xp-sp2 whose machine.ini ends in the given lines.
std::string ProfileWith(const std::string& name, const std::string& extraIni)
{
    const std::string source = std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2";
    std::string dir = ScratchDir(name);
    std::string error, ini;
    EXPECT_TRUE(winsim::HostCopyTree(source, dir, error)) << error;
    EXPECT_TRUE(winsim::HostReadFile(source + "/machine.ini", ini));
    EXPECT_TRUE(winsim::HostWriteFile(dir + "/machine.ini", ini + extraIni));
    return dir;
}

bool AttachTo(const std::string& machineDir)
{
    winsim::AttachOptions options;
    options.machineDir = machineDir;
    options.imagePath = "C:\\tests.exe";
    std::string error;
    EXPECT_TRUE(winsim::Attach(options, error)) << error;
    return error.empty();
}

} // namespace

TEST(FileProtectedFolderProfile, ReadOnlyFoldersSectionMakesProtectedFolders)
{
    std::string profile = ProfileWith("ok", "\n[ReadOnlyFolders]\nC:\\CDROM\\Drivers=1\nC:\\Writable=0\n");
    std::string machine = ScratchDir("ok-machine");
    std::string error;
    ASSERT_TRUE(winsim::CreateMachine(profile, machine, error)) << error;
    ASSERT_TRUE(AttachTo(machine));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("C:\\CDROM\\DRIVERS"));
    EXPECT_FALSE(CreateDirectoryA("C:\\CDROM\\Drivers\\X", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(CreateDirectoryA("C:\\CDROM\\X", nullptr)) << GetLastError();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\Writable"));
    winsim::Detach(0);
    winsim::HostRemoveTree(machine);
    winsim::HostRemoveTree(profile);
}

TEST(FileProtectedFolderProfile, MalformedLineNamesFileAndLine)
{
    // The section header follows the last line of xp-sp2's machine.ini; the bad line comes next.
    std::string ini;
    ASSERT_TRUE(winsim::HostReadFile(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2/machine.ini", ini));
    const std::string where = "machine.ini:" + std::to_string(std::count(ini.begin(), ini.end(), '\n') + 2) + ": ";
    const char* cases[] = {"D:\\CDROM=1\n", "C:\\CDROM=yes\n", "C:\\CDROM\n"};
    int n = 0;
    for (const char* line : cases)
    {
        SCOPED_TRACE(line);
        std::string profile = ProfileWith("bad" + std::to_string(n), "[ReadOnlyFolders]\n" + std::string(line));
        std::string machine = ScratchDir("bad-machine" + std::to_string(n++));
        std::string error;
        EXPECT_FALSE(winsim::CreateMachine(profile, machine, error));
        EXPECT_NE(std::string::npos, error.find(where)) << error;
        EXPECT_FALSE(winsim::HostExists(machine));
        winsim::HostRemoveTree(profile);
    }
}

TEST(FileProtectedFolderCommand, ProtectAndUnprotectActOnTheMachineAndAreJournalled)
{
    const char* bin = std::getenv("WINSIM_BIN");
    if (!bin || !*bin)
        GTEST_SKIP() << "WINSIM_BIN is not set";
    std::string machine = TestMachine::MakeMachine("xp-sp2");
    ASSERT_FALSE(machine.empty());
    const std::string winsim = std::string(bin) + "/winsim ";
    EXPECT_EQ(0, std::system((winsim + "protect " + machine + " 'C:\\Drv\\CD'").c_str()));
    EXPECT_NE(0, std::system((winsim + "protect " + machine + " 'D:\\CD' 2>/dev/null").c_str()));

    ASSERT_TRUE(AttachTo(machine));
    EXPECT_FALSE(Opens("C:\\DRV\\CD\\x.txt", GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ((std::vector<std::string>{"C:\\Drv\\CD"}), Journal("file", "protect"));
    winsim::Detach(0);

    EXPECT_EQ(0, std::system((winsim + "unprotect " + machine + " 'c:\\drv\\cd'").c_str()));
    ASSERT_TRUE(AttachTo(machine));
    EXPECT_TRUE(Opens("C:\\DRV\\CD\\x.txt", GENERIC_WRITE, CREATE_NEW)) << GetLastError();
    EXPECT_EQ((std::vector<std::string>{"C:\\Drv\\CD"}), Journal("file", "unprotect"));
    winsim::Detach(0);
    winsim::HostRemoveTree(machine);
}
