// The system message table FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM) reads: the English texts of Windows
// XP, each ending in CR LF as Windows stores them. It holds Win32 error codes (also reached as HRESULTs of
// FACILITY_WIN32, 0x8007xxxx) and SetupAPI errors as HRESULTs (0x800Fxxxx). The raw SetupAPI codes
// (0xE000xxxx) are not in it, as they are not on Windows: a program converts them with HRESULT_FROM_SETUPAPI.
#pragma once

#include <cstdint>

namespace winsim
{

class SystemMessages
{
public:
    // The text of a message id, or nullptr when the table has none.
    static const char* Find(uint32_t messageId);
};

} // namespace winsim
