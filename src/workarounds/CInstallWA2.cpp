#include "CInstallWA2.h"

#include <algorithm>
#include <cctype>

#include "common/CTraceScope.h"
#include "common/WindowTools.h"
#include "devapi/KDeviceApi.h"

namespace
{

const char* const FALLBACK_TITLE = "Found New Hardware Wizard";
const UINT TITLE_STRING_ID = 2040;

std::string Upper(std::string csText)
{
    std::transform(csText.begin(), csText.end(), csText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return csText;
}

std::string Trim(const std::string& csText)
{
    const size_t nFirst = csText.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return std::string();
    const size_t nLast = csText.find_last_not_of(" \t");
    return csText.substr(nFirst, nLast - nFirst + 1);
}

} // namespace

CInstallWA2::~CInstallWA2()
{
    EndClosePNPWindowThread();
}

void CInstallWA2::GetPNPWindowTitle(std::string& csTitle)
{
    CTraceScope trace("CInstallWA2::GetPNPWindowTitle");
    csTitle = LoadModuleString("NEWDEV.DLL", TITLE_STRING_ID, FALLBACK_TITLE);
    const size_t nDash = csTitle.find('-');
    if (nDash != std::string::npos)
        csTitle = Trim(csTitle.substr(0, nDash));
    TraceLine("CInstallWA2 :: GetPNPWindowTitle : pszTitleString = %s\n", csTitle.c_str());
}

BOOL CInstallWA2::CloseIfWizard(HWND hWnd, BOOL& bStop)
{
    bStop = FALSE;
    // A title that starts with "-" leaves no fragment: it must match nothing, not every window.
    if (m_csTitle.empty())
        return FALSE;
    char szText[MAX_PATH] = {0};
    GetWindowTextA(hWnd, szText, MAX_PATH);
    if (Upper(szText).find(Upper(m_csTitle)) == std::string::npos)
        return FALSE;

    KDeviceApi* pApi = GetDeviceApi();
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    HANDLE hSnapshot = pApi ? pApi->KCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId) : INVALID_HANDLE_VALUE;
    if (hSnapshot == INVALID_HANDLE_VALUE)
    {
        bStop = TRUE;
        return FALSE;
    }
    BOOL bTerminated = FALSE;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    if (pApi->KModule32First(hSnapshot, &entry))
    {
        HANDLE hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
        if (hProcess)
        {
            bTerminated = TerminateProcess(hProcess, 0);
            CloseHandle(hProcess);
        }
        if (bTerminated)
        {
            TraceLine("Just Closed a PNP Windows\n");
            m_bWindowClosed.store(1);
            bStop = TRUE;
        }
    }
    CloseHandle(hSnapshot);
    if (bTerminated)
    {
        HWND hFocus = GetFocus();
        if (!WaitForWindowToGo(hWnd, hFocus, WINDOW_GONE_LIMIT_MS))
            TraceLine("FAILED : PNP Window still there after %u ms\n", static_cast<unsigned>(WINDOW_GONE_LIMIT_MS));
    }
    return bTerminated;
}

BOOL CALLBACK CInstallWA2::ExamineWindow(HWND hWnd, LPARAM lParam)
{
    CInstallWA2* pThis = reinterpret_cast<CInstallWA2*>(lParam);
    BOOL bStop = FALSE;
    pThis->CloseIfWizard(hWnd, bStop);
    return bStop ? FALSE : TRUE;
}

void CInstallWA2::ExamineAllWindows()
{
    EnumWindows(ExamineWindow, reinterpret_cast<LPARAM>(this));
}

void CInstallWA2::ClosePNPWindow()
{
    CTraceScope trace("CInstallWA2::ClosePNPWindow");
    GetPNPWindowTitle(m_csTitle);
    ExamineAllWindows();
}

DWORD WINAPI CInstallWA2::WatcherThread(LPVOID pParam)
{
    CInstallWA2* pThis = static_cast<CInstallWA2*>(pParam);
    HANDLE hWait = CreateEventA(nullptr, TRUE, FALSE, "ClosePNPWindowThreadWait");
    while (pThis->m_bRunThread.load() == 1)
    {
        pThis->ExamineAllWindows();
        if (hWait)
            WaitForSingleObject(hWait, WATCH_PERIOD_MS);
        else
            Sleep(WATCH_PERIOD_MS);
    }
    if (hWait)
        CloseHandle(hWait);
    pThis->m_bThreadFinished.store(1);
    return 0;
}

void CInstallWA2::StartClosePNPWindowThread()
{
    CTraceScope trace("CInstallWA2::StartClosePNPWindowThread");
    if (m_bRunThread.load())
        return;
    m_bThreadFinished.store(0);
    m_bRunThread.store(1);
    GetPNPWindowTitle(m_csTitle);
    m_hThread = CreateThread(nullptr, 0, WatcherThread, this, 0, nullptr);
    if (!m_hThread)
    {
        TraceLine("FAILED : CreateThread : GetLastError() = %u\n", static_cast<unsigned>(GetLastError()));
        m_bRunThread.store(0);
        m_bThreadFinished.store(1);
    }
}

void CInstallWA2::EndClosePNPWindowThread()
{
    CTraceScope trace("CInstallWA2::EndClosePNPWindowThread");
    TraceLine("CInstallWA2 :: EndClosePNPWindowThread : m_bRunThread = %d\n", static_cast<int>(m_bRunThread.load()));
    if (!m_bRunThread.load())
        return;
    m_bRunThread.store(0);
    while (!m_bThreadFinished.load())
        Sleep(STOP_POLL_MS);
    if (m_hThread)
    {
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
}
