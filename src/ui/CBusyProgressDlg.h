// The busy window (dialog 102): the status text and a busy indicator of 20 blocks bouncing over a range
// of -100 to 100, checked once a second; it closes when the phase's worker has finished.
#pragma once

#include "CModalDialog.h"

class CProgBarNoDoModal;

class CBusyProgressDlg : public CModalDialog
{
public:
    static constexpr UINT_PTR kTimerId = 2;
    static constexpr UINT kTimerMs = 1000;

    explicit CBusyProgressDlg(CProgBarNoDoModal* pProgress);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIdEvent) override;
    BOOL OnCommand(WORD wId, WORD wNotify) override;

private:
    CProgBarNoDoModal* m_pProgress;
    HWND m_hIndicator = nullptr;
};
