#include "CProgBarNoDoModal.h"

#include "CBusyProgressDlg.h"
#include "CCustomUI.h"
#include "CStdProgressDlg.h"
#include "common/CTraceScope.h"

// The custom UI library receives the percent's address as a plain 32-bit integer.
static_assert(sizeof(std::atomic<LONG>) == sizeof(LONG) && std::atomic<LONG>::is_always_lock_free,
              "the percent must be readable as a LONG");

namespace
{

constexpr DWORD COUNTER_INTERVAL_MS = 1000;
constexpr DWORD SILENT_POLL_MS = 1000;
constexpr DWORD PREVIEW_MS = 5000;
constexpr int COUNTER_STEP = 2;

} // namespace

CProgBarNoDoModal::CProgBarNoDoModal(SETUP_PARMS* pSetupParms, BOOL bPreparation)
    : m_pSetupParms(pSetupParms), m_bPreparation(bPreparation)
{
    if (!m_pSetupParms)
        return;
    if (IsInstall())
        m_pInstall = static_cast<IInstallEngine*>(m_pSetupParms->pActiveEngine);
    else
        m_pUninstall = static_cast<IUninstallEngine*>(m_pSetupParms->pActiveEngine);
}

CProgBarNoDoModal::~CProgBarNoDoModal() = default;

BOOL CProgBarNoDoModal::IsInstall() const
{
    return m_pSetupParms && (m_pSetupParms->dwMode & SETUP_MODE_INSTALL) != 0;
}

void CProgBarNoDoModal::SetProgress(int nPercent)
{
    if (nPercent < 0 || nPercent > 99)
    {
        TraceLine("CProgBarNoDoModal::SetProgress : nPercent = %d is out of range\n", nPercent);
        nPercent = nPercent < 0 ? 0 : 99;
    }
    // A second writer at the same moment drops its update.
    if (m_bBusy.exchange(TRUE))
        return;
    if (nPercent == 0 || nPercent > m_nPercent.load())
        m_nPercent.store(nPercent);
    m_bBusy.store(FALSE);
}

void CProgBarNoDoModal::AddProgress(int nStep)
{
    if (m_bBusy.exchange(TRUE))
        return;
    const LONG nSum = m_nPercent.load() + nStep;
    if (nSum < 100 && !m_bFinished.load())
        m_nPercent.store(nSum);
    m_bBusy.store(FALSE);
}

BOOL CProgBarNoDoModal::RunEngine()
{
    if (m_pSetupParms->dwSetupConfig & SETUP_CFG_PREVIEW)
    {
        Sleep(PREVIEW_MS);
        return TRUE;
    }
    if (IsInstall())
    {
        if (!m_pInstall)
            return FALSE;
        if (m_bPreparation)
            return m_pInstall->SetupInstallEnviroment(this);
        if (m_pSetupParms->dwSetupConfig & SETUP_CFG_REBOOTED_FROM_NO_ENUM)
            return m_pInstall->InstallNoEnum(this);
        return m_pInstall->Install(this);
    }
    if (!m_pUninstall)
        return FALSE;
    if (m_bPreparation)
        return m_pUninstall->SetupUninstallEnviroment(m_pSetupParms);
    return m_pUninstall->Uninstall(this);
}

DWORD WINAPI CProgBarNoDoModal::WorkerThread(LPVOID pContext)
{
    auto* pThis = static_cast<CProgBarNoDoModal*>(pContext);
    pThis->m_bResult.store(pThis->RunEngine());
    // The end of the phase, whatever the engine wrote before.
    pThis->m_bFinished.store(TRUE);
    pThis->m_nPercent.store(100);
    if (pThis->m_hFinished)
        SetEvent(pThis->m_hFinished.Get());
    return 0;
}

void CProgBarNoDoModal::CountUntilFinished()
{
    const BOOL bPoll = IsInstall() && !m_bPreparation && m_pInstall;
    for (;;)
    {
        if (m_hFinished)
            WaitForSingleObject(m_hFinished.Get(), COUNTER_INTERVAL_MS);
        else
            Sleep(COUNTER_INTERVAL_MS);
        // Tested before touching the engine: once the worker is done, the engine may be going away.
        if (m_bFinished.load())
            return;
        AddProgress(COUNTER_STEP);
        if (bPoll)
            m_pInstall->PollForPluggedInDevice();
    }
}

DWORD WINAPI CProgBarNoDoModal::CounterThread(LPVOID pContext)
{
    static_cast<CProgBarNoDoModal*>(pContext)->CountUntilFinished();
    return 0;
}

void CProgBarNoDoModal::WaitSilently()
{
    // Checked once a second: a plain sleep paces it, with no handle made for the wait.
    while (!m_bFinished.load())
        Sleep(SILENT_POLL_MS);
}

BOOL CProgBarNoDoModal::OfferToCustomUI(HMODULE hCustomUI)
{
    if (!hCustomUI)
        return FALSE;
    LONG* pnPercent = reinterpret_cast<LONG*>(&m_nPercent);
    if (IsInstall())
        return m_bPreparation ? CCustomUI::InitInstallProgBar(hCustomUI, pnPercent)
                              : CCustomUI::InstallProgBar(hCustomUI, pnPercent);
    return m_bPreparation ? CCustomUI::InitUninstallProgBar(hCustomUI, pnPercent)
                          : CCustomUI::UninstallProgBar(hCustomUI, pnPercent);
}

void CProgBarNoDoModal::ShowProgressWindow()
{
    const DWORD dwMode = m_pSetupParms->dwMode;
    INT_PTR nShown = -1;
    if ((dwMode & SETUP_MODE_STANDARD_PROGBAR) && !(dwMode & SETUP_MODE_BUSY_PROGBAR))
    {
        CStdProgressDlg dialog(this);
        nShown = dialog.DoModal(nullptr);
    }
    else
    {
        CBusyProgressDlg dialog(this);
        nShown = dialog.DoModal(nullptr);
    }
    // Without its window (a resource missing from the build) the phase still waits for its worker.
    if (nShown == -1)
        WaitSilently();
}

int CProgBarNoDoModal::Run(HMODULE hCustomUI)
{
    CTraceScope trace("CProgBarNoDoModal::Run", "m_bPreparation = %d", m_bPreparation);
    if (!m_pSetupParms)
        return RUN_FAILED;
    m_nPercent.store(0);
    m_bFinished.store(FALSE);
    m_bResult.store(FALSE);
    if (!m_hFinished)
        m_hFinished.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    else
        ResetEvent(m_hFinished.Get());

    CScopedKernelHandle worker(CreateThread(nullptr, 0, WorkerThread, this, 0, nullptr));
    if (!worker)
    {
        TraceLine("ERROR: CreateThread (worker) failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        return trace.Return(RUN_FAILED);
    }
    CScopedKernelHandle counter(CreateThread(nullptr, 0, CounterThread, this, 0, nullptr));
    if (!counter)
        TraceLine("ERROR: CreateThread (counter) failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));

    const BOOL bQuiet =
        (m_pSetupParms->dwMode & SETUP_MODE_NO_INSTALL_PROGBAR) || (m_pSetupParms->dwSetupConfig & SETUP_CFG_SILENT);
    if (bQuiet)
        WaitSilently();
    else if (!OfferToCustomUI(hCustomUI))
        ShowProgressWindow();
    // A library's progress function may return early; the phase ends with its threads, not before.
    WaitForSingleObject(worker.Get(), INFINITE);
    if (counter)
        WaitForSingleObject(counter.Get(), INFINITE);
    return trace.Return(m_bResult.load() ? RUN_SUCCEEDED : RUN_FAILED);
}
