// What the INF functions share: finding the line an INFCONTEXT names, and handing a string back to the
// caller with the size rules of SETUPAPI (the size counts the terminating NUL; a NULL buffer only asks for
// the size; a short buffer fails with ERROR_INSUFFICIENT_BUFFER).
#pragma once

#include <string>
#include <string_view>

#include "InfHandles.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

class InfAccess
{
public:
    // The line of a context; nullptr (with ERROR_INVALID_PARAMETER or ERROR_INVALID_HANDLE set) when the
    // context does not name one.
    static const InfModel::Line* LineOf(const INFCONTEXT* context, const InfFile** file);
    // Fills the context for a line of a section.
    static void Point(INFCONTEXT* context, const void* handle, uint32_t section, uint32_t line);
    static BOOL CopyOut(std::string_view text, PSTR buffer, DWORD size, PDWORD required);
    // The index of the first line at or after start whose key equals key (case-insensitive), or kNone.
    static uint32_t FindKey(const InfModel& model, uint32_t section, uint32_t start, const char* key);
};

} // namespace winsim
