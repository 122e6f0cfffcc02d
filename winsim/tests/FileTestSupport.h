// Helpers shared by the file-system tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Runtime.h"
#include "windows.h"

namespace file_test
{

// Creates (or overwrites) a file with the given bytes; fails the test if that does not work.
inline void WriteText(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path << " error " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    EXPECT_EQ(text.size(), written);
    CloseHandle(file);
}

inline std::string ReadText(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The journal entries of one kind and operation, as "target" or "target|detail" when there is a detail.
inline std::vector<std::string> Journal(const char* kind, const char* op)
{
    std::vector<std::string> entries;
    winsim::Statement stmt = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
        "SELECT target, detail FROM journal WHERE kind = ?1 AND op = ?2 ORDER BY seq");
    stmt.Bind(1, std::string(kind)).Bind(2, std::string(op));
    while (stmt.Step())
        entries.push_back(stmt.Text(1).empty() ? stmt.Text(0) : stmt.Text(0) + "|" + stmt.Text(1));
    return entries;
}

// The names a search reports, in order.
inline std::vector<std::string> FindNames(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    FindClose(find);
    return names;
}

inline uint64_t FileTimeMs(const FILETIME& time)
{
    return ((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

} // namespace file_test
