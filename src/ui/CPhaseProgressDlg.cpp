#include "CPhaseProgressDlg.h"

#include "CProgBarNoDoModal.h"
#include "CProgressDlgTexts.h"
#include "common/ResourceIds.h"

HINSTANCE CPhaseProgressDlg::ResourcesOf(CProgBarNoDoModal* pProgress)
{
    return pProgress && pProgress->GetSetupParms() ? pProgress->GetSetupParms()->hInstance : nullptr;
}

BOOL CPhaseProgressDlg::OnInitDialog()
{
    SetTitleString(CProgressDlgTexts::TitleId(*m_pProgress));
    SetItemString(IDC_STATUS_TEXT, CProgressDlgTexts::StatusId(*m_pProgress));
    OnShow();
    SetTimer(GetHwnd(), TIMER_ID, TIMER_MS, nullptr);
    return TRUE;
}

void CPhaseProgressDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != TIMER_ID)
        return;
    OnTick();
    if (m_pProgress->IsFinished())
    {
        OnFinish();
        KillTimer(GetHwnd(), TIMER_ID);
        EndDialog(IDOK);
    }
}

BOOL CPhaseProgressDlg::OnCommand(WORD /*wId*/, WORD /*wNotify*/)
{
    // The window cannot be closed before the phase ends.
    return TRUE;
}
