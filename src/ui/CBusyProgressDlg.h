// The busy window (dialog 102): the status text and a busy indicator of 20 blocks bouncing over a range
// of -100 to 100, checked once a second; it closes when the phase's worker has finished.
#pragma once

#include "CPhaseProgressDlg.h"

class CBusyProgressDlg : public CPhaseProgressDlg
{
public:
    explicit CBusyProgressDlg(CProgBarNoDoModal* pProgress);

protected:
    void OnShow() override;
    void OnTick() override;
    void OnFinish() override;

private:
    HWND m_hIndicator = nullptr;
};
