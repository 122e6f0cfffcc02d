// The built-in modules: names, handles, reference counts, exports by name and ordinal, module names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ModuleTestSupport.h"
#include "TestMachine.h"
#include "shlobj.h"
#include "winsim/winsim.h"

using namespace module_test;

namespace
{

class ModuleLoadTest : public TestMachine
{
};

TEST_F(ModuleLoadTest, NamesCompareWithoutCaseAndGetDllAppended)
{
    HMODULE shell = LoadLibraryA("shell32");
    ASSERT_NE(nullptr, shell);
    EXPECT_EQ(shell, LoadLibraryA("SHELL32.DLL"));
    EXPECT_EQ(shell, LoadLibraryA("Shell32.Dll  ")); // blanks at the end do not count
    EXPECT_EQ(shell, LoadLibraryExA("sHeLl32", nullptr, 0));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(FreeLibrary(shell));
    EXPECT_EQ(nullptr, GetModuleHandleA("shell32"));

    // A trailing dot means "no extension": there is no module called just SHELL32.
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("shell32."));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("shell32.exe"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("no_such_module"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError(""));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError(nullptr));
}

TEST_F(ModuleLoadTest, ReferenceCountsDecideWhenABuiltinUnloadsAndItsHandleStays)
{
    HMODULE first = LoadLibraryA("setupapi.dll");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, LoadLibraryA("SETUPAPI"));
    EXPECT_EQ(first, GetModuleHandleA("SetupApi.dll"));

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(first, GetModuleHandleA("setupapi"));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(nullptr, GetModuleHandleA("setupapi"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), ProcError(first, "SetupDiGetClassDevsA"));
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());

    HMODULE again = LoadLibraryA("setupapi");
    EXPECT_EQ(first, again);
    EXPECT_TRUE(FreeLibrary(again));

    // Only the first load and the last free change the machine's journal.
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\system32\\SETUPAPI.dll", "C:\\WINDOWS\\system32\\SETUPAPI.dll"}),
              file_test::Journal("module", "load"));
    EXPECT_EQ(2u, file_test::Journal("module", "unload").size());
}

TEST_F(ModuleLoadTest, ModulesEveryProgramImportsAreLoadedAndStay)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(nullptr, kernel);
    EXPECT_NE(nullptr, GetModuleHandleA("NTDLL"));
    EXPECT_NE(nullptr, GetModuleHandleA("advapi32"));
    EXPECT_NE(nullptr, GetModuleHandleA("user32"));
    EXPECT_EQ(nullptr, GetModuleHandleA("setupapi"));

    EXPECT_EQ(kernel, LoadLibraryA("KERNEL32"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_EQ(kernel, GetModuleHandleA("kernel32"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\KERNEL32.dll", FileNameOf(kernel));
}

TEST_F(ModuleLoadTest, ExportsAreTheWinsimFunctionsUnderTheirNames)
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    using GetVersionExFn = BOOL(WINAPI*)(LPOSVERSIONINFOA);
    auto getVersionEx = As<GetVersionExFn>(GetProcAddress(kernel, "GetVersionExA"));
    ASSERT_NE(nullptr, getVersionEx);
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    EXPECT_TRUE(getVersionEx(&info));
    EXPECT_EQ(2600u, info.dwBuildNumber);
    EXPECT_NE(nullptr, GetProcAddress(kernel, "GetNativeSystemInfo"));
    EXPECT_NE(nullptr, GetProcAddress(GetModuleHandleA("advapi32"), "RegOpenKeyExA"));

    // Names compare with regard to case; what a module does not export is "procedure not found".
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(kernel, "getversionexa"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(kernel, "RegOpenKeyExA"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(kernel, ""));

    // Modules without functions yet load; each lookup fails.
    HMODULE newdev = LoadLibraryA("newdev.dll");
    ASSERT_NE(nullptr, newdev);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(newdev, "DiInstallDriverA"));
    FreeLibrary(newdev);
}

TEST_F(ModuleLoadTest, ExportsByOrdinal)
{
    HMODULE shell = LoadLibraryA("shell32.dll");
    ASSERT_NE(nullptr, shell);
    FARPROC byOrdinal = GetProcAddress(shell, Ordinal(680));
    ASSERT_NE(nullptr, byOrdinal);
    EXPECT_EQ(byOrdinal, GetProcAddress(shell, "IsUserAnAdmin"));
    EXPECT_EQ(TRUE, As<BOOL(WINAPI*)()>(byOrdinal)());
    EXPECT_EQ(TRUE, IsUserAnAdmin());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(shell, Ordinal(681)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(shell, nullptr));
    FreeLibrary(shell);
}

TEST_F(ModuleLoadTest, ModuleNamesAndHandlesOfBuiltins)
{
    HMODULE setupapi = LoadLibraryA("setupapi");
    ASSERT_NE(nullptr, setupapi);
    EXPECT_EQ("C:\\WINDOWS\\system32\\SETUPAPI.dll", FileNameOf(setupapi));
    EXPECT_EQ(setupapi, GetModuleHandleA("c:\\windows\\SYSTEM32\\setupapi.dll"));
    EXPECT_EQ(setupapi, GetModuleHandleA("C:\\WINDOWS\\system32\\setupapi"));
    EXPECT_EQ(nullptr, GetModuleHandleA("C:\\TEST\\setupapi.dll"));

    // A buffer too small is filled without a null the XP way, as for the program's own name.
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(5u, GetModuleFileNameA(setupapi, buffer, 5));
    EXPECT_EQ("C:\\WI#", std::string(buffer, 6));
    FreeLibrary(setupapi);
    EXPECT_EQ("<error 126>", FileNameOf(setupapi));
}

TEST_F(ModuleLoadTest, BadHandlesAndTheProgramsOwnImage)
{
    HMODULE bogus = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x12340000));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(FreeLibrary(bogus));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), ProcError(bogus, "GetVersionExA"));
    EXPECT_EQ("<error 126>", FileNameOf(bogus));

    // NULL stands for the program, which exports nothing; freeing it changes nothing.
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(nullptr, "GetVersionExA"));
    EXPECT_TRUE(FreeLibrary(GetModuleHandleA(nullptr)));
    EXPECT_EQ("C:\\TEST\\tests.exe", FileNameOf(GetModuleHandleA(nullptr)));

    // The reserved file handle of LoadLibraryExA must be NULL.
    HANDLE file = CreateFileA("C:\\TEST\\x.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryExA("shell32", file, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CloseHandle(file);
}

TEST(ModuleWithoutMachine, EveryFunctionSaysNotReady)
{
    ASSERT_FALSE(winsim::IsAttached());
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryA("kernel32"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
    EXPECT_EQ(nullptr, GetProcAddress(nullptr, "GetVersionExA"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7C800000))));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(IsUserAnAdmin());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
}

} // namespace
