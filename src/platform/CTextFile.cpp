#include "CTextFile.h"

namespace
{
const char CTRL_Z = '\x1A';
const DWORD READ_CHUNK = 16384;
} // namespace

CTextFile::~CTextFile()
{
    Close();
}

BOOL CTextFile::Open(const char* pszPath, DWORD dwAccess, DWORD dwDisposition)
{
    Close();
    if (!pszPath || !*pszPath)
        return FALSE;
    m_hFile = CreateFileA(pszPath, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, dwDisposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen();
}

BOOL CTextFile::OpenRead(const char* pszPath)
{
    return Open(pszPath, GENERIC_READ, OPEN_EXISTING);
}

BOOL CTextFile::OpenWrite(const char* pszPath)
{
    // One call that opens or creates: a failed open of an existing file must never fall through to a
    // create that empties it.
    return Open(pszPath, GENERIC_WRITE, OPEN_ALWAYS);
}

BOOL CTextFile::Create(const char* pszPath)
{
    return Open(pszPath, GENERIC_WRITE, CREATE_ALWAYS);
}

void CTextFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_csBuffer.clear();
    m_nPos = 0;
    m_bEof = FALSE;
}

BOOL CTextFile::Fill()
{
    if (m_bEof || !IsOpen())
        return FALSE;
    char chunk[READ_CHUNK];
    DWORD dwRead = 0;
    if (!ReadFile(m_hFile, chunk, READ_CHUNK, &dwRead, nullptr) || dwRead == 0)
    {
        m_bEof = TRUE;
        return FALSE;
    }
    m_csBuffer.erase(0, m_nPos);
    m_nPos = 0;
    m_csBuffer.append(chunk, dwRead);
    return TRUE;
}

BOOL CTextFile::ReadLine(std::string& csLine, size_t nMaxChars)
{
    csLine.clear();
    BOOL bAny = FALSE;
    for (;;)
    {
        if (m_nPos >= m_csBuffer.size() && !Fill())
            return bAny;
        char c = m_csBuffer[m_nPos];
        if (c == CTRL_Z)
        {
            // A Ctrl-Z ends a text-mode stream: nothing after it is read.
            m_bEof = TRUE;
            m_csBuffer.clear();
            m_nPos = 0;
            return bAny;
        }
        ++m_nPos;
        bAny = TRUE;
        if (c == '\n')
            break;
        if (c == '\r')
        {
            if (m_nPos >= m_csBuffer.size())
                Fill();
            if (m_nPos < m_csBuffer.size() && m_csBuffer[m_nPos] == '\n')
            {
                ++m_nPos;
                break;
            }
        }
        if (csLine.size() < nMaxChars)
            csLine += c;
    }
    return TRUE;
}

BOOL CTextFile::SeekToEnd()
{
    if (!IsOpen())
        return FALSE;
    LONG lHigh = 0;
    SetLastError(NO_ERROR);
    DWORD dwLow = SetFilePointer(m_hFile, 0, &lHigh, FILE_END);
    return dwLow != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

BOOL CTextFile::Write(const std::string& csText)
{
    return Write(csText.data(), csText.size());
}

BOOL CTextFile::Write(const char* pszText, size_t nLength)
{
    if (!IsOpen())
        return FALSE;
    std::string csOut;
    csOut.reserve(nLength + nLength / 16 + 2);
    for (size_t i = 0; i < nLength; ++i)
    {
        if (pszText[i] == '\n')
            csOut += '\r';
        csOut += pszText[i];
    }
    DWORD dwWritten = 0;
    return WriteFile(m_hFile, csOut.data(), static_cast<DWORD>(csOut.size()), &dwWritten, nullptr) &&
           dwWritten == csOut.size();
}
