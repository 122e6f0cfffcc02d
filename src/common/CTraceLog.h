// The trace log: one plain text file per process, written line by line with the file opened and closed
// around each line, only when the user asks for it ("-L"). Without it there is no log object and every
// trace statement costs one test.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/CTextFile.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class CTraceLog
{
public:
    CTraceLog() = default;
    ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Sets the file (a name beside the executable, or a full path) and opens it once to check it; a file
    // that cannot be opened there moves to the temporary folder under the same name, starting empty.
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
    std::recursive_mutex m_lock;
    CTextFile m_file;
};

CTraceLog* GetTraceLog();
bool IsTraceLogEnabled();
void CreateTraceLog();
void DeleteTraceLog();

// Writes a list as "Item=%d, Data=%s" lines between ENTRY and EXIT lines named after the list.
void DisplayCStringList(const char* pszName, const CStringList& list);
