#include "CAdslNoHwDlg.h"

#include "common/CTraceScope.h"
#include "common/ResourceIds.h"

CAdslNoHwDlg::CAdslNoHwDlg(const ADSL_PROMPT* pPrompt, const std::atomic<BOOL>* pbDeviceGotPluggedIn)
    : CModalDialog(pPrompt ? pPrompt->hInstance : nullptr, IDD_PLUG_IN_USB),
      m_pbDeviceGotPluggedIn(pbDeviceGotPluggedIn), m_pPrompt(pPrompt)
{
}

BOOL CAdslNoHwDlg::OnInitDialog()
{
    SetWindowTextA(GetHwnd(), m_pPrompt ? m_pPrompt->csTitle.c_str() : "");
    char szText[MAX_PATH];
    LoadResourceString(m_hResources, IDS_PLUG_IN_DEVICE, szText, sizeof(szText));
    // The prompt is for a USB device whatever the string says.
    std::string csText = szText;
    for (size_t nAt = csText.find("DSL"); nAt != std::string::npos; nAt = csText.find("DSL", nAt + 3))
        csText.replace(nAt, 3, "USB");
    SetDlgItemTextA(GetHwnd(), IDC_PLUG_IN_TEXT, csText.c_str());
    SetItemString(IDC_PRESS_CANCEL_TEXT, IDS_PRESS_CANCEL);
    SetItemString(IDCANCEL, IDS_CANCEL);
    m_nTimer = SetTimer(GetHwnd(), kTimerId, kTimerMs, nullptr);
    return TRUE;
}

void CAdslNoHwDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != kTimerId)
        return;
    const BOOL bPluggedIn = m_pbDeviceGotPluggedIn && m_pbDeviceGotPluggedIn->load();
    TraceLine("CAdslNoHwDlg::OnTimer : m_bDeviceGotPluggedIn = %d\n", bPluggedIn);
    if (bPluggedIn)
    {
        KillTimer(GetHwnd(), kTimerId);
        EndDialog(IDOK);
        return;
    }
    m_nElapsed += kTimerMs;
    if (m_nElapsed > kLimitMs)
    {
        KillTimer(GetHwnd(), kTimerId);
        EndDialog(IDCANCEL);
    }
}

BOOL CAdslNoHwDlg::OnCommand(WORD wId, WORD /*wNotify*/)
{
    if (wId != IDCANCEL)
        return FALSE;
    KillTimer(GetHwnd(), kTimerId);
    EndDialog(IDCANCEL);
    return TRUE;
}
