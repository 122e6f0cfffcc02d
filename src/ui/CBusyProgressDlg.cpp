#include "CBusyProgressDlg.h"

#include "CBusyProgressCtrl.h"
#include "CProgBarNoDoModal.h"
#include "CProgressDlgTexts.h"
#include "common/ResourceIds.h"

namespace
{

constexpr int kBlocks = 20;
constexpr int kIntervalMs = 100;
constexpr int kLow = -100;
constexpr int kHigh = 100;

HINSTANCE ResourcesOf(CProgBarNoDoModal* pProgress)
{
    return pProgress && pProgress->GetSetupParms() ? pProgress->GetSetupParms()->hInstance : nullptr;
}

HINSTANCE RegisteredFor(CProgBarNoDoModal* pProgress)
{
    // The indicator's class must exist before the dialog's controls are made.
    HINSTANCE hInstance = ResourcesOf(pProgress);
    CBusyProgressCtrl::RegisterControlClass(hInstance);
    return hInstance;
}

} // namespace

CBusyProgressDlg::CBusyProgressDlg(CProgBarNoDoModal* pProgress)
    : CModalDialog(RegisteredFor(pProgress), IDD_BUSY_PROGRESS), m_pProgress(pProgress)
{
}

BOOL CBusyProgressDlg::OnInitDialog()
{
    SetTitleString(CProgressDlgTexts::TitleId(*m_pProgress));
    SetItemString(IDC_STATUS_TEXT, CProgressDlgTexts::StatusId(*m_pProgress));
    m_hIndicator = GetDlgItem(GetHwnd(), IDC_BUSY_INDICATOR);
    if (m_hIndicator)
    {
        SendMessageA(m_hIndicator, BPC_SETNUMBLOCKS, kBlocks, 0);
        SendMessageA(m_hIndicator, BPC_SETSPEED, kIntervalMs, 0);
        SendMessageA(m_hIndicator, BPC_SETRANGE, static_cast<WPARAM>(kLow), kHigh);
        SendMessageA(m_hIndicator, BPC_SETMODE, CBusyProgressCtrl::kModeBusy, 0);
        SendMessageA(m_hIndicator, BPC_RESET, 0, 0);
        InvalidateRect(m_hIndicator, nullptr, FALSE);
        SendMessageA(m_hIndicator, BPC_STARTBUSY, 0, 0);
    }
    SetTimer(GetHwnd(), kTimerId, kTimerMs, nullptr);
    return TRUE;
}

void CBusyProgressDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != kTimerId)
        return;
    if (m_hIndicator)
    {
        CBusyProgressCtrl* pIndicator = CBusyProgressCtrl::FromWindow(m_hIndicator);
        if (pIndicator && pIndicator->GetPosition() < kHigh - kLow)
            SendMessageA(m_hIndicator, BPC_STEPIT, 0, 0);
        else
        {
            SendMessageA(m_hIndicator, BPC_RESET, 0, 0);
            InvalidateRect(m_hIndicator, nullptr, FALSE);
        }
    }
    if (m_pProgress->IsFinished())
    {
        if (m_hIndicator)
            SendMessageA(m_hIndicator, BPC_ENDBUSY, 0, 0);
        KillTimer(GetHwnd(), kTimerId);
        EndDialog(IDOK);
    }
}

BOOL CBusyProgressDlg::OnCommand(WORD /*wId*/, WORD /*wNotify*/)
{
    // The window cannot be closed before the phase ends.
    return TRUE;
}
