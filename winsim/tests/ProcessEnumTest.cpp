// Enumerating the machine's processes and a process's modules, through PSAPI and through tool help.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "psapi.h"
#include "tlhelp32.h"
#include "windows.h"

using namespace process_test;

namespace
{

constexpr uintptr_t kImageBase = 0x00400000;
constexpr uintptr_t kKernel32Base = 0x7C800000;

class ProcessEnumTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        winsim::DeclaredProgram modem = Program("MODEMAPP");
        modem.modules = {"C:\\Program Files\\Modem\\MDMHOOK.DLL", "C:\\Program Files\\Modem\\MDMRES.DLL"};
        Declare(modem);
        ASSERT_TRUE(CreateDirectoryA("C:\\Program Files\\Modem", nullptr));
        WriteImage("C:\\Program Files\\Modem\\MDMAPP.EXE", "ModemApp");
        m_app = Start(nullptr, "\"C:\\Program Files\\Modem\\MDMAPP.EXE\" /tray");
        ASSERT_TRUE(m_app.ok) << m_app.error;
    }
    void TearDown() override
    {
        Close(m_app);
        TestMachine::TearDown();
    }

    std::vector<DWORD> ProcessIds()
    {
        DWORD ids[64];
        DWORD returned = 0;
        EXPECT_TRUE(EnumProcesses(ids, sizeof(ids), &returned));
        return std::vector<DWORD>(ids, ids + returned / sizeof(DWORD));
    }

    std::vector<uintptr_t> Modules(HANDLE process)
    {
        HMODULE modules[32];
        DWORD needed = 0;
        EXPECT_TRUE(EnumProcessModules(process, modules, sizeof(modules), &needed)) << GetLastError();
        std::vector<uintptr_t> handles;
        for (DWORD i = 0; i < std::min<DWORD>(needed, sizeof(modules)) / sizeof(HMODULE); ++i)
            handles.push_back(reinterpret_cast<uintptr_t>(modules[i]));
        return handles;
    }

    Started m_app;
};

bool Contains(const std::vector<uintptr_t>& list, uintptr_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

TEST_F(ProcessEnumTest, EnumProcessesListsRunningProcessesOnly)
{
    Declare(Program("SHORTLIVED", {}, 10));
    WriteImage("C:\\TEST\\short.exe", "ShortLived");
    Started brief = Start(nullptr, "C:\\TEST\\short.exe");
    ASSERT_TRUE(brief.ok);
    EXPECT_EQ((std::vector<DWORD>{GetCurrentProcessId(), m_app.info.dwProcessId, brief.info.dwProcessId}),
              ProcessIds());
    Sleep(10);
    EXPECT_EQ((std::vector<DWORD>{GetCurrentProcessId(), m_app.info.dwProcessId}), ProcessIds());

    // Only what fits is written, and the size returned is what was written.
    DWORD one[1] = {0};
    DWORD returned = 0;
    EXPECT_TRUE(EnumProcesses(one, sizeof(one), &returned));
    EXPECT_EQ(sizeof(DWORD), returned);
    EXPECT_EQ(GetCurrentProcessId(), one[0]);
    Close(brief);
}

TEST_F(ProcessEnumTest, OwnModulesFollowTheLoader)
{
    std::vector<uintptr_t> before = Modules(GetCurrentProcess());
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(kImageBase, before.front());
    EXPECT_TRUE(Contains(before, kKernel32Base));

    HMODULE setupapi = LoadLibraryA("setupapi");
    ASSERT_NE(nullptr, setupapi);
    std::vector<uintptr_t> loaded = Modules(GetCurrentProcess());
    ASSERT_EQ(before.size() + 1, loaded.size());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(setupapi), loaded.back());

    char name[MAX_PATH];
    EXPECT_EQ(9u, GetModuleBaseNameA(GetCurrentProcess(), nullptr, name, sizeof(name)));
    EXPECT_STREQ("tests.exe", name);
    ASSERT_EQ(32u, GetModuleFileNameExA(GetCurrentProcess(), setupapi, name, sizeof(name)));
    EXPECT_STREQ("C:\\WINDOWS\\system32\\SETUPAPI.dll", name);

    EXPECT_TRUE(FreeLibrary(setupapi));
    EXPECT_EQ(before, Modules(GetCurrentProcess()));
    EXPECT_EQ(0u, GetModuleBaseNameA(GetCurrentProcess(), setupapi, name, sizeof(name)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(ProcessEnumTest, NamesAreCutToTheBuffer)
{
    // A base name is cut without a terminator; a full path is cut and terminated.
    char name[8];
    std::memset(name, '#', sizeof(name));
    EXPECT_EQ(3u, GetModuleBaseNameA(GetCurrentProcess(), nullptr, name, 3));
    EXPECT_EQ(std::string("tes#"), std::string(name, 4));
    EXPECT_EQ(5u, GetModuleFileNameExA(GetCurrentProcess(), nullptr, name, 5));
    EXPECT_STREQ("C:\\T", name);
    EXPECT_EQ(0u, GetModuleBaseNameA(GetCurrentProcess(), nullptr, name, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(ProcessEnumTest, DeclaredModulesComeAfterTheImageAndBuiltIns)
{
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, m_app.info.dwProcessId);
    HMODULE modules[16];
    DWORD needed = 0;
    EXPECT_FALSE(EnumProcessModules(query, modules, sizeof(modules), &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    HANDLE reader = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, m_app.info.dwProcessId);
    // Asking for the size first: nothing written, the whole size returned.
    ASSERT_TRUE(EnumProcessModules(reader, modules, 0, &needed));
    std::vector<uintptr_t> handles = Modules(reader);
    ASSERT_EQ(needed / sizeof(HMODULE), handles.size());
    ASSERT_GE(handles.size(), 4u);
    EXPECT_EQ(kImageBase, handles.front());
    EXPECT_EQ(0x10000000u, handles[handles.size() - 2]);
    EXPECT_EQ(0x10010000u, handles.back());

    char name[MAX_PATH];
    EXPECT_EQ(10u, GetModuleBaseNameA(reader, nullptr, name, sizeof(name)));
    EXPECT_STREQ("MDMAPP.EXE", name);
    GetModuleFileNameExA(reader, reinterpret_cast<HMODULE>(handles[handles.size() - 2]), name, sizeof(name));
    EXPECT_STREQ("C:\\Program Files\\Modem\\MDMHOOK.DLL", name);

    // Once the process has ended there is nothing left to read.
    ASSERT_TRUE(TerminateProcess(m_app.info.hProcess, 0));
    EXPECT_FALSE(EnumProcessModules(reader, modules, sizeof(modules), &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PARTIAL_COPY), GetLastError());
    CloseHandle(query);
    CloseHandle(reader);
}

TEST_F(ProcessEnumTest, ToolhelpListsProcessesByFileName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry) - 1;
    EXPECT_FALSE(Process32First(snapshot, &entry));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    entry.dwSize = sizeof(entry);
    std::vector<std::string> seen;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        seen.push_back(std::to_string(entry.th32ProcessID) + " " + entry.szExeFile + " " +
                       std::to_string(entry.th32ParentProcessID));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_EQ((std::vector<std::string>{std::to_string(GetCurrentProcessId()) + " tests.exe 0",
                                        std::to_string(m_app.info.dwProcessId) + " MDMAPP.EXE " +
                                            std::to_string(GetCurrentProcessId())}),
              seen);
    // The snapshot stays as it was taken.
    ASSERT_TRUE(TerminateProcess(m_app.info.hProcess, 0));
    EXPECT_TRUE(Process32First(snapshot, &entry));
    EXPECT_TRUE(Process32Next(snapshot, &entry));
    EXPECT_STREQ("MDMAPP.EXE", entry.szExeFile);
    EXPECT_TRUE(CloseHandle(snapshot));
}

TEST_F(ProcessEnumTest, ToolhelpListsAProcesssModules)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, m_app.info.dwProcessId);
    ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    ASSERT_TRUE(Module32First(snapshot, &entry));
    EXPECT_STREQ("MDMAPP.EXE", entry.szModule);
    EXPECT_STREQ("C:\\Program Files\\Modem\\MDMAPP.EXE", entry.szExePath);
    EXPECT_EQ(m_app.info.dwProcessId, entry.th32ProcessID);
    EXPECT_EQ(reinterpret_cast<HMODULE>(kImageBase), entry.hModule);
    std::string last;
    while (Module32Next(snapshot, &entry))
        last = entry.szModule;
    EXPECT_EQ("MDMRES.DLL", last);
    CloseHandle(snapshot);

    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 4000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // Process 0 is the caller.
    snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    ASSERT_TRUE(Module32First(snapshot, &entry));
    EXPECT_STREQ("tests.exe", entry.szModule);
    CloseHandle(snapshot);
}

namespace
{

class ProcessEnum9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

} // namespace

TEST_F(ProcessEnum9xTest, ToolhelpGivesFullPathsOnWindows9x)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    ASSERT_TRUE(Process32First(snapshot, &entry));
    EXPECT_STREQ("C:\\TEST\\tests.exe", entry.szExeFile);
    CloseHandle(snapshot);
}
