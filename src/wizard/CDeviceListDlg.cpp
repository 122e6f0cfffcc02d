#include "CDeviceListDlg.h"

#include "common/ResourceIds.h"
#include "platform/StringUtil.h"

// Not every set of platform headers names the icon sizes of WM_SETICON.
#ifndef ICON_BIG
#define ICON_BIG 1
#endif

namespace
{

struct SCREEN_TEXTS
{
    UINT uHeading;
    UINT uTitle;
    UINT uInstruction;
    UINT uSecondColumn;
    bool bCancel;
};

const SCREEN_TEXTS SCREENS[] = {
    {IDS_WELCOME_INSTALL, IDS_INSTALL_WIZARD, IDS_INSTALL_INSTRUCTION, IDS_COLUMN_TASK, true},
    {IDS_INSTALL_COMPLETE, IDS_INSTALL_WIZARD, IDS_INSTALL_RESULTS, IDS_COLUMN_RESULT, false},
    {IDS_WELCOME_UNINSTALL, IDS_UNINSTALL_WIZARD, IDS_UNINSTALL_INSTRUCTION, IDS_COLUMN_TASK, true},
    {IDS_UNINSTALL_COMPLETE, IDS_UNINSTALL_WIZARD, IDS_UNINSTALL_RESULTS, IDS_COLUMN_RESULT, false},
};

const int BUTTON_TEXT_CHARS = 260;

void SetButtonText(HWND hDlg, int nId, HINSTANCE hResources, UINT uString)
{
    char szText[BUTTON_TEXT_CHARS] = {0};
    LoadStringA(hResources, uString, szText, BUTTON_TEXT_CHARS);
    SetDlgItemTextA(hDlg, nId, ("&" + std::string(szText)).c_str());
}

void InsertColumn(HWND hList, int nColumn, const char* pszTitle, int nWidth)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(pszTitle);
    column.cx = nWidth;
    column.iSubItem = nColumn;
    SendMessageA(hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
}

} // namespace

CDeviceListDlg::CDeviceListDlg(HINSTANCE hResources, int nKind, const INSTALL_INFO* pInfo)
    : CModalDialog(hResources, IDD_DEVICE_LIST), m_pInfo(pInfo),
      m_nKind(nKind < DEVICE_LIST_INSTALL_CONFIRM || nKind > DEVICE_LIST_UNINSTALL_RESULTS ? 0 : nKind)
{
    m_hIcon = LoadIconA(hResources, MAKEINTRESOURCEA(IDI_SETUP));
}

UINT CDeviceListDlg::GetTaskStringId(int nKind, DWORD eDeviceStatus)
{
    switch (nKind)
    {
    case DEVICE_LIST_INSTALL_CONFIRM:
        return eDeviceStatus == INSTALL_INFO_WILL_INSTALL ? IDS_TASK_INSTALL : IDS_TASK_UPGRADE;
    case DEVICE_LIST_UNINSTALL_CONFIRM:
        return IDS_TASK_UNINSTALL;
    default:
        return eDeviceStatus == INSTALL_INFO_INSTALLED || eDeviceStatus == INSTALL_INFO_UNINSTALLED
                   ? IDS_RESULT_SUCCESS
                   : IDS_RESULT_FAILURE;
    }
}

BOOL CDeviceListDlg::OnInitDialog()
{
    HWND hDlg = GetHwnd();
    if (m_hIcon)
        SendMessageA(hDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    const SCREEN_TEXTS& texts = SCREENS[m_nKind];
    SetTitleString(texts.uTitle);
    SetItemString(IDC_HEADING, texts.uHeading);
    SetItemString(IDC_INSTRUCTION, texts.uInstruction);
    SetButtonText(hDlg, IDOK, m_hResources, IDS_OK);
    SetButtonText(hDlg, IDCANCEL, m_hResources, IDS_CANCEL);
    if (!texts.bCancel)
        ShowWindow(GetDlgItem(hDlg, IDCANCEL), SW_HIDE);

    HWND hList = GetDlgItem(hDlg, IDC_DEVICE_LIST);
    // The width inside the list's border: the two columns then fill it without a horizontal scroll bar.
    RECT rc = {};
    GetClientRect(hList, &rc);
    const int nWidth = rc.right - rc.left;
    char szTitle[BUTTON_TEXT_CHARS] = {0};
    LoadStringA(m_hResources, IDS_COLUMN_DEVICE, szTitle, BUTTON_TEXT_CHARS);
    InsertColumn(hList, 0, szTitle, nWidth * DEVICE_COLUMN_PERCENT / 100);
    LoadStringA(m_hResources, texts.uSecondColumn, szTitle, BUTTON_TEXT_CHARS);
    InsertColumn(hList, 1, szTitle, nWidth * TASK_COLUMN_PERCENT / 100);
    FillList(hList);

    const bool bConfirm = m_nKind == DEVICE_LIST_INSTALL_CONFIRM || m_nKind == DEVICE_LIST_UNINSTALL_CONFIRM;
    if (bConfirm && (!m_pInfo || m_pInfo->dwCnt == 0))
        ShowWindow(GetDlgItem(hDlg, IDOK), SW_HIDE);
    return TRUE;
}

void CDeviceListDlg::FillList(HWND hList)
{
    if (!m_pInfo)
        return;
    const DWORD dwCount = m_pInfo->dwCnt < INSTALL_INFO_ROWS ? m_pInfo->dwCnt : INSTALL_INFO_ROWS;
    for (DWORD n = 0; n < dwCount; ++n)
    {
        const INSTALL_INFO_ROW& row = m_pInfo->rows[n];
        char szDesc[INSTALL_INFO_TEXT] = {0};
        FormatBounded(szDesc, sizeof(szDesc), "%.*s", static_cast<int>(INSTALL_INFO_TEXT - 1), row.szDeviceDesc);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(n);
        item.pszText = szDesc;
        int nItem = static_cast<int>(SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        char szTask[BUTTON_TEXT_CHARS] = {0};
        LoadStringA(m_hResources, GetTaskStringId(m_nKind, row.eDeviceStatus), szTask, BUTTON_TEXT_CHARS);
        LVITEMA sub = {};
        sub.iSubItem = 1;
        sub.pszText = szTask;
        SendMessageA(hList, LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&sub));
    }
}

BOOL CDeviceListDlg::OnCommand(WORD wId, WORD)
{
    if (wId != IDOK && wId != IDCANCEL)
        return FALSE;
    EndDialog(wId);
    return TRUE;
}

BOOL CDeviceListDlg::OnNotify(const NMHDR* pHeader)
{
    if (!pHeader || pHeader->idFrom != IDC_DEVICE_LIST || pHeader->code != static_cast<UINT>(LVN_ITEMCHANGED) ||
        m_bClearing)
        return FALSE;
    // The list only informs: whatever gets selected is unselected at once.
    m_bClearing = true;
    HWND hList = GetDlgItem(GetHwnd(), IDC_DEVICE_LIST);
    int nCount = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int n = 0; n < nCount; ++n)
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        state.state = 0;
        SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(&state));
    }
    m_bClearing = false;
    return TRUE;
}
