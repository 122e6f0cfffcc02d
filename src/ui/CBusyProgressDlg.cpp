#include "CBusyProgressDlg.h"

#include "CBusyProgressCtrl.h"
#include "CProgBarNoDoModal.h"
#include "common/ResourceIds.h"

namespace
{

constexpr int BLOCKS = 20;
constexpr int INTERVAL_MS = 100;
constexpr int LOW = -100;
constexpr int HIGH = 100;

} // namespace

CBusyProgressDlg::CBusyProgressDlg(CProgBarNoDoModal* pProgress)
    : CPhaseProgressDlg(ResourcesOf(pProgress), IDD_BUSY_PROGRESS, pProgress)
{
    // The indicator's class must exist before the dialog's controls are made.
    CBusyProgressCtrl::RegisterControlClass(m_hResources);
}

void CBusyProgressDlg::OnShow()
{
    m_hIndicator = GetDlgItem(GetHwnd(), IDC_BUSY_INDICATOR);
    if (m_hIndicator)
    {
        SendMessageA(m_hIndicator, BPC_SETNUMBLOCKS, BLOCKS, 0);
        SendMessageA(m_hIndicator, BPC_SETSPEED, INTERVAL_MS, 0);
        SendMessageA(m_hIndicator, BPC_SETRANGE, static_cast<WPARAM>(LOW), HIGH);
        SendMessageA(m_hIndicator, BPC_SETMODE, CBusyProgressCtrl::MODE_BUSY, 0);
        SendMessageA(m_hIndicator, BPC_RESET, 0, 0);
        InvalidateRect(m_hIndicator, nullptr, FALSE);
        SendMessageA(m_hIndicator, BPC_STARTBUSY, 0, 0);
    }
}

void CBusyProgressDlg::OnTick()
{
    if (m_hIndicator)
    {
        CBusyProgressCtrl* pIndicator = CBusyProgressCtrl::FromWindow(m_hIndicator);
        if (pIndicator && pIndicator->GetPosition() < HIGH - LOW)
            SendMessageA(m_hIndicator, BPC_STEPIT, 0, 0);
        else
        {
            SendMessageA(m_hIndicator, BPC_RESET, 0, 0);
            InvalidateRect(m_hIndicator, nullptr, FALSE);
        }
    }
}

void CBusyProgressDlg::OnFinish()
{
    if (m_hIndicator)
        SendMessageA(m_hIndicator, BPC_ENDBUSY, 0, 0);
}
