// MS-DOS device names in paths: NUL and CON, in any case, with an extension or a folder in front, are the
// devices, not files. Nothing is created on the drive, NUL swallows what is written, CON is the console.
#include <gtest/gtest.h>

#include <unistd.h>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "files/DosDeviceName.h"
#include "windows.h"

using namespace file_test;
using winsim::DosDevice;
using winsim::DosDeviceName;

namespace
{

class FileDeviceNameTest : public TestMachine
{
protected:
    static HANDLE Open(const char* path, DWORD access, DWORD disposition)
    {
        return CreateFileA(path, access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    }
};

} // namespace

TEST(DosDeviceNameTest, LastComponentWithoutExtensionOrColonIsCompared)
{
    for (const char* path : {"NUL", "nul", "Nul.txt", "C:\\LOGS\\NUL.txt", "C:\\NO\\SUCH\\nul", "NUL:", "NUL .log",
                             "nul.tar.gz", "C:nul", "\\\\.\\NUL", "..\\NUL"})
        EXPECT_EQ(DosDevice::Nul, DosDeviceName::Of(path)) << path;
    EXPECT_EQ(DosDevice::Console, DosDeviceName::Of("C:\\TEMP\\con.log"));
    for (const char* path : {"NULL", "C:\\NUL\\file.txt", "ANUL", "C:\\TEMP\\CONFIG.SYS", "_NUL.txt", ""})
        EXPECT_EQ(DosDevice::None, DosDeviceName::Of(path)) << path;
}

TEST_F(FileDeviceNameTest, NulTakesWritesAndCreatesNothingWhereverItIsWritten)
{
    for (const char* path : {"NUL", "C:\\TEST\\nul.txt", "C:\\MISSING\\FOLDER\\Nul", "\\\\.\\NUL"})
    {
        SetLastError(0);
        HANDLE device = Open(path, GENERIC_WRITE, OPEN_ALWAYS);
        ASSERT_NE(INVALID_HANDLE_VALUE, device) << path << " " << GetLastError();
        EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError()) << path;
        DWORD put = 0;
        EXPECT_TRUE(WriteFile(device, "line\r\n", 6, &put, nullptr));
        EXPECT_EQ(6u, put);
        EXPECT_EQ(0u, SetFilePointer(device, 0, nullptr, FILE_END));
        EXPECT_TRUE(CloseHandle(device));
    }
    // Reading it gives nothing; a new file with the name cannot be made.
    HANDLE device = Open("C:\\TEST\\NUL", GENERIC_READ, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, device);
    char buffer[8];
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(device, buffer, sizeof(buffer), &got, nullptr));
    EXPECT_EQ(0u, got);
    CloseHandle(device);

    EXPECT_EQ(std::vector<std::string>{}, FindNames("C:\\TEST\\nul*"));
    EXPECT_EQ(std::vector<std::string>{}, Journal("file", "create"));
    EXPECT_EQ(std::vector<std::string>{}, Journal("file", "write"));
    EXPECT_NE(0, access((MachineDir() + "/drive/c/NUL").c_str(), F_OK));
}

TEST_F(FileDeviceNameTest, AttributesAnswerAsAnExistingFile)
{
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA("NUL"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA("C:\\NOWHERE\\nul.log"));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA("C:\\TEST\\CON"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEST\\NULL"));
}

TEST_F(FileDeviceNameTest, ConIsTheConsoleForReadingOrForWritingNotBoth)
{
    HANDLE output = Open("C:\\TEST\\con.log", GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), output);
    EXPECT_EQ(GetStdHandle(STD_INPUT_HANDLE), Open("con", GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("CON", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    // The console has no file pointer.
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(output, 0, nullptr, FILE_END));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(std::vector<std::string>{}, FindNames("C:\\TEST\\con*"));
}
