// The wizard around an install or uninstall: the preparation phase, the confirmation list, the main
// phase and the result list, each replaceable by the custom UI library or left out by a switch. As a
// window it is the full-screen splash (dialog 134) that runs the wizard behind it.
#pragma once

#include "common/SetupParms.h"
#include "install/InstallInfo.h"
#include "ui/CModalDialog.h"

class CSetupDlg : public CModalDialog
{
public:
    explicit CSetupDlg(SETUP_PARMS* pSetupParms);
    ~CSetupDlg() override;

    // Runs the wizard; its outcome is the setup parameters' nRetVal.
    void RunSetupDlg();
    BOOL HasSplashImage() const { return m_bSplashImage; }

    // The two test rows that PREVIEW shows instead of the engine's table.
    static void FillPreviewRows(int nKind, INSTALL_INFO* pInfo);

    static constexpr UINT_PTR SPLASH_TIMER_ID = 4;
    static constexpr UINT SPLASH_TIMER_MS = 500;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIdEvent) override;
    void OnDestroy() override;

private:
    BOOL FindSplashImage() const;
    void ShowDeviceNotFound();
    void ShowSplashImage(int cx, int cy);

    SETUP_PARMS* m_pSetupParms;
    HMODULE m_hCustomUI = nullptr;
    BOOL m_bSplashImage = FALSE;
    HBITMAP m_hSplashBitmap = nullptr;
};
