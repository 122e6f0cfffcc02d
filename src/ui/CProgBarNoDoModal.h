// The progress context of one engine phase (preparation or main): Run starts the worker thread (the
// engine) and the counter thread (2 % a second, and the plugged-in device poll of the install), keeps the
// main thread in a progress window, the custom UI library's progress function or a silent wait until the
// worker has finished, and returns only once both threads have ended, so that nothing outlives the context.
// The percent, the result and the busy guard are shared between threads as atomics.
#pragma once

#include <atomic>

#include "IProgressEngine.h"
#include "common/SetupParms.h"
#include "platform/win32.h"
#include "platform/CScopedHandle.h"

class CProgBarNoDoModal
{
public:
    static constexpr int RUN_SUCCEEDED = 1;
    static constexpr int RUN_FAILED = 2;

    CProgBarNoDoModal(SETUP_PARMS* pSetupParms, BOOL bPreparation);
    ~CProgBarNoDoModal();
    CProgBarNoDoModal(const CProgBarNoDoModal&) = delete;
    CProgBarNoDoModal& operator=(const CProgBarNoDoModal&) = delete;

    // Runs the phase: 1 if the engine call returned true, 2 otherwise.
    int Run(HMODULE hCustomUI);
    // The engine's progress report: kept if 0 or above the current value; values beyond 0-99 are the
    // engine's mistake and are held below 100, which only the worker's end reaches.
    void SetProgress(int nPercent);
    // The counter thread's step: only while the sum stays below 100.
    void AddProgress(int nStep);

    int GetPercent() const { return m_nPercent.load(); }
    // True once the worker has finished and stored its result; the windows close on it.
    BOOL IsFinished() const { return m_bFinished.load(); }
    SETUP_PARMS* GetSetupParms() const { return m_pSetupParms; }
    BOOL IsPreparation() const { return m_bPreparation; }
    BOOL IsInstall() const;

private:
    static DWORD WINAPI WorkerThread(LPVOID pContext);
    static DWORD WINAPI CounterThread(LPVOID pContext);
    BOOL RunEngine();
    void CountUntilFinished();
    void WaitSilently();
    BOOL OfferToCustomUI(HMODULE hCustomUI);
    void ShowProgressWindow();

    SETUP_PARMS* m_pSetupParms;
    std::atomic<LONG> m_nPercent{0};
    IInstallEngine* m_pInstall = nullptr;
    IUninstallEngine* m_pUninstall = nullptr;
    std::atomic<BOOL> m_bResult{FALSE};
    BOOL m_bPreparation;
    std::atomic<BOOL> m_bBusy{FALSE};
    std::atomic<BOOL> m_bFinished{FALSE};
    // Signalled by the worker at its end, so that the counter thread stops at once.
    CScopedKernelHandle m_hFinished;
};
