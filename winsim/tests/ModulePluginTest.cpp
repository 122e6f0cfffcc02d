// Package libraries: an image descriptor naming a host plugin, loaded, called and unloaded through the
// loader, with the sample patch plugin (samples/plugins/patch_sample).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "ModuleTestSupport.h"
#include "TestMachine.h"
#include "modules/PluginLibrary.h"

using namespace module_test;

namespace
{

using RunSetupAppExFn = int (*)(const char*);

class ModulePluginTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        WriteImage("C:\\TEST\\PATCH.DLL", kSamplePlugin);
    }

    // Whether the host shared object is mapped in this process.
    static bool PluginMapped()
    {
        const std::string path = winsim::PluginLibrary::Folder() + "/lib" + kSamplePlugin + ".so";
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    }
};

TEST_F(ModulePluginTest, LoadsRunsThroughTheWin32ApiAndUnloads)
{
    ASSERT_FALSE(PluginMapped());
    HMODULE patch = LoadLibraryA("patch");
    ASSERT_NE(nullptr, patch) << "error " << GetLastError() << "; is lib" << kSamplePlugin << ".so built?";
    EXPECT_TRUE(PluginMapped());
    EXPECT_EQ("C:\\TEST\\patch.dll", FileNameOf(patch));
    EXPECT_EQ(std::vector<std::string>{"C:\\TEST\\patch.dll|patch_sample"}, file_test::Journal("module", "load"));

    auto run = As<RunSetupAppExFn>(GetProcAddress(patch, "RunSetupAppEx"));
    ASSERT_NE(nullptr, run);
    EXPECT_EQ(3010, run("/S RC=3010 /LOG"));
    EXPECT_EQ("/S RC=3010 /LOG", file_test::ReadText("C:\\TEST\\PATCHRAN.TXT"));
    EXPECT_EQ(-2, run("rc=-2"));
    EXPECT_EQ(0, run("/S /RC=4 RC=x"));
    EXPECT_EQ("/S /RC=4 RC=x", file_test::ReadText("C:\\TEST\\PATCHRAN.TXT"));
    EXPECT_EQ(0, run(nullptr));
    EXPECT_EQ("", file_test::ReadText("C:\\TEST\\PATCHRAN.TXT"));

    EXPECT_TRUE(FreeLibrary(patch));
    EXPECT_FALSE(PluginMapped());
    EXPECT_EQ(nullptr, GetModuleHandleA("patch"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), ProcError(patch, "RunSetupAppEx"));
    EXPECT_EQ(std::vector<std::string>{"C:\\TEST\\patch.dll"}, file_test::Journal("module", "unload"));
}

TEST_F(ModulePluginTest, StaysMappedUntilTheLastFree)
{
    HMODULE first = LoadLibraryA("C:\\TEST\\PATCH.DLL");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, LoadLibraryA("patch"));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(PluginMapped());
    EXPECT_NE(nullptr, GetProcAddress(first, "RunSetupAppEx"));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_FALSE(PluginMapped());
}

TEST_F(ModulePluginTest, ExportsOnlyWhatThePluginItselfDefines)
{
    HMODULE patch = LoadLibraryA("patch");
    ASSERT_NE(nullptr, patch);
    // Found by dlsym through the plugin's dependencies, but not the plugin's exports.
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(patch, "malloc"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(patch, "CreateFileA"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(patch, "runsetupappex"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), ProcError(patch, Ordinal(1)));
    FreeLibrary(patch);
}

TEST_F(ModulePluginTest, LibrariesStillLoadedWhenTheProcessEndsAreUnloaded)
{
    ASSERT_NE(nullptr, LoadLibraryA("patch"));
    winsim::Detach(0);
    TestMachine::SetUp();
    // The next process's first loader call finds a list of its own.
    EXPECT_EQ(nullptr, GetModuleHandleA("patch"));
    EXPECT_FALSE(PluginMapped());
}

} // namespace
