// Helpers shared by the INF tests: writing an INF into the scratch folder and reading fields back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "FileTestSupport.h"
#include "windows.h"
#include "setupapi.h"

namespace inf_test
{

// The [Version] header every INF needs to open as INF_STYLE_WIN4.
inline const char* kHeader = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n";

// Writes an INF and opens it; INVALID_HANDLE_VALUE when it does not open (the error stays set).
inline HINF Open(const std::string& path, const std::string& text, UINT* errorLine = nullptr)
{
    file_test::WriteText(path, text);
    return SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4, errorLine);
}

// Field n of a context's line, or "<error N>".
inline std::string Field(INFCONTEXT& context, DWORD n)
{
    char buffer[512];
    DWORD size = 0;
    if (!SetupGetStringFieldA(&context, n, buffer, sizeof(buffer), &size))
        return "<error " + std::to_string(GetLastError()) + ">";
    EXPECT_EQ(std::string(buffer).size() + 1, size);
    return buffer;
}

// Field n of the line of a key in a section, or "<missing>".
inline std::string Value(HINF inf, const char* section, const char* key, DWORD n = 1)
{
    INFCONTEXT context;
    if (!SetupFindFirstLineA(inf, section, key, &context))
        return "<missing>";
    return Field(context, n);
}

} // namespace inf_test
