// The image of a running program is locked as Windows locks a mapped image: it reads, it can be renamed,
// but it cannot be written, truncated, deleted or replaced, nor its folder moved, until the process ends.
#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "windows.h"

using namespace file_test;
using namespace process_test;

namespace
{

class FileRunningImageTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        Declare(Program("LOCKAPP"));
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        WriteImage(m_image, "LockApp");
        m_descriptor = ReadText(m_image);
        m_app = Start(nullptr, m_image);
        ASSERT_TRUE(m_app.ok) << m_app.error;
    }
    void TearDown() override
    {
        Close(m_app);
        TestMachine::TearDown();
    }

    HANDLE Open(DWORD access, DWORD disposition, DWORD flags = 0)
    {
        return CreateFileA(m_image.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           disposition, flags, nullptr);
    }

    const std::string m_folder = "C:\\APP";
    const std::string m_image = "C:\\APP\\lockapp.exe";
    std::string m_descriptor;
    Started m_app;
};

} // namespace

TEST_F(FileRunningImageTest, ChangesFailWhileTheProgramRunsAndWorkOnceItEnds)
{
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(GENERIC_WRITE, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(GENERIC_READ, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(GENERIC_READ, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(DeleteFileA(m_image.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    WriteText("C:\\TEST\\other.exe", "other");
    EXPECT_FALSE(CopyFileA("C:\\TEST\\other.exe", m_image.c_str(), FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(MoveFileExA("C:\\TEST\\other.exe", m_image.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(MoveFileA(m_folder.c_str(), "C:\\APP2"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(m_descriptor, ReadText(m_image));

    ASSERT_TRUE(TerminateProcess(m_app.info.hProcess, 0));
    HANDLE file = Open(GENERIC_WRITE, OPEN_EXISTING);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << GetLastError();
    CloseHandle(file);
    EXPECT_TRUE(CopyFileA("C:\\TEST\\other.exe", m_image.c_str(), FALSE)) << GetLastError();
    EXPECT_TRUE(DeleteFileA(m_image.c_str())) << GetLastError();
}

TEST_F(FileRunningImageTest, ReadingAndRenamingTheImageWork)
{
    HANDLE file = Open(GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << GetLastError();
    CloseHandle(file);
    EXPECT_TRUE(CopyFileA(m_image.c_str(), "C:\\TEST\\copy.exe", FALSE)) << GetLastError();
    EXPECT_EQ(m_descriptor, ReadText("C:\\TEST\\copy.exe"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_image.c_str()));
    // Windows lets a running program's file be renamed; updaters rely on it.
    EXPECT_TRUE(MoveFileA(m_image.c_str(), "C:\\APP\\lockapp.old")) << GetLastError();
}

TEST_F(FileRunningImageTest, AFileThatIsNoRunningImageIsNotLocked)
{
    // Same folder, same extension, another name: only the image itself is held.
    WriteText("C:\\APP\\lockapp2.exe", "x");
    EXPECT_TRUE(DeleteFileA("C:\\APP\\lockapp2.exe")) << GetLastError();
}
