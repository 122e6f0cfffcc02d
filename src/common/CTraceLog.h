// The trace log: one plain text file per process, written line by line with the file opened and closed
// around each line, only when the user asks for it ("-L"). Without it there is no log object and every
// trace statement costs one test.
#pragma once

#include <atomic>
#include <string>

#include "platform/CCriticalSection.h"
#include "platform/CCurrentInstance.h"
#include "platform/CTextFile.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class CTraceLog : public CCurrentInstance<CTraceLog>
{
public:
    CTraceLog() = default;
    ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Sets the file (a name beside the executable, or a full path) and opens it once to check it; a file
    // that cannot be opened there moves to the temporary folder under the same name, starting empty.
    // A name that ends in a backslash names no file and is refused: the log then stays without a file.
    void SetLogFile(const char* pszName, BOOL bFullPath);
    BOOL Open();
    void Close();
    // Writes one line: time stamp, indentation, then the text as given (the caller ends it with "\n").
    BOOL WriteLine(const char* pszText);
    void Indent();
    void Unindent();

    const std::string& GetPath() const { return m_csPath; }
    unsigned GetDepth() const { return m_nDepth.load(); }

private:
    BOOL OpenLocked();
    void CloseLocked();

    std::string m_csPath;
    BOOL m_bOpen = FALSE;
    // Several threads write while the wizard works: the depth is shared, and each line is written whole.
    std::atomic<unsigned> m_nDepth{0};
    // Taken around each line.
    CCriticalSection m_lock;
    CTextFile m_file;
};

// The process's log: the one its owner (the application object, or a tool or test) has created; null
// while logging is off.
inline CTraceLog* GetTraceLog()
{
    return CTraceLog::Current();
}
inline bool IsTraceLogEnabled()
{
    return CTraceLog::Current() != nullptr;
}

// Writes a list as "Item=%d, Data=%s" lines between ENTRY and EXIT lines named after the list.
void DisplayCStringList(const char* pszName, const CStringList& list);
