// Named kernel objects: one machine-wide namespace, opened by name, gone with the last handle.
#include <gtest/gtest.h>

#include <string>

#include "KernelTestSupport.h"
#include "TestMachine.h"
#include "core/Runtime.h"

using namespace kernel_test;

namespace
{

class KernelNamedTest : public TestMachine
{
protected:
    // How often the journal recorded `op` on the named object.
    int Journalled(const char* op, const std::string& name)
    {
        auto stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT COUNT(*) FROM journal WHERE kind = 'object' AND op = ?1 AND target = ?2");
        stmt.Bind(1, std::string(op)).Bind(2, name);
        return stmt.Step() ? static_cast<int>(stmt.Int(0)) : -1;
    }
};

class KernelNamedVistaTest : public KernelNamedTest
{
protected:
    const char* Profile() const override { return "vista-x64"; }
};

TEST_F(KernelNamedTest, CreatingAnExistingNameOpensTheSameObject)
{
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Shared");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    // The second creation's arguments do not matter: it opens what exists.
    HANDLE second = CreateEventA(nullptr, FALSE, TRUE, "Kernel.Shared");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_NE(first, second);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(second, 0));
    ASSERT_TRUE(SetEvent(first));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0)) << "manual reset, as first created";
    HANDLE opened = OpenEventA(SYNCHRONIZE, FALSE, "Kernel.Shared");
    ASSERT_NE(nullptr, opened);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(opened, 0));
    for (HANDLE handle : {first, second, opened})
        CloseHandle(handle);
}

TEST_F(KernelNamedTest, NamesAreCaseSensitiveAndLocalIsTheSessionNamespace)
{
    HANDLE upper = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Case");
    HANDLE lower = CreateEventA(nullptr, TRUE, FALSE, "kernel.case");
    ASSERT_NE(nullptr, lower);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    HANDLE local = OpenEventA(SYNCHRONIZE, FALSE, "Local\\Kernel.Case");
    EXPECT_NE(nullptr, local);
    // On XP the interactive session is the global one.
    HANDLE global = OpenEventA(SYNCHRONIZE, FALSE, "Global\\Kernel.Case");
    EXPECT_NE(nullptr, global);
    EXPECT_EQ(nullptr, CreateEventA(nullptr, TRUE, FALSE, "Local\\Kernel\\Case"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    for (HANDLE handle : {upper, lower, local, global})
        CloseHandle(handle);
}

TEST_F(KernelNamedVistaTest, GlobalNamespaceIsNotTheSessionOnVista)
{
    HANDLE session = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Where");
    ASSERT_NE(nullptr, session);
    EXPECT_EQ(nullptr, OpenEventA(SYNCHRONIZE, FALSE, "Global\\Kernel.Where"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    CloseHandle(session);
}

TEST_F(KernelNamedTest, NameOfAnotherKindOrNoObjectIsRefused)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "Kernel.Kind");
    ASSERT_NE(nullptr, event);
    EXPECT_EQ(nullptr, CreateMutexA(nullptr, FALSE, "Kernel.Kind"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, CreateSemaphoreA(nullptr, 0, 1, "Kernel.Kind"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, OpenMutexA(SYNCHRONIZE, FALSE, "Kernel.Kind"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, OpenSemaphoreA(SYNCHRONIZE, FALSE, "Kernel.Missing"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, OpenEventA(SYNCHRONIZE, FALSE, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CloseHandle(event);
}

TEST_F(KernelNamedTest, ObjectGoesWithItsLastHandleAndIsJournalled)
{
    HANDLE first = CreateSemaphoreA(nullptr, 1, 1, "Kernel.Life");
    HANDLE second = OpenSemaphoreA(SYNCHRONIZE, FALSE, "Kernel.Life");
    ASSERT_NE(nullptr, second);
    CloseHandle(first);
    HANDLE third = OpenSemaphoreA(SYNCHRONIZE, FALSE, "Kernel.Life");
    ASSERT_NE(nullptr, third);
    CloseHandle(second);
    CloseHandle(third);
    EXPECT_EQ(nullptr, OpenSemaphoreA(SYNCHRONIZE, FALSE, "Kernel.Life"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(1, Journalled("create", "Kernel.Life"));
    EXPECT_EQ(1, Journalled("delete", "Kernel.Life"));

    // A new object of that name starts afresh.
    HANDLE again = CreateSemaphoreA(nullptr, 0, 1, "Kernel.Life");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(again, 0));
    CloseHandle(again);
}

TEST_F(KernelNamedTest, OpeningAnOwnedMutexByCreateDoesNotTakeIt)
{
    HANDLE mine = CreateMutexA(nullptr, TRUE, "Kernel.Owned");
    ASSERT_NE(nullptr, mine);
    HANDLE other = StartThread(
        []
        {
            HANDLE mutex = CreateMutexA(nullptr, TRUE, "Kernel.Owned");
            DWORD result = GetLastError() == ERROR_ALREADY_EXISTS ? 0 : 1;
            if (ReleaseMutex(mutex) || GetLastError() != ERROR_NOT_OWNER)
                result |= 2;
            if (WaitForSingleObject(mutex, 0) != WAIT_TIMEOUT)
                result |= 4;
            CloseHandle(mutex);
            return result;
        });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other, INFINITE));
    EXPECT_EQ(0u, ExitCodeOf(other));
    EXPECT_TRUE(ReleaseMutex(mine));
    CloseHandle(other);
    CloseHandle(mine);
}

} // namespace
