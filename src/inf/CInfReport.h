// What setup makes of one INF, as stable text: what infdump prints for package authors and what the tests
// compare between platforms. The format is described in docs/infdump.md; change it only with that page.
#pragma once

#include <string>

#include "inf/CInf.h"

class CInfReport
{
public:
    // Child functions asked for per hardware ID (ENUM\Device1 ... ENUM\DeviceN).
    static const int CHILD_DEVICES = 8;

    // The report of an opened INF; lines end in LF on every platform, so reports compare byte for byte.
    static std::string Describe(CInf& inf);

private:
    static void AddLine(std::string& text, const std::string& line);
    static std::string YesNo(BOOL bValue);
};
