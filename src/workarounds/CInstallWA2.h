// Removes the platform's "Found New Hardware Wizard" windows, which would wait for a user during a silent
// install, by ending the process that owns them: once on request, or from a watcher thread for as long as
// an install step runs.
#pragma once

#include <atomic>
#include <string>

#include "platform/win32.h"

class CInstallWA2
{
public:
    CInstallWA2() = default;
    ~CInstallWA2();
    CInstallWA2(const CInstallWA2&) = delete;
    CInstallWA2& operator=(const CInstallWA2&) = delete;

    // The title fragment: NEWDEV.DLL's string 2040 up to its first "-", trimmed, or the English title.
    void GetPNPWindowTitle(std::string& csTitle);
    // One pass over the top-level windows.
    void ClosePNPWindow();
    void StartClosePNPWindowThread();
    void EndClosePNPWindowThread();

    BOOL WindowWasClosed() const { return m_bWindowClosed.load() != 0; }

    // How long to wait for a terminated wizard's window to go before giving up on it.
    static constexpr DWORD WINDOW_GONE_LIMIT_MS = 5000;
    static constexpr DWORD WATCH_PERIOD_MS = 50;
    static constexpr DWORD STOP_POLL_MS = 200;

private:
    static BOOL CALLBACK ExamineWindow(HWND hWnd, LPARAM lParam);
    static DWORD WINAPI WatcherThread(LPVOID pParam);
    // True if the window was the wizard's and its process was ended; bStop tells the walk to end.
    BOOL CloseIfWizard(HWND hWnd, BOOL& bStop);
    void ExamineAllWindows();

    std::atomic<LONG> m_bRunThread{0};
    std::atomic<LONG> m_bThreadFinished{1};
    std::atomic<LONG> m_bWindowClosed{0};
    std::string m_csTitle;
    HANDLE m_hThread = nullptr;
};
