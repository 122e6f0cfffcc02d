// Conformance tests run on winsim and, in the Windows build, under Wine. Where Wine itself differs from
// Windows, the test says so and is skipped under Wine only; docs/wine-differences.md lists every case.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32.h"

inline bool RunningUnderWine()
{
#if defined(_WIN32)
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

#define KNOWN_WINE_DIFFERENCE(difference)                                                                              \
    do                                                                                                                 \
    {                                                                                                                  \
        if (RunningUnderWine())                                                                                        \
            GTEST_SKIP() << "known Wine difference: " << (difference);                                                 \
    } while (0)
