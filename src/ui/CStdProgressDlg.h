// The standard window (dialog 103): the status text and a progress bar set to the phase's percent once a
// second; it closes when the phase's worker has finished.
#pragma once

#include "CModalDialog.h"

class CProgBarNoDoModal;

class CStdProgressDlg : public CModalDialog
{
public:
    static constexpr UINT_PTR kTimerId = 2;
    static constexpr UINT kTimerMs = 1000;

    explicit CStdProgressDlg(CProgBarNoDoModal* pProgress);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIdEvent) override;
    BOOL OnCommand(WORD wId, WORD wNotify) override;

private:
    CProgBarNoDoModal* m_pProgress;
};
