#include "CTraceLog.h"

#include "platform/StringUtil.h"

namespace
{

// What follows the last backslash.
std::string FileNamePart(const std::string& csPath)
{
    size_t nSlash = csPath.find_last_of('\\');
    return nSlash == std::string::npos ? csPath : csPath.substr(nSlash + 1);
}

// The folder of the running executable, up to and including the last backslash.
std::string ExeFolder()
{
    char szModule[MAX_PATH] = {0};
    char szFull[MAX_PATH] = {0};
    char* pszFilePart = nullptr;
    DWORD dwLen = GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return {};
    dwLen = GetFullPathNameA(szModule, MAX_PATH, szFull, &pszFilePart);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return {};
    std::string csFolder(szFull);
    size_t nSlash = csFolder.find_last_of('\\');
    return nSlash == std::string::npos ? std::string() : csFolder.substr(0, nSlash + 1);
}

} // namespace

CTraceLog::~CTraceLog()
{
    Close();
}

void CTraceLog::SetLogFile(const char* pszName, BOOL bFullPath)
{
    if (!pszName)
        return;
    CLock guard(m_lock);
    CloseLocked();
    std::string csPath = bFullPath ? std::string(pszName) : ExeFolder() + pszName;
    // Without a file name the temporary-folder fallback below would name the folder itself.
    if (FileNamePart(csPath).empty())
    {
        m_csPath.clear();
        return;
    }
    m_csPath = csPath;
    if (OpenLocked())
        return;

    // Read-only medium or no rights: the same name in the temporary folder, started afresh.
    char szTemp[MAX_PATH] = {0};
    DWORD dwLen = GetTempPathA(MAX_PATH, szTemp);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return;
    m_csPath = std::string(szTemp) + FileNamePart(m_csPath);
    if (SetFileAttributesA(m_csPath.c_str(), FILE_ATTRIBUTE_NORMAL))
        DeleteFileA(m_csPath.c_str());
    OpenLocked();
}

BOOL CTraceLog::Open()
{
    CLock guard(m_lock);
    return OpenLocked();
}

BOOL CTraceLog::OpenLocked()
{
    if (m_bOpen)
        return TRUE;
    if (m_csPath.empty())
        return FALSE;
    m_bOpen = m_file.OpenWrite(m_csPath.c_str());
    return m_bOpen;
}

void CTraceLog::Close()
{
    CLock guard(m_lock);
    CloseLocked();
}

void CTraceLog::CloseLocked()
{
    if (m_bOpen)
        m_file.Close();
    m_bOpen = FALSE;
}

BOOL CTraceLog::WriteLine(const char* pszText)
{
    CLock guard(m_lock);
    // A second try rides out a passing failure (a scanner holding the file); the line is dropped only
    // when both fail.
    if (!OpenLocked() && !OpenLocked())
        return FALSE;
    // Writing anywhere but at the end would overwrite earlier lines: drop the line instead.
    if (!m_file.SeekToEnd())
    {
        CloseLocked();
        return FALSE;
    }

    SYSTEMTIME st;
    GetLocalTime(&st);
    char szClock[16];
    FormatBounded(szClock, sizeof(szClock), "%02u:%02u:%02u", static_cast<unsigned>(st.wHour),
                  static_cast<unsigned>(st.wMinute), static_cast<unsigned>(st.wSecond));
    char szStamp[32];
    FormatBounded(szStamp, sizeof(szStamp), "%.8s.%.3hu : ", szClock, static_cast<unsigned short>(st.wMilliseconds));

    std::string csLine(szStamp);
    unsigned nDepth = m_nDepth.load();
    for (unsigned i = 0; i < nDepth; ++i)
        csLine += "  ";
    if (pszText)
        csLine += pszText;
    m_file.Write(csLine);
    CloseLocked();
    return TRUE;
}

void CTraceLog::Indent()
{
    ++m_nDepth;
}

void CTraceLog::Unindent()
{
    unsigned nDepth = m_nDepth.load();
    while (nDepth > 0 && !m_nDepth.compare_exchange_weak(nDepth, nDepth - 1))
    {
    }
}

void DisplayCStringList(const char* pszName, const CStringList& list)
{
    if (IsTraceLogEnabled())
    {
        std::string csEntry = "ENTRY: " + Format("DisplayCStringList : %s\n", pszName ? pszName : "");
        GetTraceLog()->Indent();
        GetTraceLog()->WriteLine(csEntry.c_str());
    }
    int nItem = 0;
    for (const std::string& csItem : list)
    {
        ++nItem;
        if (IsTraceLogEnabled())
            GetTraceLog()->WriteLine(Format("Item=%d, Data=%s\n", nItem, csItem.c_str()).c_str());
    }
    if (IsTraceLogEnabled())
    {
        std::string csExit = "EXIT:  " + Format("DisplayCStringList : %s\n", pszName ? pszName : "");
        GetTraceLog()->WriteLine(csExit.c_str());
        GetTraceLog()->Unindent();
    }
}
