#include "CSetupDlg.h"

#include <cstring>
#include <memory>

#include "common/CTraceScope.h"
#include "common/ResourceIds.h"
#include "install/CInstall.h"
#include "platform/StringUtil.h"
#include "ui/CCustomUI.h"
#include "ui/CProgBarNoDoModal.h"
#include "wizard/CDeviceListDlg.h"
#include "wizard/CSplashPicture.h"

namespace
{

const int MESSAGE_CHARS = 1000;
const char* const PREVIEW_ROWS[2] = {"Test Modem #1", "Test Modem #2"};
// Status pairs of the preview rows, by screen kind.
const DWORD PREVIEW_STATUS[4][2] = {
    {INSTALL_INFO_WILL_INSTALL, INSTALL_INFO_WILL_UPGRADE},
    {INSTALL_INFO_INSTALLED, INSTALL_INFO_FAILED},
    {INSTALL_INFO_WILL_UNINSTALL, INSTALL_INFO_WILL_UNINSTALL},
    {INSTALL_INFO_UNINSTALLED, INSTALL_INFO_UNINSTALL_FAILED},
};

} // namespace

CSetupDlg::CSetupDlg(SETUP_PARMS* pSetupParms)
    : CModalDialog(pSetupParms ? pSetupParms->hInstance : nullptr, IDD_SPLASH), m_pSetupParms(pSetupParms)
{
    m_hCustomUI = CCustomUI::LoadCustomUI();
    m_bSplashImage = FindSplashImage();
}

CSetupDlg::~CSetupDlg()
{
    CCustomUI::FreeCustomUI(m_hCustomUI);
}

BOOL CSetupDlg::FindSplashImage() const
{
    return CSplashPicture::HasImage(m_hCustomUI) ||
           (m_pSetupParms && CSplashPicture::HasImage(m_pSetupParms->hInstance));
}

void CSetupDlg::FillPreviewRows(int nKind, INSTALL_INFO* pInfo)
{
    if (!pInfo || nKind < 0 || nKind > 3)
        return;
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dwCnt = 2;
    for (int n = 0; n < 2; ++n)
    {
        FormatBounded(pInfo->rows[n].szDeviceDesc, INSTALL_INFO_TEXT, "%s", PREVIEW_ROWS[n]);
        pInfo->rows[n].eDeviceStatus = PREVIEW_STATUS[nKind][n];
    }
}

void CSetupDlg::ShowDeviceNotFound()
{
    char szText[MESSAGE_CHARS] = {0};
    char szCaption[MESSAGE_CHARS] = {0};
    LoadStringA(m_pSetupParms->hInstance, IDS_DEVICE_NOT_FOUND, szText, MESSAGE_CHARS);
    LoadStringA(m_pSetupParms->hInstance, IDS_ERROR, szCaption, MESSAGE_CHARS);
    std::string csText = szText;
    size_t nAt = csText.find("XXXX");
    if (nAt != std::string::npos)
        csText.replace(nAt, 4, m_pSetupParms->csDeviceName);
    MessageBoxA(GetHwnd(), csText.c_str(), szCaption, MB_ICONHAND | MB_TOPMOST);
}

void CSetupDlg::RunSetupDlg()
{
    CTraceScope trace("CSetupDlg::RunSetupDlg");
    if (!m_pSetupParms)
        return;
    SETUP_PARMS& parms = *m_pSetupParms;
    const bool bInstall = (parms.dwMode & SETUP_MODE_INSTALL) != 0;
    const bool bSilent = (parms.dwSetupConfig & SETUP_CFG_SILENT) != 0;
    const bool bPreview = (parms.dwSetupConfig & SETUP_CFG_PREVIEW) != 0;

    std::unique_ptr<CInstall> pInstall(new CInstall());
    pInstall->SetSetupParms(m_pSetupParms);
    // The uninstall orchestration comes with a later build; an uninstall run finds nothing to do.
    parms.pActiveEngine = bInstall ? static_cast<IInstallEngine*>(pInstall.get()) : nullptr;
    if (!bInstall)
        TraceNotBuilt("CUninstall");
    CProgBarNoDoModal preparation(m_pSetupParms, TRUE);
    CProgBarNoDoModal main(m_pSetupParms, FALSE);
    std::unique_ptr<INSTALL_INFO> pInfo(new INSTALL_INFO());

    BOOL bRetVal = FALSE;
    bool bPrepared = true;
    if (!(parms.dwSetupConfig & SETUP_CFG_REBOOTED_FROM_NO_ENUM))
        bPrepared = preparation.Run(m_hCustomUI) == CProgBarNoDoModal::RUN_SUCCEEDED;

    bool bGoOn = bPrepared;
    if (bPrepared && !(parms.dwSetupConfig & SETUP_CFG_REBOOTED_FROM_NO_ENUM))
    {
        const int nKind = bInstall ? DEVICE_LIST_INSTALL_CONFIRM : DEVICE_LIST_UNINSTALL_CONFIRM;
        if (bPreview)
            FillPreviewRows(nKind, pInfo.get());
        else if (bInstall)
            pInstall->GetInstallInfo(INSTALL_INFO_BEFORE, pInfo.get());
        if (!(parms.dwMode & SETUP_MODE_NO_INITIAL_DLG) && !bSilent)
        {
            int nAnswer = 0;
            if (bInstall ? CCustomUI::BeginInstallDlg(m_hCustomUI, pInfo.get(), &nAnswer)
                         : CCustomUI::BeginUninstallDlg(m_hCustomUI, pInfo.get(), &nAnswer))
                bGoOn = nAnswer == 1;
            else
                bGoOn = CDeviceListDlg(parms.hInstance, nKind, pInfo.get()).DoModal(GetHwnd()) == IDOK;
        }
    }
    else if (!bPrepared)
    {
        if (bInstall)
            ShowDeviceNotFound();
        else if (!bSilent)
            MessageBoxA(GetHwnd(), "No Device Found", "Uninstall Device", MB_ICONHAND | MB_TOPMOST);
    }

    if (bGoOn)
    {
        bRetVal = main.Run(m_hCustomUI) == CProgBarNoDoModal::RUN_SUCCEEDED;
        const bool bFilesOnly = (parms.dwSetupConfig & SETUP_CFG_NO_HARDWARE) && !(parms.dwSetupConfig & SETUP_CFG_PRE);
        if (!bFilesOnly && !(parms.dwMode & SETUP_MODE_NO_FINAL_DLG) && !bSilent)
        {
            const int nKind = bInstall ? DEVICE_LIST_INSTALL_RESULTS : DEVICE_LIST_UNINSTALL_RESULTS;
            if (bPreview)
                FillPreviewRows(nKind, pInfo.get());
            else if (bInstall)
                pInstall->GetInstallInfo(INSTALL_INFO_AFTER, pInfo.get());
            if (!(bInstall ? CCustomUI::EndInstallDlg(m_hCustomUI, pInfo.get())
                           : CCustomUI::EndUninstallDlg(m_hCustomUI, pInfo.get())))
                CDeviceListDlg(parms.hInstance, nKind, pInfo.get()).DoModal(GetHwnd());
        }
    }
    parms.nRetVal = bRetVal ? 0 : 1;
    trace.Return(bRetVal);
}

BOOL CSetupDlg::OnInitDialog()
{
    HWND hDlg = GetHwnd();
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(hDlg, nullptr, 0, 0, cx, cy, SWP_NOZORDER);
    ShowSplashImage(cx, cy);
    SetTimer(hDlg, SPLASH_TIMER_ID, SPLASH_TIMER_MS, nullptr);
    return TRUE;
}

void CSetupDlg::ShowSplashImage(int cx, int cy)
{
    // The picture control covers the screen and shows the image stretched to it; without a picture the
    // splash stays a plain full-screen window and the wizard runs all the same.
    HWND hDlg = GetHwnd();
    HWND hPicture = GetDlgItem(hDlg, IDC_SPLASH_PICTURE);
    if (!hPicture)
        return;
    SetWindowPos(hPicture, nullptr, 0, 0, cx, cy, SWP_NOZORDER);
    HDC hdc = GetDC(hDlg);
    if (!hdc)
        return;
    m_hSplashBitmap =
        CSplashPicture::CreateStretched(m_hCustomUI, m_pSetupParms ? m_pSetupParms->hInstance : nullptr, hdc, cx, cy);
    ReleaseDC(hDlg, hdc);
    if (m_hSplashBitmap)
        SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hSplashBitmap));
}

void CSetupDlg::OnDestroy()
{
    // The picture control does not own the bitmap it shows.
    if (m_hSplashBitmap)
        DeleteObject(m_hSplashBitmap);
    m_hSplashBitmap = nullptr;
}

void CSetupDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != SPLASH_TIMER_ID)
        return;
    KillTimer(GetHwnd(), SPLASH_TIMER_ID);
    RunSetupDlg();
    EndDialog(IDOK);
}
