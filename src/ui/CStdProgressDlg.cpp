#include "CStdProgressDlg.h"

#include "CProgBarNoDoModal.h"
#include "common/CTraceScope.h"
#include "common/ResourceIds.h"

CStdProgressDlg::CStdProgressDlg(CProgBarNoDoModal* pProgress)
    : CPhaseProgressDlg(ResourcesOf(pProgress), IDD_STD_PROGRESS, pProgress)
{
    // The progress bar's class comes with the common controls.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls))
        TraceLine("ERROR: InitCommonControlsEx failed\n");
}

void CStdProgressDlg::OnTick()
{
    SendDlgItemMessageA(GetHwnd(), IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(m_pProgress->GetPercent()), 0);
}
