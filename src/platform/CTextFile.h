// A text file over CreateFileA/ReadFile/WriteFile with the behaviour of a C stream in text mode:
// reads give lines without their CR LF (or LF) and stop at a Ctrl-Z; writes store each line feed as CR LF.
#pragma once

#include <string>

#include "platform/win32.h"

class CTextFile
{
public:
    CTextFile() = default;
    ~CTextFile();
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    BOOL OpenRead(const char* pszPath);
    // Opens an existing file for writing without truncating it, or creates it.
    BOOL OpenWrite(const char* pszPath);
    // Creates the file, or truncates an existing one.
    BOOL Create(const char* pszPath);
    void Close();
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // Next line without its line end. A line longer than nMaxChars is cut to nMaxChars characters and the
    // rest of it skipped. FALSE at the end of the file.
    BOOL ReadLine(std::string& csLine, size_t nMaxChars = MAX_PATH - 1);

    BOOL SeekToEnd();
    // Writes the text with every line feed stored as carriage return plus line feed.
    BOOL Write(const std::string& csText);
    BOOL Write(const char* pszText, size_t nLength);

private:
    BOOL Open(const char* pszPath, DWORD dwAccess, DWORD dwDisposition);
    BOOL Fill();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_csBuffer;
    size_t m_nPos = 0;
    BOOL m_bEof = FALSE;
};
