// CreateFileA and the I/O on its handles: dispositions, access and share checks, the file pointer, times,
// delete-on-close and what the journal records.
#include "FileTestSupport.h"
#include "TestMachine.h"

using namespace file_test;

namespace
{

class FileHandleTest : public TestMachine
{
protected:
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0)
    {
        return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    uint64_t Now() { return winsim::Runtime::Current()->GetClock().NowMs(); }

    const std::string m_file = "C:\\TEST\\data.bin";
};

} // namespace

TEST_F(FileHandleTest, DispositionsCreateOpenAndTruncateAsDocumented)
{
    SetLastError(ERROR_INVALID_DATA);
    HANDLE file = Open(m_file, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    CloseHandle(file);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_WRITE, 0, CREATE_NEW));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());

    WriteText(m_file, "content");
    file = Open(m_file, GENERIC_READ, 0, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(7u, GetFileSize(file, nullptr));
    CloseHandle(file);

    file = Open(m_file, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(0u, GetFileSize(file, nullptr));
    CloseHandle(file);

    WriteText(m_file, "content");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_READ, 0, TRUNCATE_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    file = Open(m_file, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(0u, GetFileSize(file, nullptr));
    CloseHandle(file);

    file = Open("C:\\TEST\\fresh.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    CloseHandle(file);
}

TEST_F(FileHandleTest, MissingFilesAndFoldersReportWhichOneIsMissing)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("C:\\TEST\\none.txt", GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("C:\\TEST\\none.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("C:\\TEST\\nodir\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    WriteText(m_file, "x");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file + "\\below.txt", GENERIC_WRITE, 0, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileHandleTest, FoldersOpenOnlyWithBackupSemantics)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("C:\\TEST", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HANDLE folder =
        Open("C:\\TEST", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(INVALID_HANDLE_VALUE, folder);
    FILETIME written{};
    EXPECT_TRUE(GetFileTime(folder, nullptr, nullptr, &written));
    CloseHandle(folder);
}

TEST_F(FileHandleTest, ReadOnlyAndHiddenFilesRefuseWhatWouldChangeThem)
{
    WriteText(m_file, "keep");
    ASSERT_TRUE(SetFileAttributesA(m_file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_READ, 0, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              Open(m_file, GENERIC_READ, FILE_SHARE_DELETE, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ("keep", ReadText(m_file));

    ASSERT_TRUE(SetFileAttributesA(m_file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HANDLE file = Open(m_file, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA(m_file.c_str()));
}

TEST_F(FileHandleTest, HandlesOnlyDoWhatTheyWereOpenedFor)
{
    WriteText(m_file, "abc");
    HANDLE reader = Open(m_file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    DWORD done = 99;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(0u, done);
    EXPECT_FALSE(SetEndOfFile(reader));
    EXPECT_FALSE(FlushFileBuffers(reader));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(reader);

    HANDLE writer = Open(m_file, GENERIC_WRITE, 0, OPEN_EXISTING);
    char buffer[4];
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(writer);

    EXPECT_FALSE(ReadFile(reinterpret_cast<HANDLE>(0x7ff0), buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FileHandleTest, ShareModesOfOpenHandlesAreHonoured)
{
    WriteText(m_file, "abc");
    HANDLE first = Open(m_file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, first);

    HANDLE reader = Open(m_file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    // The first handle does not share writing; the second must share the first's reading.
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(DeleteFileA(m_file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(MoveFileA(m_file.c_str(), "C:\\TEST\\moved.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());

    CloseHandle(first);
    HANDLE writer = Open(m_file, GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer);
    CloseHandle(writer);
    EXPECT_TRUE(DeleteFileA(m_file.c_str()));
}

TEST_F(FileHandleTest, DeleteOnCloseRemovesTheFileWithItsLastHandle)
{
    HANDLE file = Open(m_file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS,
                       FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "temp", 4, &done, nullptr));
    // Another open must share deletion with it.
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(m_file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    HANDLE second = Open(m_file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, second);

    CloseHandle(file);
    EXPECT_TRUE(Exists(m_file));
    CloseHandle(second);
    EXPECT_FALSE(Exists(m_file));
    EXPECT_EQ((std::vector<std::string>{m_file}), Journal("file", "delete"));
}

TEST_F(FileHandleTest, FilePointerHandlesTheHighPartAndItsErrorRules)
{
    HANDLE file = Open(m_file, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LONG high = 1;
    EXPECT_EQ(5u, SetFilePointer(file, 5, &high, FILE_BEGIN));
    EXPECT_EQ(1, high);
    EXPECT_TRUE(SetEndOfFile(file));
    DWORD sizeHigh = 0;
    EXPECT_EQ(5u, GetFileSize(file, &sizeHigh));
    EXPECT_EQ(1u, sizeHigh);

    // A low part that equals the failure value succeeds with the error cleared.
    high = 0;
    SetLastError(ERROR_INVALID_DATA);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -1, &high, FILE_BEGIN));
    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), GetLastError());
    EXPECT_EQ(0, high);

    // Without a high part the new position must fit in 32 bits, and nothing moves when it does not.
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, FILE_END));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    high = 0;
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, &high, FILE_CURRENT));
    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), GetLastError());

    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -10, nullptr, FILE_BEGIN));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());
    CloseHandle(file);
}

TEST_F(FileHandleTest, ReadsStopAtTheEndAndWritesGoWhereThePointerIs)
{
    HANDLE file = Open(m_file, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
    EXPECT_EQ(6u, SetFilePointer(file, 6, nullptr, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(file, "WORLD!", 6, &done, nullptr));
    EXPECT_EQ(0u, SetFilePointer(file, 0, nullptr, FILE_BEGIN));
    char buffer[32] = {};
    ASSERT_TRUE(ReadFile(file, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(12u, done);
    EXPECT_EQ("hello WORLD!", std::string(buffer, done));
    EXPECT_TRUE(ReadFile(file, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(0u, done);
    EXPECT_FALSE(ReadFile(file, buffer, sizeof(buffer), nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CloseHandle(file);
}

TEST_F(FileHandleTest, JournalHasOneWritePerHandleAtClose)
{
    HANDLE file = Open(m_file, GENERIC_WRITE, 0, CREATE_NEW);
    DWORD done = 0;
    for (int i = 0; i < 3; ++i)
        WriteFile(file, "abc", 3, &done, nullptr);
    EXPECT_EQ((std::vector<std::string>{m_file}), Journal("file", "create"));
    EXPECT_TRUE(Journal("file", "write").empty());
    CloseHandle(file);
    EXPECT_EQ((std::vector<std::string>{m_file}), Journal("file", "write"));

    // A handle that only reads journals nothing; one that truncates on open journals a write.
    CloseHandle(Open(m_file, GENERIC_READ, 0, OPEN_EXISTING));
    CloseHandle(Open(m_file, GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    EXPECT_EQ(2u, Journal("file", "write").size());
    EXPECT_EQ(1u, Journal("file", "create").size());
}

TEST_F(FileHandleTest, TimesComeFromTheMachineClock)
{
    const uint64_t created = Now();
    HANDLE file = Open(m_file, GENERIC_WRITE, 0, CREATE_NEW);
    Sleep(5000);
    DWORD done = 0;
    WriteFile(file, "x", 1, &done, nullptr);
    const uint64_t written = Now();
    ASSERT_GE(written, created + 5000);
    FILETIME creation{};
    FILETIME lastWrite{};
    ASSERT_TRUE(GetFileTime(file, &creation, nullptr, &lastWrite));
    EXPECT_EQ(created, FileTimeMs(creation));
    EXPECT_EQ(written, FileTimeMs(lastWrite));
    CloseHandle(file);

    // Another process's view: the store keeps the write time once the handle is closed.
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(m_file.c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    EXPECT_EQ(written, FileTimeMs(data.ftLastWriteTime));
    EXPECT_EQ(created, FileTimeMs(data.ftCreationTime));
}
