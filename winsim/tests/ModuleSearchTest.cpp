// Modules that are files on the drive: where a bare name is looked for, names with a path, what is not a
// loadable image, data-file loads, and image files that stand for built-in modules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModuleTestSupport.h"
#include "TestMachine.h"

using namespace module_test;

namespace
{

class ModuleSearchTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\cwd", nullptr));
        ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\sub", nullptr));
    }

    // Puts PKG.DLL in each folder, then checks that loading "pkg" finds them in the given order.
    void ExpectSearchOrder(const std::vector<std::string>& folders)
    {
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\TEST\\cwd"));
        for (const std::string& folder : folders)
        {
            CreateDirectoryA(folder.c_str(), nullptr);
            WriteImage(folder + "\\PKG.DLL", kSamplePlugin);
        }
        for (const std::string& folder : folders)
        {
            HMODULE module = LoadLibraryA("pkg");
            ASSERT_NE(nullptr, module) << "expected from " << folder << ", error " << GetLastError();
            EXPECT_EQ(folder + "\\pkg.dll", FileNameOf(module));
            EXPECT_TRUE(FreeLibrary(module));
            EXPECT_TRUE(DeleteFileA((folder + "\\PKG.DLL").c_str()));
        }
        EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("pkg"));
    }
};

class ModuleSearch2000Test : public ModuleSearchTest
{
protected:
    const char* Profile() const override { return "win2k-sp4"; }
};

TEST_F(ModuleSearchTest, BareNamesLookInProgramSystemWindowsThenCurrentFolder)
{
    ExpectSearchOrder({"C:\\TEST", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "C:\\TEST\\cwd"});
}

TEST_F(ModuleSearch2000Test, BeforeSafeSearchModeTheCurrentFolderComesSecond)
{
    ExpectSearchOrder({"C:\\TEST", "C:\\TEST\\cwd", "C:\\WINNT\\system32", "C:\\WINNT\\SYSTEM", "C:\\WINNT"});
}

TEST_F(ModuleSearchTest, NamesWithAPathLoadThatFileOnly)
{
    WriteImage("C:\\TEST\\sub\\Pkg.dll", kSamplePlugin);
    HMODULE module = LoadLibraryA("C:\\TEST\\sub\\Pkg.dll");
    ASSERT_NE(nullptr, module);
    EXPECT_EQ("C:\\TEST\\sub\\Pkg.dll", FileNameOf(module));
    EXPECT_EQ(module, LoadLibraryA("c:\\test\\SUB\\pkg")); // the same file: counted, not loaded again
    EXPECT_EQ(module, LoadLibraryA("sub\\pkg.dll"));       // relative to the current folder, C:\TEST
    // Once loaded, a module is found by its file name even where the search would not look.
    EXPECT_EQ(module, LoadLibraryA("PKG"));
    EXPECT_EQ(module, GetModuleHandleA("pkg.dll"));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(nullptr, GetModuleHandleA("pkg.dll"));

    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("pkg.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("C:\\TEST\\sub\\other.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("C:\\TEST\\nowhere\\pkg.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("D:\\pkg.dll"));
}

TEST_F(ModuleSearchTest, FilesThatAreNotLoadableDllImages)
{
    file_test::WriteText("C:\\TEST\\text.dll", "MZ this is no image descriptor");
    file_test::WriteText("C:\\TEST\\empty.dll", "");
    WriteImage("C:\\TEST\\program.dll", kSamplePlugin, "exe");
    WriteImage("C:\\TEST\\wide.dll", kSamplePlugin, "dll", "x64");
    WriteImage("C:\\TEST\\orphan.dll", "no_such_plugin");
    ASSERT_TRUE(CreateDirectoryA("C:\\TEST\\folder.dll", nullptr));

    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), LoadError("text.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_INVALID), LoadError("empty"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), LoadError("program.dll"));
    // A 64-bit library in this 32-bit program.
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), LoadError("wide.dll"));
    // The library's code is missing: as a DLL whose own dependency is missing.
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("orphan.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), LoadError("C:\\TEST\\folder.dll"));
}

TEST_F(ModuleSearchTest, TheProgramsOwnImageDecidesWhichMachineItsLibrariesNeed)
{
    WriteImage("C:\\TEST\\tests.exe", "setup", "exe", "x64");
    WriteImage("C:\\TEST\\narrow.dll", kSamplePlugin, "dll", "x86");
    WriteImage("C:\\TEST\\wide.dll", kSamplePlugin, "dll", "x64");
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), LoadError("narrow.dll"));
    EXPECT_EQ(0u, LoadError("wide.dll"));
}

TEST_F(ModuleSearchTest, ALibraryOpenedWithoutSharingCannotBeLoaded)
{
    WriteImage("C:\\TEST\\pkg.dll", kSamplePlugin);
    HANDLE open = CreateFileA("C:\\TEST\\pkg.dll", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), LoadError("pkg.dll"));
    CloseHandle(open);
    EXPECT_EQ(0u, LoadError("pkg.dll"));
}

TEST_F(ModuleSearchTest, BuiltinImageFilesStandForTheBuiltinModule)
{
    HMODULE byName = LoadLibraryA("setupapi");
    ASSERT_NE(nullptr, byName);
    // The profile's C:\WINDOWS\system32\setupapi.dll is such a file.
    EXPECT_EQ(byName, LoadLibraryA("C:\\WINDOWS\\system32\\setupapi.dll"));
    EXPECT_TRUE(FreeLibrary(byName));
    EXPECT_TRUE(FreeLibrary(byName));

    ASSERT_TRUE(CopyFileA("C:\\WINDOWS\\system32\\setupapi.dll", "C:\\TEST\\sub\\newdev.dll", TRUE));
    HMODULE newdev = LoadLibraryA("C:\\TEST\\sub\\newdev.dll");
    ASSERT_NE(nullptr, newdev);
    EXPECT_EQ(newdev, GetModuleHandleA("newdev"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\NEWDEV.dll", FileNameOf(newdev));
    FreeLibrary(newdev);

    ASSERT_TRUE(CopyFileA("C:\\WINDOWS\\system32\\setupapi.dll", "C:\\TEST\\mystery.dll", TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), LoadError("C:\\TEST\\mystery.dll"));
}

TEST_F(ModuleSearchTest, DataFilesAreMappedNotLoaded)
{
    WriteImage("C:\\TEST\\program.exe", kSamplePlugin, "exe");
    HMODULE data = LoadLibraryExA("C:\\TEST\\program.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(1u, reinterpret_cast<uintptr_t>(data) & 1);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), ProcError(data, "RunSetupAppEx"));
    EXPECT_EQ("<error 126>", FileNameOf(data));
    EXPECT_EQ(nullptr, GetModuleHandleA("program.exe"));
    EXPECT_TRUE(FreeLibrary(data));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());

    file_test::WriteText("C:\\TEST\\text.dll", "plain text");
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), LoadError("C:\\TEST\\text.dll", LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), LoadError("C:\\TEST\\none.dll", LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND),
              LoadError("C:\\TEST\\nowhere\\none.dll", LOAD_LIBRARY_AS_DATAFILE));

    // A module already loaded is handed out (and counted) instead.
    HMODULE shell = LoadLibraryA("shell32");
    EXPECT_EQ(shell, LoadLibraryExA("shell32", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_TRUE(FreeLibrary(shell));
    EXPECT_EQ(shell, GetModuleHandleA("shell32"));
    EXPECT_TRUE(FreeLibrary(shell));
    HMODULE shellData = LoadLibraryExA("shell32", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, shellData);
    EXPECT_NE(shell, shellData);
    EXPECT_EQ(nullptr, GetModuleHandleA("shell32"));
    FreeLibrary(shellData);
}

} // namespace
