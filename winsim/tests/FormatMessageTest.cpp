// FormatMessageA: the system message texts the program shows, as Windows words them, and the ways the
// caller can ask for them (allocated or own buffer, inserts, one line, languages).
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "TestMachine.h"
#include "windows.h"

namespace
{

class FormatMessageTest : public TestMachine
{
protected:
    // The system text of a code, allocated as the program asks for it; "<error N>" when there is none.
    static std::string System(DWORD code, DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS, DWORD language = 0)
    {
        LPSTR text = reinterpret_cast<LPSTR>(0x1);
        SetLastError(0xDEADBEEF);
        const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | flags,
                                            nullptr, code, language, reinterpret_cast<LPSTR>(&text), 0, nullptr);
        if (length == 0)
        {
            EXPECT_EQ(nullptr, text) << "a failed call leaves no buffer";
            return "<error " + std::to_string(GetLastError()) + ">";
        }
        std::string result(text);
        EXPECT_EQ(length, result.size());
        LocalFree(text);
        return result;
    }
};

} // namespace

TEST_F(FormatMessageTest, TextsOfTheCodesTheProgramShows)
{
    const std::pair<DWORD, const char*> expected[] = {
        {0, "The operation completed successfully.\r\n"},
        {2, "The system cannot find the file specified.\r\n"},
        {3, "The system cannot find the path specified.\r\n"},
        {5, "Access is denied.\r\n"},
        {32, "The process cannot access the file because it is being used by another process.\r\n"},
        {87, "The parameter is incorrect.\r\n"},
        {112, "There is not enough space on the disk.\r\n"},
        {122, "The data area passed to a system call is too small.\r\n"},
        {183, "Cannot create a file when that file already exists.\r\n"},
        {259, "No more data is available.\r\n"},
        {1168, "Element not found.\r\n"},
        {1223, "The operation was canceled by the user.\r\n"},
        {1460, "This operation returned because the timeout period expired.\r\n"},
        {3010, "The requested operation is successful. Changes will not be effective until the system is "
               "rebooted.\r\n"},
        {0x800F020B, "The device instance does not exist in the hardware tree.\r\n"},
        {0x800F022F, "The third-party INF does not contain digital signature information.\r\n"},
    };
    for (const auto& [code, text] : expected)
        EXPECT_EQ(text, System(code)) << "code " << code;
}

TEST_F(FormatMessageTest, HresultsOfWin32CodesReadAsTheCode)
{
    EXPECT_EQ("Access is denied.\r\n", System(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
    EXPECT_EQ("The parameter is incorrect.\r\n", System(static_cast<DWORD>(E_INVALIDARG)));
}

TEST_F(FormatMessageTest, UnknownCodesAndRawSetupApiCodesAreNotFound)
{
    EXPECT_EQ("<error 317>", System(0x0000FFF0));
    // SetupAPI's own codes are not in the system table; their HRESULT form is.
    EXPECT_EQ("<error 317>", System(0xE000020B));
}

TEST_F(FormatMessageTest, LanguagesOtherThanEnglishOrTheMachinesAreNotFound)
{
    EXPECT_EQ("Access is denied.\r\n",
              System(5, FORMAT_MESSAGE_IGNORE_INSERTS, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)));
    EXPECT_EQ("Access is denied.\r\n",
              System(5, FORMAT_MESSAGE_IGNORE_INSERTS, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK)));
    EXPECT_EQ("<error 1815>", System(5, FORMAT_MESSAGE_IGNORE_INSERTS, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)));
}

TEST_F(FormatMessageTest, InsertsAreKeptReplacedOrRefused)
{
    EXPECT_EQ("%1 is not a valid Win32 application.\r\n", System(ERROR_BAD_EXE_FORMAT));
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>("C:\\PKG\\TOOL.EXE")};
    char buffer[128];
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, ERROR_BAD_EXE_FORMAT, 0,
                       buffer, sizeof(buffer), reinterpret_cast<va_list*>(arguments));
    EXPECT_EQ("C:\\PKG\\TOOL.EXE is not a valid Win32 application.\r\n", std::string(buffer, length));
    // Without values for its inserts a message cannot be formatted.
    SetLastError(0);
    EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_BAD_EXE_FORMAT, 0, buffer, sizeof(buffer),
                                 nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(FormatMessageTest, CallerStringsWithEscapesAndFormattedInserts)
{
    DWORD_PTR arguments[] = {42, reinterpret_cast<DWORD_PTR>("modem"), 0xBEEF};
    char buffer[128];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                  "%2: %1!04d! of 100%% (0x%3!X!)%n%tdone%.%0 and not this", 0, 0, buffer,
                                  sizeof(buffer), reinterpret_cast<va_list*>(arguments));
    EXPECT_EQ("modem: 0042 of 100% (0xBEEF)\r\n\tdone.", std::string(buffer, length));
}

namespace
{

// FormatMessageA with a va_list, as a variadic wrapper of the program hands its own arguments on.
DWORD FormatVariadic(char* buffer, DWORD size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, buffer, size, &arguments);
    va_end(arguments);
    return length;
}

} // namespace

TEST_F(FormatMessageTest, InsertsFromAVaList)
{
    char buffer[128];
    // Inserts may come in any order and repeat: each number is the position of its value.
    const DWORD length = FormatVariadic(buffer, sizeof(buffer), "%2!u! devices of %1 (%1)", "modem", 3u);
    EXPECT_EQ("3 devices of modem (modem)", std::string(buffer, length));
}

TEST_F(FormatMessageTest, MaxWidthMakesOneLine)
{
    EXPECT_EQ("Access is denied. ", System(5, FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK));
}

TEST_F(FormatMessageTest, CallersBufferMustHoldTheTextAndItsNull)
{
    const std::string text = "Access is denied.\r\n";
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, static_cast<DWORD>(text.size()),
                                 nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(text.size(), FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer,
                                          static_cast<DWORD>(text.size() + 1), nullptr));
    EXPECT_EQ(text, buffer);
    // An allocated buffer is at least nSize bytes.
    LPSTR allocated = nullptr;
    EXPECT_EQ(text.size(), FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0,
                                          reinterpret_cast<LPSTR>(&allocated), 200, nullptr));
    ASSERT_NE(nullptr, allocated);
    allocated[199] = 'x'; // within the block (AddressSanitizer checks)
    LocalFree(allocated);
}

TEST_F(FormatMessageTest, SourceFlagsAreRequired)
{
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(0u, FormatMessageA(0, nullptr, 5, 0, buffer, sizeof(buffer), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // A module has no message table of its own; with FROM_SYSTEM the system table is searched next.
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, kernel32, 5, 0, buffer, sizeof(buffer), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
    EXPECT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, kernel32, 5, 0, buffer,
                                 sizeof(buffer), nullptr));
}
