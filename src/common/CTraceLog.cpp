#include "CTraceLog.h"

#include "platform/StringUtil.h"

namespace
{

std::atomic<CTraceLog*> g_pTraceLog{nullptr};

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
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    CloseLocked();
    m_csPath = bFullPath ? std::string(pszName) : ExeFolder() + pszName;
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
    std::lock_guard<std::recursive_mutex> guard(m_lock);
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
    std::lock_guard<std::recursive_mutex> guard(m_lock);
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
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!OpenLocked())
        return FALSE;
    m_file.SeekToEnd();

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

CTraceLog* GetTraceLog()
{
    CreateTraceLog();
    return g_pTraceLog.load();
}

bool IsTraceLogEnabled()
{
    return g_pTraceLog.load() != nullptr;
}

void CreateTraceLog()
{
    if (g_pTraceLog.load())
        return;
    CTraceLog* pNew = new CTraceLog;
    CTraceLog* pExpected = nullptr;
    if (!g_pTraceLog.compare_exchange_strong(pExpected, pNew))
        delete pNew;
}

void DeleteTraceLog()
{
    delete g_pTraceLog.exchange(nullptr);
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
