#include "CModalDialog.h"

#include "common/CTraceScope.h"

INT_PTR CModalDialog::DoModal(HWND hOwner)
{
    const INT_PTR nResult = DialogBoxParamA(m_hResources, MAKEINTRESOURCEA(m_nTemplateId), hOwner, DialogProc,
                                            reinterpret_cast<LPARAM>(this));
    if (nResult == -1)
        TraceLine("ERROR: CModalDialog::DoModal : dialog %d could not be shown, GetLastError = %lu\n", m_nTemplateId,
                  static_cast<unsigned long>(GetLastError()));
    m_hWnd = nullptr;
    return nResult;
}

void CModalDialog::EndDialog(INT_PTR nResult)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

void CModalDialog::LoadResourceString(HINSTANCE hResources, UINT nStringId, char* pszBuffer, int nSize)
{
    if (!pszBuffer || nSize <= 0)
        return;
    pszBuffer[0] = '\0';
    if (LoadStringA(hResources, nStringId, pszBuffer, nSize) <= 0)
    {
        pszBuffer[0] = '\0';
        TraceLine("ERROR: LoadStringA : string %u is missing\n", nStringId);
    }
}

void CModalDialog::SetItemString(int nControlId, UINT nStringId)
{
    char szText[MAX_PATH];
    LoadResourceString(m_hResources, nStringId, szText, sizeof(szText));
    SetDlgItemTextA(m_hWnd, nControlId, szText);
}

void CModalDialog::SetTitleString(UINT nStringId)
{
    char szText[MAX_PATH];
    LoadResourceString(m_hResources, nStringId, szText, sizeof(szText));
    SetWindowTextA(m_hWnd, szText);
}

INT_PTR CALLBACK CModalDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CModalDialog* pThis = nullptr;
    if (uMsg == WM_INITDIALOG)
    {
        pThis = reinterpret_cast<CModalDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pThis->m_hWnd = hWnd;
        return pThis->OnInitDialog();
    }
    pThis = reinterpret_cast<CModalDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pThis)
        return FALSE;
    switch (uMsg)
    {
    case WM_TIMER:
        pThis->OnTimer(wParam);
        return TRUE;
    case WM_COMMAND:
        return pThis->OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return pThis->OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        pThis->OnDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}
