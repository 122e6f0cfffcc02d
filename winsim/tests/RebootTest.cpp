// Rebooting a machine: pending renames of both families, volatile state, processes, and the programs
// of Run and RunOnce.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "RegistryTestSupport.h"
#include "TestMachine.h"
#include "psapi.h"
#include "windows.h"
#include "winsim/winsim.h"

using namespace process_test;

namespace
{

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

void Reboot(const std::string& machineDir)
{
    winsim::Detach(0);
    std::string error;
    ASSERT_TRUE(winsim::Reboot(machineDir, error)) << error;
    AttachTo(machineDir);
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ValueExists(HKEY root, const char* path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool exists = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

void SetRun(HKEY root, const char* path, const char* name, const std::string& command)
{
    HKEY key = registry_test::Create(root, path);
    ASSERT_EQ(ERROR_SUCCESS, registry_test::SetString(key, name, command));
    RegCloseKey(key);
}

class RebootTest : public HostChildMachine
{
};

} // namespace

TEST_F(RebootTest, PendingRenamesAndVolatileStateGo)
{
    for (const char* name : {"a", "c", "d", "f"})
        file_test::WriteText(std::string("C:\\TEST\\") + name + ".txt", std::string("new ") + name);
    for (const char* name : {"e", "g"})
        file_test::WriteText(std::string("C:\\TEST\\") + name + ".txt", "old");
    ASSERT_TRUE(MoveFileExA("C:\\TEST\\a.txt", "C:\\TEST\\b.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA("C:\\TEST\\c.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(
        MoveFileExA("C:\\TEST\\d.txt", "C:\\TEST\\e.txt", MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    // Without the replace flag an existing target stays and the source is not moved.
    ASSERT_TRUE(MoveFileExA("C:\\TEST\\f.txt", "C:\\TEST\\g.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\drvsetup-tests\\Volatile", 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    // Left behind by a process that crashed holding it.
    winsim::Store& store = winsim::Runtime::Current()->GetMachine().GetStore();
    ASSERT_TRUE(store.Exec("INSERT INTO named_objects(name, kind) VALUES('Reboot.Leftover', 1)"));
    ASSERT_TRUE(store.Exec("INSERT INTO named_object_refs(name, pid, count) VALUES('Reboot.Leftover', 4000, 1)"));
    Sleep(60000);
    ASSERT_GE(GetTickCount(), 60000u);
    std::string refused;
    EXPECT_FALSE(winsim::Reboot(MachineDir(), refused)) << "refused while attached";

    Reboot(MachineDir());
    EXPECT_EQ("new a", file_test::ReadText("C:\\TEST\\b.txt"));
    EXPECT_FALSE(file_test::Exists("C:\\TEST\\a.txt"));
    EXPECT_FALSE(file_test::Exists("C:\\TEST\\c.txt"));
    EXPECT_EQ("new d", file_test::ReadText("C:\\TEST\\e.txt"));
    EXPECT_FALSE(file_test::Exists("C:\\TEST\\d.txt"));
    EXPECT_EQ("new f", file_test::ReadText("C:\\TEST\\f.txt"));
    EXPECT_EQ("old", file_test::ReadText("C:\\TEST\\g.txt"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                             "PendingFileRenameOperations"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\drvsetup-tests\\Volatile"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\drvsetup-tests"));
    EXPECT_LT(GetTickCount(), 1000u);
    auto leftovers = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
        "SELECT (SELECT COUNT(*) FROM named_objects) + (SELECT COUNT(*) FROM named_object_refs)");
    ASSERT_TRUE(leftovers.Step());
    EXPECT_EQ(0, leftovers.Int(0));
    EXPECT_EQ(1u, file_test::Journal("machine", "reboot").size());
    EXPECT_EQ(1u, file_test::Journal("machine", "rename-failed").size());
}

TEST_F(RebootTest, RunAndRunOnceProgramsRun)
{
    SetRun(HKEY_LOCAL_MACHINE, kRun, "Tray", Child() + " record C:\\TEST\\run.txt exit 5");
    SetRun(HKEY_LOCAL_MACHINE, kRunOnce, "Finish", Child() + " record C:\\TEST\\runonce.txt");
    Declare(Program("COMPANION", {{"Companion", "CompanionWnd"}}));
    WriteImage("C:\\TEST\\companion.exe", "Companion");
    SetRun(HKEY_CURRENT_USER, kRunOnce, "Companion", "C:\\TEST\\companion.exe /welcome");
    SetRun(HKEY_CURRENT_USER, kRun, "Broken", "C:\\TEST\\missing.exe");

    Reboot(MachineDir());
    EXPECT_TRUE(file_test::Exists("C:\\TEST\\run.txt"));
    EXPECT_TRUE(file_test::Exists("C:\\TEST\\runonce.txt"));
    // RunOnce entries are gone, Run entries stay.
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRunOnce, "Finish"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunOnce, "Companion"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "Tray"));
    // HKLM RunOnce first, then HKLM Run, HKCU Run, HKCU RunOnce; host programs have finished in between.
    EXPECT_EQ((std::vector<std::string>{
                  Child() + " record C:\\TEST\\runonce.txt|HKLM\\" + kRunOnce,
                  Child() + " record C:\\TEST\\run.txt exit 5|HKLM\\" + kRun,
                  std::string("C:\\TEST\\companion.exe /welcome|HKCU\\") + kRunOnce,
              }),
              file_test::Journal("machine", "run"));
    // What cannot start is journalled and skipped (the profile's own ctfmon.exe is not on the drive).
    const auto failed = file_test::Journal("machine", "run-failed");
    EXPECT_NE(failed.end(), std::find(failed.begin(), failed.end(),
                                      std::string("C:\\TEST\\missing.exe|HKCU\\") + kRun + ": error 2"));
    // The declared program runs on; the boot process started it.
    HWND companion = FindWindowA("CompanionWnd", nullptr);
    ASSERT_NE(nullptr, companion);
    DWORD pid = 0;
    GetWindowThreadProcessId(companion, &pid);
    auto stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
        "SELECT p.image FROM processes p JOIN processes c ON c.parent = p.pid WHERE c.pid = ?1");
    stmt.Bind(1, pid);
    ASSERT_TRUE(stmt.Step());
    EXPECT_EQ("C:\\WINDOWS\\system32\\smss.exe", stmt.Text(0));
}

namespace
{

class RebootProcessTest : public TestMachine
{
};

} // namespace

TEST_F(RebootProcessTest, ProcessesEndAndBootProcessesStartAgain)
{
    winsim::DeclaredProgram tray = Program("PROCESS.1", {{"Modem Tray", "MdmTray"}});
    tray.boot = true;
    tray.image = "C:\\TEST\\mdmapp.exe";
    Declare(tray);
    WriteImage("C:\\TEST\\mdmapp.exe", "Process.1");
    Declare(Program("VIEWER", {{"Viewer", "ViewerWnd"}}));
    WriteImage("C:\\TEST\\viewer.exe", "Viewer");
    Started viewer = Start(nullptr, "C:\\TEST\\viewer.exe");
    ASSERT_TRUE(viewer.ok);
    const DWORD before = viewer.info.dwProcessId;
    Close(viewer);

    Reboot(MachineDir());
    EXPECT_EQ(nullptr, FindWindowA("ViewerWnd", nullptr));
    EXPECT_EQ(nullptr, OpenProcess(SYNCHRONIZE, FALSE, before));
    HWND window = FindWindowA("MdmTray", "Modem Tray");
    ASSERT_NE(nullptr, window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    DWORD ids[16];
    DWORD returned = 0;
    ASSERT_TRUE(EnumProcesses(ids, sizeof(ids), &returned));
    EXPECT_EQ((std::vector<DWORD>{pid, GetCurrentProcessId()}), std::vector<DWORD>(ids, ids + returned / 4));
}

namespace
{

class Reboot9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

} // namespace

TEST_F(Reboot9xTest, WininitRenamesAreAppliedOnce)
{
    file_test::WriteText("C:\\TEST\\OLD.DLL", "old");
    file_test::WriteText("C:\\TEST\\NEW.DLL", "stale");
    file_test::WriteText("C:\\TEST\\NEW.TMP", "fresh");
    file_test::WriteText("C:\\WINDOWS\\WININIT.INI",
                         "[rename]\r\nNUL=C:\\TEST\\OLD.DLL\r\nC:\\TEST\\NEW.DLL=C:\\TEST\\NEW.TMP\r\n");
    Reboot(MachineDir());
    EXPECT_FALSE(file_test::Exists("C:\\TEST\\OLD.DLL"));
    EXPECT_EQ("fresh", file_test::ReadText("C:\\TEST\\NEW.DLL"));
    EXPECT_FALSE(file_test::Exists("C:\\TEST\\NEW.TMP"));
    EXPECT_FALSE(file_test::Exists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_TRUE(file_test::Exists("C:\\WINDOWS\\WININIT.BAK"));
    EXPECT_EQ((std::vector<std::string>{"2 applied"}), file_test::Journal("machine", "wininit"));
}
