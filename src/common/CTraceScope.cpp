#include "CTraceScope.h"

#include <cstdarg>
#include <cstdio>
#include <string>

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

// A text of several lines that does not fit the buffer is cut line by line: each line keeps its start
// and its end, so that a reason written after one long line is not lost with it.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 0)))
#endif
std::string
CutEachLine(const char* pszFormat, va_list args)
{
    va_list sizing;
    va_copy(sizing, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, sizing);
    va_end(sizing);
    if (nLength <= 0)
        return {};
    std::string csText(static_cast<size_t>(nLength) + 1, '\0');
    std::vsnprintf(&csText[0], csText.size(), pszFormat, args);
    csText.resize(static_cast<size_t>(nLength));

    const size_t nMaxLine = CTraceScope::LINE_CHARS - 1;
    std::string csCut;
    size_t nStart = 0;
    while (nStart < csText.size())
    {
        size_t nEnd = csText.find('\n', nStart);
        bool bEnded = nEnd != std::string::npos;
        size_t nLineLength = (bEnded ? nEnd : csText.size()) - nStart;
        if (nLineLength >= nMaxLine)
        {
            csCut.append(csText, nStart, nMaxLine - 1);
            csCut += '\n';
        }
        else
            csCut.append(csText, nStart, nLineLength + (bEnded ? 1 : 0));
        nStart = bEnded ? nEnd + 1 : csText.size();
    }
    return csCut;
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
    va_list again;
    va_copy(again, args);
    size_t nStored = FormatBoundedV(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    std::string csCut;
    if (nStored == sizeof(szLine) - 1)
        csCut = CutEachLine(pszFormat, again);
    va_end(again);
    if (!csCut.empty())
    {
        GetTraceLog()->WriteLine(csCut.c_str());
        return;
    }
    KeepLineEnd(szLine, nStored, sizeof(szLine));
    GetTraceLog()->WriteLine(szLine);
}

void TraceNotBuilt(const char* pszStep)
{
    TraceLine("%s : not available in this build\n", pszStep ? pszStep : "");
}
