// KERNEL32 FormatMessageA: a text from the system message table (resources/SystemMessages.h) or from the
// caller, expanded by resources/MessageFormatter.h. The table is English only: a request for a language
// other than neutral, English or the machine's own gets ERROR_RESOURCE_LANG_NOT_FOUND, as on an English
// Windows, and the machine's own language is answered in English. Modules carry no message tables here.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "resources/MessageFormatter.h"
#include "resources/SystemMessages.h"
#include "windows.h"

using namespace winsim;

namespace
{

DWORD Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

bool LanguageKnown(DWORD languageId, const MachineIdentity& identity)
{
    const WORD primary = PRIMARYLANGID(static_cast<WORD>(languageId));
    return languageId == 0 || primary == LANG_NEUTRAL || primary == LANG_ENGLISH || languageId == identity.uiLanguage;
}

} // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                            DWORD nSize, va_list* Arguments)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return Fail(ERROR_NOT_READY);
    WINSIM_FAULT_POINT(0);
    const bool allocate = dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER;
    if (!lpBuffer)
        return Fail(ERROR_INVALID_PARAMETER);
    if (allocate)
        *reinterpret_cast<LPSTR*>(lpBuffer) = nullptr;

    std::string text;
    if (dwFlags & FORMAT_MESSAGE_FROM_STRING)
    {
        if (!lpSource)
            return Fail(ERROR_INVALID_PARAMETER);
        text = static_cast<const char*>(lpSource);
    }
    else
    {
        const bool system = dwFlags & FORMAT_MESSAGE_FROM_SYSTEM;
        // A module (or, with a NULL source, the program's image) is searched first; none has a message table.
        if (!system)
            return Fail((dwFlags & FORMAT_MESSAGE_FROM_HMODULE) ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                                                : ERROR_INVALID_PARAMETER);
        if (!LanguageKnown(dwLanguageId, rt->Identity()))
            return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
        const char* message = SystemMessages::Find(dwMessageId);
        if (!message)
            return Fail(ERROR_MR_MID_NOT_FOUND);
        text = message;
    }

    MessageFormatter formatter(dwFlags, reinterpret_cast<const uintptr_t*>(Arguments), Arguments);
    std::string out;
    uint32_t error = 0;
    if (!formatter.Format(text, out, error))
        return Fail(error);

    const DWORD length = static_cast<DWORD>(out.size());
    if (allocate)
    {
        // nSize is the least the buffer is to hold.
        const size_t size = std::max<size_t>(nSize, out.size() + 1);
        char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, size));
        if (!block)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        std::memcpy(block, out.c_str(), out.size() + 1);
        *reinterpret_cast<LPSTR*>(lpBuffer) = block;
        return length;
    }
    if (out.size() + 1 > nSize)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(lpBuffer, out.c_str(), out.size() + 1);
    return length;
}
