// Fault plans in the attached process: the planned call fails with the function's failure value and error,
// the calls around it go on, only the program's own calls count, and without a plan nothing is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "KernelTestSupport.h"
#include "TestMachine.h"
#include "faults/FaultPlan.h"
#include "windows.h"
#include "winsim/winsim.h"

using file_test::Journal;

namespace
{

class FaultInjectionTest : public TestMachine
{
protected:
    static void Plan(const std::string& plan)
    {
        std::string error;
        ASSERT_TRUE(winsim::SetFaultPlan(plan, error)) << error;
    }
};

TEST_F(FaultInjectionTest, OnlyTheNthCallFailsAndIsJournalled)
{
    Plan("CreateFileA:3");
    const std::string path = ScratchFolder() + "\\a.txt";
    for (int call = 1; call <= 4; ++call)
    {
        SetLastError(0);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (call == 3)
        {
            EXPECT_EQ(INVALID_HANDLE_VALUE, file);
            EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
            continue;
        }
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << "call " << call << " error " << GetLastError();
        CloseHandle(file);
    }
    EXPECT_EQ(std::vector<std::string>{"CreateFileA|call 3 -> error 5 (ERROR_ACCESS_DENIED)"},
              Journal("fault", "fail"));
}

TEST_F(FaultInjectionTest, EveryCallFailsAndOtherFunctionsGoOn)
{
    Plan("GetFileAttributesA:*=ERROR_SHARING_VIOLATION");
    for (int call = 1; call <= 3; ++call)
    {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ScratchFolder().c_str()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    }
    EXPECT_TRUE(CreateDirectoryA((ScratchFolder() + "\\sub").c_str(), nullptr)) << GetLastError();
    EXPECT_EQ(3u, Journal("fault", "fail").size());
}

TEST_F(FaultInjectionTest, ANumberedCallComesBeforeEveryCallAndNothingIsChanged)
{
    const size_t made = Journal("file", "mkdir").size();
    Plan("CreateDirectoryA:*=ERROR_WRITE_PROTECT CreateDirectoryA:2=0x70");
    const std::string folder = ScratchFolder() + "\\new";
    const DWORD expected[] = {ERROR_WRITE_PROTECT, ERROR_DISK_FULL, ERROR_WRITE_PROTECT};
    for (DWORD error : expected)
    {
        EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
        EXPECT_EQ(error, GetLastError());
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
    EXPECT_EQ(made, Journal("file", "mkdir").size());
}

TEST_F(FaultInjectionTest, RegistryFunctionsReturnTheErrorAndLeaveTheLastErrorAlone)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, &key));
    Plan("RegSetValueExA:2=ERROR_DISK_FULL RegOpenKeyExA:*");
    const DWORD one = 1;
    const BYTE* data = reinterpret_cast<const BYTE*>(&one);
    SetLastError(1234);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "first", 0, REG_DWORD, data, sizeof(one)));
    EXPECT_EQ(ERROR_DISK_FULL, RegSetValueExA(key, "second", 0, REG_DWORD, data, sizeof(one)));
    EXPECT_EQ(1234u, GetLastError());
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "third", 0, REG_DWORD, data, sizeof(one)));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "second", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "third", nullptr, nullptr, nullptr, nullptr));

    HKEY opened = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_READ, &opened));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &opened));
    // RegOpenKeyA opens through RegOpenKeyExA: that call is winsim's, not the program's.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, ScratchKey().c_str(), &opened));
    RegCloseKey(opened);
    RegCloseKey(key);
    EXPECT_EQ((std::vector<std::string>{"RegSetValueExA|call 2 -> error 112 (ERROR_DISK_FULL)",
                                        "RegOpenKeyExA|call 1 -> error 5 (ERROR_ACCESS_DENIED)",
                                        "RegOpenKeyExA|call 2 -> error 5 (ERROR_ACCESS_DENIED)"}),
              Journal("fault", "fail"));
}

TEST_F(FaultInjectionTest, LoadLibraryFailsAsAMissingModuleWithoutLoadingIt)
{
    Plan("LoadLibraryA");
    EXPECT_EQ(nullptr, LoadLibraryA("VERSION.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetModuleHandleA("VERSION.dll"));
    EXPECT_TRUE(Journal("module", "load").empty());
    HMODULE module = LoadLibraryA("VERSION.dll");
    ASSERT_NE(nullptr, module) << GetLastError();
    FreeLibrary(module);
}

TEST_F(FaultInjectionTest, CreateProcessFailsBeforeStartingAnything)
{
    Plan("CreateProcessA=ERROR_NOT_ENOUGH_MEMORY");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    char commandLine[] = "C:\\WINDOWS\\system32\\smss.exe";
    EXPECT_FALSE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(nullptr, info.hProcess);
    EXPECT_TRUE(Journal("process", "create").empty());
}

TEST_F(FaultInjectionTest, CallsAPIFunctionsMakeToEachOtherAreNotTheProgramsOwn)
{
    Plan("MessageBoxExA:1 crash-at=1000");
    // MessageBoxA shows its box through MessageBoxExA, IsWindow and SetLastError: one call of the program.
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "text", "caption", MB_OK));
    EXPECT_EQ(1u, winsim::FaultPlan::CountedCalls());
    EXPECT_EQ(0, MessageBoxExA(nullptr, "text", "caption", MB_OK, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(3u, winsim::FaultPlan::CountedCalls());
}

BOOL CALLBACK LengthOfEach(HWND window, LPARAM lParam)
{
    auto* results = reinterpret_cast<std::vector<std::pair<int, DWORD>>*>(lParam);
    SetLastError(0);
    const int length = GetWindowTextLengthA(window);
    results->emplace_back(length, GetLastError());
    return TRUE;
}

TEST_F(FaultInjectionTest, CallsFromACallbackAreTheProgramsOwn)
{
    HWND window =
        CreateWindowExA(0, "FaultTest", "Title", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    Plan("GetWindowTextLengthA");
    std::vector<std::pair<int, DWORD>> results;
    ASSERT_TRUE(EnumWindows(LengthOfEach, reinterpret_cast<LPARAM>(&results)));
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(0, results[0].first);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), results[0].second);
    EXPECT_EQ(5, GetWindowTextLengthA(window));
}

TEST_F(FaultInjectionTest, CallsOfSeveralThreadsAreCountedOnce)
{
    Plan("GetFileAttributesA:150");
    std::atomic<int> failures{0};
    const std::string folder = ScratchFolder();
    auto body = [&]
    {
        for (int i = 0; i < 100; ++i)
        {
            if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
                ++failures;
        }
        return DWORD{0};
    };
    HANDLE threads[] = {kernel_test::StartThread(body), kernel_test::StartThread(body), kernel_test::StartThread(body)};
    for (HANDLE thread : threads)
        ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(3, threads, TRUE, INFINITE));
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(1, failures.load());
    EXPECT_EQ(std::vector<std::string>{"GetFileAttributesA|call 150 -> error 5 (ERROR_ACCESS_DENIED)"},
              Journal("fault", "fail"));
}

TEST_F(FaultInjectionTest, WithoutAPlanNothingIsCounted)
{
    EXPECT_FALSE(winsim::FaultPlan::Active());
    const auto someCalls = [this]
    {
        for (int i = 0; i < 5; ++i)
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ScratchFolder().c_str()));
    };
    someCalls();
    EXPECT_EQ(0u, winsim::FaultPlan::CountedCalls());

    Plan("GetFileAttributesA:*");
    EXPECT_TRUE(winsim::FaultPlan::Active());
    Plan("");
    EXPECT_FALSE(winsim::FaultPlan::Active());
    someCalls();
    EXPECT_EQ(0u, winsim::FaultPlan::CountedCalls());

    Plan("GetFileAttributesA:*");
    winsim::ClearFaultPlan();
    someCalls();
    EXPECT_TRUE(Journal("fault", "fail").empty());
}

TEST_F(FaultInjectionTest, ARefusedPlanKeepsTheOneBeforeAndDetachingEndsIt)
{
    Plan("CreateDirectoryA:*");
    std::string error;
    EXPECT_FALSE(winsim::SetFaultPlan("CreateDirectoryA:0", error));
    EXPECT_FALSE(CreateDirectoryA((ScratchFolder() + "\\a").c_str(), nullptr));

    kernel_test::Reattach(MachineDir());
    EXPECT_FALSE(winsim::FaultPlan::Active());
    EXPECT_TRUE(CreateDirectoryA((ScratchFolder() + "\\a").c_str(), nullptr)) << GetLastError();
}

} // namespace
