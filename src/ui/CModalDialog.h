// The dialog machinery of the program's windows: a dialog resource shown modally (or modelessly) with a
// C++ object behind it. The object is handed over in WM_INITDIALOG and kept in the dialog's DWLP_USER word;
// each message goes to a virtual handler. A dialog that cannot be made (its resource missing from the
// build) writes one trace line and DoModal returns -1.
#pragma once

#include "platform/win32.h"

class CModalDialog
{
public:
    CModalDialog(HINSTANCE hResources, int nTemplateId) : m_hResources(hResources), m_nTemplateId(nTemplateId) {}
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // The dialog's result (EndDialog), or -1 when it could not be shown.
    INT_PTR DoModal(HWND hOwner);
    HWND GetHwnd() const { return m_hWnd; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnTimer(UINT_PTR /*nIdEvent*/) {}
    // TRUE when the command was handled.
    virtual BOOL OnCommand(WORD /*wId*/, WORD /*wNotify*/) { return FALSE; }
    virtual BOOL OnNotify(const NMHDR* /*pHeader*/) { return FALSE; }
    virtual void OnDestroy() {}

    void EndDialog(INT_PTR nResult);
    // Sets a control's text from the string table (an empty text when the string is missing).
    void SetItemString(int nControlId, UINT nStringId);
    void SetTitleString(UINT nStringId);
    // Loads a string of the program's resources into a buffer of 260 characters; empty when missing.
    static void LoadResourceString(HINSTANCE hResources, UINT nStringId, char* pszBuffer, int nSize);

    HINSTANCE m_hResources;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    int m_nTemplateId;
    HWND m_hWnd = nullptr;
};
