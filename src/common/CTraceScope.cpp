#include "CTraceScope.h"

#include <cstdarg>

#include "common/CTraceLog.h"
#include "platform/StringUtil.h"

namespace
{

// A line cut to the buffer keeps its line end, so that the next line still starts on a line of its own.
void KeepLineEnd(char* pszLine, size_t nStored, size_t nSize)
{
    if (nStored == nSize - 1 && nStored > 0)
        pszLine[nStored - 1] = '\n';
}

} // namespace

CTraceScope::CTraceScope(const char* pszName) : m_pszName(pszName ? pszName : "")
{
    if (!IsTraceLogEnabled())
        return;
    m_bActive = true;
    char szLine[LINE_CHARS];
    KeepLineEnd(szLine, FormatBounded(szLine, sizeof(szLine), "ENTRY: %s\n", m_pszName), sizeof(szLine));
    GetTraceLog()->Indent();
    GetTraceLog()->WriteLine(szLine);
}

CTraceScope::CTraceScope(const char* pszName, const char* pszFormat, ...) : m_pszName(pszName ? pszName : "")
{
    if (!IsTraceLogEnabled())
        return;
    m_bActive = true;
    char szParams[LINE_CHARS];
    va_list args;
    va_start(args, pszFormat);
    FormatBoundedV(szParams, sizeof(szParams), pszFormat, args);
    va_end(args);
    char szLine[LINE_CHARS];
    KeepLineEnd(szLine, FormatBounded(szLine, sizeof(szLine), "ENTRY: %s : %s\n", m_pszName, szParams), sizeof(szLine));
    GetTraceLog()->Indent();
    GetTraceLog()->WriteLine(szLine);
}

CTraceScope::~CTraceScope()
{
    // The log may have been switched on or off in between; only a scope that wrote ENTRY writes EXIT.
    if (!m_bActive || !IsTraceLogEnabled())
        return;
    char szLine[LINE_CHARS];
    if (m_bHasResult)
        FormatBounded(szLine, sizeof(szLine), "EXIT:  %s : bRetVal = %d\n", m_pszName, static_cast<int>(m_bRetVal));
    else
        FormatBounded(szLine, sizeof(szLine), "EXIT:  %s\n", m_pszName);
    GetTraceLog()->WriteLine(szLine);
    GetTraceLog()->Unindent();
}

void TraceLine(const char* pszFormat, ...)
{
    if (!IsTraceLogEnabled())
        return;
    char szLine[CTraceScope::LINE_CHARS];
    va_list args;
    va_start(args, pszFormat);
    size_t nStored = FormatBoundedV(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    KeepLineEnd(szLine, nStored, sizeof(szLine));
    GetTraceLog()->WriteLine(szLine);
}
