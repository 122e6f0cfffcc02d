// The standard window (dialog 103): the status text and a progress bar set to the phase's percent once a
// second; it closes when the phase's worker has finished.
#pragma once

#include "CPhaseProgressDlg.h"

class CStdProgressDlg : public CPhaseProgressDlg
{
public:
    explicit CStdProgressDlg(CProgBarNoDoModal* pProgress);

protected:
    void OnTick() override;
};
