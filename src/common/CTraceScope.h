// The ENTRY/EXIT convention: an operation writes "ENTRY: <name>" one step deeper than its caller on
// entry, and "EXIT:  <name> : bRetVal = %d" on exit. Nothing is formatted while logging is off.
//
//     BOOL CInstall::Install()
//     {
//         CTraceScope trace("CInstall::Install");
//         ...
//         return trace.Return(bRetVal);
//     }
#pragma once

#include <cstddef>

#include "platform/win32.h"

class CTraceScope
{
public:
    // Composed lines are cut to this many characters; they never overflow.
    static constexpr size_t LINE_CHARS = 1024;

    explicit CTraceScope(const char* pszName);
    // ENTRY line with the operation's parameters: "<name> : <parameters>".
    CTraceScope(const char* pszName, const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    ~CTraceScope();
    CTraceScope(const CTraceScope&) = delete;
    CTraceScope& operator=(const CTraceScope&) = delete;

    // Records the result for the EXIT line and hands it back.
    BOOL Return(BOOL bRetVal)
    {
        m_bRetVal = bRetVal;
        m_bHasResult = true;
        return bRetVal;
    }

private:
    const char* m_pszName;
    bool m_bActive = false;
    bool m_bHasResult = false;
    BOOL m_bRetVal = FALSE;
};

// Steps that a later piece of work builds: one trace line, "<step> : not available in this build", so a run
// never pretends to have done them.
void TraceNotBuilt(const char* pszStep);

// Writes one trace line between an ENTRY and its EXIT (the caller ends it with "\n").
void TraceLine(const char* pszFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
