#include "CStdProgressDlg.h"

#include "CProgBarNoDoModal.h"
#include "CProgressDlgTexts.h"
#include "common/CTraceScope.h"
#include "common/ResourceIds.h"

CStdProgressDlg::CStdProgressDlg(CProgBarNoDoModal* pProgress)
    : CModalDialog(pProgress && pProgress->GetSetupParms() ? pProgress->GetSetupParms()->hInstance : nullptr,
                   IDD_STD_PROGRESS),
      m_pProgress(pProgress)
{
    // The progress bar's class comes with the common controls.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls))
        TraceLine("ERROR: InitCommonControlsEx failed\n");
}

BOOL CStdProgressDlg::OnInitDialog()
{
    SetTitleString(CProgressDlgTexts::TitleId(*m_pProgress));
    SetItemString(IDC_STATUS_TEXT, CProgressDlgTexts::StatusId(*m_pProgress));
    SetTimer(GetHwnd(), kTimerId, kTimerMs, nullptr);
    return TRUE;
}

void CStdProgressDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != kTimerId)
        return;
    SendDlgItemMessageA(GetHwnd(), IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(m_pProgress->GetPercent()), 0);
    if (m_pProgress->IsFinished())
    {
        KillTimer(GetHwnd(), kTimerId);
        EndDialog(IDOK);
    }
}

BOOL CStdProgressDlg::OnCommand(WORD /*wId*/, WORD /*wNotify*/)
{
    return TRUE;
}
