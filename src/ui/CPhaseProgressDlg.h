// A window shown while an engine phase runs on its worker: the wizard's title and the phase's status text,
// a look at the phase once a second, and the end when the worker has finished. The user cannot close it.
#pragma once

#include "CModalDialog.h"

class CProgBarNoDoModal;

class CPhaseProgressDlg : public CModalDialog
{
public:
    static constexpr UINT_PTR TIMER_ID = 2;
    static constexpr UINT TIMER_MS = 1000;

protected:
    CPhaseProgressDlg(HINSTANCE hResources, int nTemplateId, CProgBarNoDoModal* pProgress)
        : CModalDialog(hResources, nTemplateId), m_pProgress(pProgress)
    {
    }
    // The program's resources as the run's setup parameters name them.
    static HINSTANCE ResourcesOf(CProgBarNoDoModal* pProgress);

    // What the window shows beside the texts: set up once, brought up to date each second, ended.
    virtual void OnShow() {}
    virtual void OnTick() {}
    virtual void OnFinish() {}

    CProgBarNoDoModal* m_pProgress;

private:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIdEvent) override;
    BOOL OnCommand(WORD wId, WORD wNotify) override;
};
